// Desktop-wide marks on POSIX systems: a lock file per mark, in a folder
// that only the user can reach.
#include "platform/DesktopMarkers.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include "core/PathParts.h"
#include "core/TextFormat.h"

namespace ferolith {

namespace {

constexpr mode_t kFolderMode = 0700;

class LockHold : public MarkerHold {
 public:
  explicit LockHold(int fd) : fd_(fd) {}
  ~LockHold() override {
    if (fd_ >= 0) ::close(fd_);  // closing releases the lock
  }
  LockHold(const LockHold&) = delete;
  LockHold& operator=(const LockHold&) = delete;

 private:
  int fd_;
};

// Why the folder `status` describes may not hold the marks; empty when it
// may: the user's own and nobody else's.
std::string FolderFault(const struct stat& status) {
  if (status.st_uid != ::geteuid()) {
    return FormatText("er gehört nicht diesem Benutzer, sondern dem mit der Nummer %u",
                      static_cast<unsigned>(status.st_uid));
  }
  if ((status.st_mode & 07777) != kFolderMode) {
    return FormatText("er ist nicht nur für diesen Benutzer zugänglich (Rechte %04o statt 0700)",
                      static_cast<unsigned>(status.st_mode & 07777));
  }
  return {};
}

}  // namespace

LockFileMarkers::LockFileMarkers(const std::string& directory) {
  const bool created = ::mkdir(directory.c_str(), kFolderMode) == 0;
  std::string fault;
  struct stat status {};
  if (!created && errno != EEXIST) {
    fault = std::string("er kann nicht angelegt werden: ") + std::strerror(errno);
  } else if (::lstat(directory.c_str(), &status) != 0) {
    fault = std::string("er kann nicht geprüft werden: ") + std::strerror(errno);
  } else if (S_ISLNK(status.st_mode)) {
    fault = "er ist ein symbolischer Link";
  } else if (!S_ISDIR(status.st_mode)) {
    fault = "er ist kein Ordner";
  } else {
    // Opened without following a link put in its place after the check,
    // and checked again as opened.
    folder_ = ::open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (folder_ < 0) {
      fault = std::string("er kann nicht geöffnet werden: ") + std::strerror(errno);
    } else if (::fstat(folder_, &status) != 0) {
      fault = std::string("er kann nicht geprüft werden: ") + std::strerror(errno);
    } else {
      // A restrictive umask may have taken the owner's own rights.
      if (created && (status.st_mode & 07777) != kFolderMode && ::fchmod(folder_, kFolderMode) == 0) {
        status.st_mode = (status.st_mode & ~mode_t{07777}) | kFolderMode;
      }
      fault = FolderFault(status);
    }
  }
  if (fault.empty()) return;
  if (folder_ >= 0) ::close(folder_);
  folder_ = -1;
  problem_ = FormatText(
      "Der Ordner für die Sperrdateien\n'%s'\nwird nicht benutzt: %s.\n\n"
      "Ohne ihn lässt sich nicht feststellen, ob ein anderes Programm das Programmiergerät benutzt.\n"
      "Bitte den Ordner entfernen oder XDG_RUNTIME_DIR auf einen eigenen Ordner setzen.",
      directory.c_str(), fault.c_str());
}

LockFileMarkers::~LockFileMarkers() {
  if (folder_ >= 0) ::close(folder_);
}

int LockFileMarkers::OpenLockFile(const std::string& mark) const {
  if (folder_ < 0) return -1;
  return ::openat(folder_, (mark + ".lock").c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600);
}

bool LockFileMarkers::Exists(const std::string& mark) {
  // A mark that cannot be looked at may be held.
  const int fd = OpenLockFile(mark);
  if (fd < 0) return true;
  // flock() conflicts between separate opens even inside one process, so
  // this also sees a mark this process holds itself.
  const bool held = ::flock(fd, LOCK_EX | LOCK_NB) != 0 && errno == EWOULDBLOCK;
  ::close(fd);
  return held;
}

std::unique_ptr<MarkerHold> LockFileMarkers::Hold(const std::string& mark) {
  const int fd = OpenLockFile(mark);
  if (fd >= 0 && ::flock(fd, LOCK_EX | LOCK_NB) != 0) {
    // Somebody else holds it already; a window title would simply exist
    // twice, so the command goes on without a lock of its own.
    ::close(fd);
    return std::make_unique<LockHold>(-1);
  }
  return std::make_unique<LockHold>(fd);
}

MarkerPlaces MarkerPlaces::OfThisProcess() {
  MarkerPlaces places;
  if (const char* runtime = std::getenv("XDG_RUNTIME_DIR"); runtime != nullptr) places.runtimeDirectory = runtime;
  places.user = static_cast<std::uint32_t>(::geteuid());
  return places;
}

std::string MarkerDirectory(const MarkerPlaces& places) {
  if (!places.runtimeDirectory.empty()) return JoinDirectory(places.runtimeDirectory, "kalvenor");
  const std::string runtime = JoinDirectory(places.runUser, std::to_string(places.user));
  struct stat status {};
  if (::lstat(runtime.c_str(), &status) == 0 && S_ISDIR(status.st_mode) && status.st_uid == places.user) {
    return JoinDirectory(runtime, "kalvenor");
  }
  return JoinDirectory(places.temporary, "kalvenor-" + std::to_string(places.user));
}

std::unique_ptr<DesktopMarkers> MakeDesktopMarkers(std::string& problem) {
  auto markers = std::make_unique<LockFileMarkers>(MarkerDirectory(MarkerPlaces::OfThisProcess()));
  problem = markers->Problem();
  if (!problem.empty()) return nullptr;
  return markers;
}

}  // namespace ferolith
