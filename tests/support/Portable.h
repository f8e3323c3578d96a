#pragma once

#include <gtest/gtest.h>

// Skips the running test on Windows and prints why; elsewhere does nothing.
// For tests whose code compiles everywhere but whose subject is not there.
#ifdef _WIN32
#define SKIP_ON_WINDOWS(reason) GTEST_SKIP() << (reason)
#else
#define SKIP_ON_WINDOWS(reason) static_cast<void>(0)
#endif

#include <string>

namespace ferolith::testing {

// `text` with the line ends that a text file written anew gets on this
// platform: CR LF on Windows, LF elsewhere.
inline std::string PlatformLines(std::string text) {
#ifdef _WIN32
  for (std::size_t at = 0; (at = text.find('\n', at)) != std::string::npos; at += 2) text.insert(at, 1, '\r');
#endif
  return text;
}

inline constexpr const char* kNeedsSrecCat =
    "srec_cat and the POSIX shell are not there; the Windows step compares the read-out files "
    "with those of the Linux build instead";

}  // namespace ferolith::testing
