#pragma once

#include <gtest/gtest.h>

// Skips the running test on Windows and prints why; elsewhere does nothing.
// For tests whose code compiles everywhere but whose subject is not there.
#ifdef _WIN32
#define SKIP_ON_WINDOWS(reason) GTEST_SKIP() << (reason)
#else
#define SKIP_ON_WINDOWS(reason) static_cast<void>(0)
#endif

namespace ferolith::testing {

inline constexpr const char* kNeedsSrecCat =
    "srec_cat and the POSIX shell are not there; the Windows step compares the read-out files "
    "with those of the Linux build instead";

}  // namespace ferolith::testing
