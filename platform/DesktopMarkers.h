#pragma once

#include <memory>
#include <string>

namespace ferolith {

// Marker names that every program of the programmer family looks for.
namespace Marker {
inline constexpr const char* ProgrammerBusy = "KalvenorDevil";  // a command holds the programmer
inline constexpr const char* ThisProgram = "Ferolith V1.02";    // one instance per desktop
}  // namespace Marker

// A desktop-wide mark, held while the object lives.
class MarkerHold {
 public:
  virtual ~MarkerHold() = default;
};

// Desktop-wide marks by name, seen by every process of the user's desktop.
// On Windows they are top-level window titles, which the system removes
// with the process that made them; on Linux, locks that the kernel releases
// when the holder ends. Either way a crashed holder never leaves a stale
// mark behind.
class DesktopMarkers {
 public:
  virtual ~DesktopMarkers() = default;
  // True when some process (this one included) holds the mark.
  virtual bool Exists(const std::string& mark) = 0;
  // Holds the mark until the returned object is destroyed.
  virtual std::unique_ptr<MarkerHold> Hold(const std::string& mark) = 0;
};

#ifndef _WIN32
// Linux: flock() on one file per mark in `directory`. A directory that
// cannot be created or files that cannot be opened mean "no mark": the
// program then runs as if it were alone, rather than refusing to work.
class LockFileMarkers : public DesktopMarkers {
 public:
  explicit LockFileMarkers(std::string directory);
  bool Exists(const std::string& mark) override;
  std::unique_ptr<MarkerHold> Hold(const std::string& mark) override;

 private:
  std::string PathOf(const std::string& mark) const;
  std::string directory_;
};

// The directory for the marks of the user's desktop: $XDG_RUNTIME_DIR/kalvenor,
// or /tmp/kalvenor-<uid> without a runtime directory.
std::string DefaultMarkerDirectory();
#endif

// The markers of this platform: top-level window titles on Windows (as the
// other programs of the family look for them), lock files in
// DefaultMarkerDirectory() elsewhere.
std::unique_ptr<DesktopMarkers> MakeDesktopMarkers();

}  // namespace ferolith
