#pragma once

#include <cstdint>
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
// Linux: flock() on one file per mark in `directory`. The folder is the
// user's own or it is not used: it is created with mode 0700 when missing,
// and refused when it is a symbolic link, not a folder, not owned by the
// effective user or open to anybody else (another local user could have
// made it first and planted a link to a system file in it). Lock files are
// opened without following links. A refused folder means no program run:
// Problem() then says why, and every mark counts as held.
class LockFileMarkers : public DesktopMarkers {
 public:
  explicit LockFileMarkers(const std::string& directory);
  ~LockFileMarkers() override;
  LockFileMarkers(const LockFileMarkers&) = delete;
  LockFileMarkers& operator=(const LockFileMarkers&) = delete;

  bool Exists(const std::string& mark) override;
  std::unique_ptr<MarkerHold> Hold(const std::string& mark) override;
  // Why the folder is not used, as a German message; empty when it is.
  const std::string& Problem() const { return problem_; }

 private:
  int OpenLockFile(const std::string& mark) const;
  int folder_ = -1;  // the checked folder, opened
  std::string problem_;
};

// Where the folder of the marks may be.
struct MarkerPlaces {
  std::string runtimeDirectory;       // $XDG_RUNTIME_DIR; empty when unset
  std::string runUser = "/run/user";  // the login's runtime folders, one per user id
  std::string temporary = "/tmp";
  std::uint32_t user = 0;  // the effective user id

  // This process's: its environment and effective user.
  static MarkerPlaces OfThisProcess();
};

// The folder for the marks of the user's desktop: <XDG_RUNTIME_DIR>/kalvenor;
// without one, <runUser>/<uid>/kalvenor when that runtime folder is the
// user's own (not a link, owned by the user); else <temporary>/kalvenor-<uid>.
std::string MarkerDirectory(const MarkerPlaces& places);
#endif

// The markers of this platform: top-level window titles on Windows (as the
// other programs of the family look for them), lock files in the folder of
// MarkerDirectory() elsewhere. Nullptr with `problem` set (a German message)
// when that folder is refused.
std::unique_ptr<DesktopMarkers> MakeDesktopMarkers(std::string& problem);

}  // namespace ferolith
