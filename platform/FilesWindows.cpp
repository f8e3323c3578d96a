// The file services on Windows: the wide-character calls of the system and
// of its C runtime, in binary mode (the program writes its own CR LF).
#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>

#include <cerrno>
#include <climits>
#include <cstdint>
#include <cstdlib>
#include <memory>

#include "platform/FileReplaceWindows.h"
#include "platform/Files.h"
#include "platform/WideText.h"

namespace ferolith {

namespace {

constexpr int kCreateMode = _S_IREAD | _S_IWRITE;

void Describe(DWORD attributes, DWORD links, FileStatus& status) {
  status.exists = status.targetExists = true;
  status.kind = (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0 ? FileStatus::Kind::Directory : FileStatus::Kind::Regular;
  status.mode = (attributes & FILE_ATTRIBUTE_READONLY) != 0 ? 0444u : 0666u;
  status.links = links;
}

// The error number of a failed system call, for the program's own German
// file-error texts.
int ErrnoOf(DWORD error) {
  switch (error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
      return ENOENT;
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
    case ERROR_UNABLE_TO_REMOVE_REPLACED:  // held open by another program
      return EACCES;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
      return ENOSPC;
    case ERROR_NOT_SAME_DEVICE:
      return EXDEV;
    default:
      return EIO;
  }
}

class WindowsFileOps : public FileOps {
 public:
  // Windows keeps no permission bits: a new file gets its folder's access
  // list, as every file of the user does.
  int CreateExclusive(const std::string& path, std::uint32_t) override {
    return _wopen(WideFromUtf8(path).c_str(), _O_RDWR | _O_CREAT | _O_EXCL | _O_BINARY | _O_NOINHERIT,
                  kCreateMode);
  }

  std::ptrdiff_t Write(int fd, const void* data, std::size_t size) override {
    return _write(fd, data, static_cast<unsigned>(size < INT_MAX ? size : INT_MAX));
  }
  int Sync(int fd) override { return _commit(fd); }
  int Close(int fd) override { return _close(fd); }

  // std::rename refuses an existing target on Windows; ReplaceFileW keeps
  // what belongs to the old file (platform/FileReplaceWindows.h), and the
  // move behind it is written through to the disk.
  int Rename(const std::string& from, const std::string& to) override {
    if (ReplaceWithFile(WideFromUtf8(from), WideFromUtf8(to))) return 0;
    errno = ErrnoOf(GetLastError());
    return -1;
  }

  int Unlink(const std::string& path) override { return _wunlink(WideFromUtf8(path).c_str()); }
  // The move itself is written through (above).
  int SyncDirectory(const std::string&) override { return 0; }

  // What the path names, through the system's own handle: a device (NUL,
  // COM1) or a pipe is neither a file nor a folder. The mode holds the write
  // bits unless the file is read-only. A name is taken for a symbolic link
  // when it is a reparse point itself or when the file it opens has another
  // final path (a link or junction on the way, as wine shows the links of
  // the POSIX side): a replacement then goes to that final path.
  int Inspect(const std::string& path, FileStatus& status) override {
    status = FileStatus{};
    const std::wstring name = WideFromUtf8(path);
    const DWORD ownAttributes = GetFileAttributesW(name.c_str());
    const bool reparsePoint =
        ownAttributes != INVALID_FILE_ATTRIBUTES && (ownAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
    HANDLE handle = CreateFileW(name.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
      const DWORD error = GetLastError();
      if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) {
        // A link to nothing is there itself.
        status.exists = status.symbolicLink = reparsePoint;
        return 0;
      }
      // Held open by another program: what the name says of it.
      WIN32_FILE_ATTRIBUTE_DATA data{};
      if (!GetFileAttributesExW(name.c_str(), GetFileExInfoStandard, &data)) {
        errno = ErrnoOf(error);
        return -1;
      }
      Describe(data.dwFileAttributes, 1, status);
      status.symbolicLink = reparsePoint;
      return 0;
    }
    BY_HANDLE_FILE_INFORMATION info{};
    const bool onDisk = GetFileType(handle) == FILE_TYPE_DISK && GetFileInformationByHandle(handle, &info);
    std::wstring finalPath;
    const bool leadsElsewhere =
        onDisk && FinalPathOf(handle, finalPath) && _wcsicmp(finalPath.c_str(), FullPathOf(name).c_str()) != 0;
    CloseHandle(handle);
    if (onDisk) {
      Describe(info.dwFileAttributes, info.nNumberOfLinks, status);
      status.symbolicLink = reparsePoint || leadsElsewhere;
    } else {
      status.exists = status.targetExists = true;
      status.kind = FileStatus::Kind::Other;
      status.mode = 0666;
    }
    return 0;
  }

  // The final path of the file the name opens; where the system cannot tell
  // (before Vista, a name that opens nothing) the name made absolute.
  int ResolvePath(const std::string& path, std::string& resolved) override {
    const std::wstring name = WideFromUtf8(path);
    HANDLE handle = CreateFileW(name.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    std::wstring finalPath;
    const bool found = handle != INVALID_HANDLE_VALUE && FinalPathOf(handle, finalPath);
    if (handle != INVALID_HANDLE_VALUE) CloseHandle(handle);
    if (found) {
      resolved = Utf8FromWide(finalPath);
      return 0;
    }
    const std::unique_ptr<wchar_t, decltype(&std::free)> full(_wfullpath(nullptr, name.c_str(), 0), &std::free);
    if (full == nullptr) return -1;
    resolved = Utf8FromWide(full.get());
    return 0;
  }

  int CheckWritable(const std::string& path) override {
    constexpr int kWriteAccess = 2;
    return _waccess(WideFromUtf8(path).c_str(), kWriteAccess);
  }

  int OpenForWriting(const std::string& path) override {
    return _wopen(WideFromUtf8(path).c_str(), _O_WRONLY | _O_CREAT | _O_TRUNC | _O_BINARY | _O_NOINHERIT,
                  kCreateMode);
  }

  // Owner and permissions of a Windows file are its access list, which a
  // new file takes from its folder as every file of the user does; a
  // read-only file was refused before it came to a replacement.
  int KeepOwnerAndMode(int, const FileStatus&) override { return 0; }

  int OpenForAppending(const std::string& path) override {
    return _wopen(WideFromUtf8(path).c_str(), _O_WRONLY | _O_APPEND | _O_CREAT | _O_BINARY | _O_NOINHERIT,
                  kCreateMode);
  }
  // The whole file, as far as it may ever grow, for this handle alone.
  int Lock(int fd) override {
    OVERLAPPED start{};
    if (LockFileEx(reinterpret_cast<HANDLE>(_get_osfhandle(fd)), LOCKFILE_EXCLUSIVE_LOCK, 0, MAXDWORD, MAXDWORD,
                   &start)) {
      return 0;
    }
    errno = ErrnoOf(GetLastError());
    return -1;
  }
  int Unlock(int fd) override {
    OVERLAPPED start{};
    if (UnlockFileEx(reinterpret_cast<HANDLE>(_get_osfhandle(fd)), 0, MAXDWORD, MAXDWORD, &start)) return 0;
    errno = ErrnoOf(GetLastError());
    return -1;
  }
  int Length(int fd, std::int64_t& length) override {
    struct _stat64 status {};
    if (_fstat64(fd, &status) != 0) return -1;
    length = static_cast<std::int64_t>(status.st_size);
    return 0;
  }
  int Truncate(int fd, std::int64_t length) override {
    const errno_t error = _chsize_s(fd, length);
    if (error == 0) return 0;
    errno = error;
    return -1;
  }
  int SyncData(int fd) override { return _commit(fd); }
};

}  // namespace

FileOps& SystemFileOps() {
  static WindowsFileOps ops;
  return ops;
}

std::FILE* OpenFile(const std::string& path, const char* mode) {
  return _wfopen(WideFromUtf8(path).c_str(), WideFromUtf8(mode).c_str());
}

long long FileLength(std::FILE* file) {
  struct _stat64 status {};
  if (_fstat64(_fileno(file), &status) != 0) return -1;
  return static_cast<long long>(status.st_size);
}

std::string CurrentWorkingDirectory() {
  const std::unique_ptr<wchar_t, decltype(&std::free)> directory(_wgetcwd(nullptr, 0), &std::free);
  return directory != nullptr ? Utf8FromWide(directory.get()) : std::string();
}

// The same file on the same volume as standard output; a console or a pipe
// has no name a read-out could be given.
bool IsStandardOutput(const std::string& path) {
  BY_HANDLE_FILE_INFORMATION output{};
  const HANDLE standardOutput = GetStdHandle(STD_OUTPUT_HANDLE);
  if (standardOutput == INVALID_HANDLE_VALUE || standardOutput == nullptr ||
      GetFileType(standardOutput) != FILE_TYPE_DISK || !GetFileInformationByHandle(standardOutput, &output)) {
    return false;
  }
  HANDLE named = CreateFileW(WideFromUtf8(path).c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                             nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (named == INVALID_HANDLE_VALUE) return false;
  BY_HANDLE_FILE_INFORMATION info{};
  const bool same = GetFileInformationByHandle(named, &info) &&
                    info.dwVolumeSerialNumber == output.dwVolumeSerialNumber &&
                    info.nFileIndexHigh == output.nFileIndexHigh && info.nFileIndexLow == output.nFileIndexLow;
  CloseHandle(named);
  return same;
}

}  // namespace ferolith
