// Exclusive file locks on Windows: LockFileEx on the whole file.
#include <windows.h>

#include <cerrno>

#include "platform/FileLock.h"
#include "platform/WideText.h"

namespace ferolith {

namespace {

class LockFileHold : public FileLockHold {
 public:
  explicit LockFileHold(HANDLE file) : file_(file) {}
  ~LockFileHold() override { CloseHandle(file_); }  // closing releases the lock
  LockFileHold(const LockFileHold&) = delete;
  LockFileHold& operator=(const LockFileHold&) = delete;

 private:
  HANDLE file_;
};

}  // namespace

std::unique_ptr<FileLockHold> LockFileExclusively(const std::string& path) {
  const HANDLE file = CreateFileW(WideFromUtf8(path).c_str(), GENERIC_READ | GENERIC_WRITE,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                  OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    errno = EACCES;
    return nullptr;
  }
  OVERLAPPED whole{};
  if (!LockFileEx(file, LOCKFILE_EXCLUSIVE_LOCK, 0, MAXDWORD, MAXDWORD, &whole)) {
    CloseHandle(file);
    errno = EIO;
    return nullptr;
  }
  return std::make_unique<LockFileHold>(file);
}

}  // namespace ferolith
