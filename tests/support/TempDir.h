#pragma once

#include <cstdio>
#include <filesystem>
#include <string>

namespace ferolith::testing {

// A fresh directory below the system's temporary directory, removed with
// everything in it when the object goes away.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::filesystem::path& Path() const { return path_; }
  // The UTF-8 path of `name` in the directory.
  std::string File(const std::string& name) const;

 private:
  std::filesystem::path path_;
};

// Reads a whole file (UTF-8 name) as bytes; empty when it cannot be read.
std::string ReadFileBytes(const std::string& path);
// Writes bytes to a file, replacing it.
void WriteFileBytes(const std::string& path, const std::string& bytes);

// A file opened for reading that holds `bytes` (a file in a directory of
// its own, so that it works wherever fmemopen is missing).
class MemoryFile {
 public:
  explicit MemoryFile(const std::string& bytes);
  ~MemoryFile();
  MemoryFile(const MemoryFile&) = delete;
  MemoryFile& operator=(const MemoryFile&) = delete;
  std::FILE* Get() const { return file_; }

 private:
  TempDir dir_;
  std::FILE* file_ = nullptr;
};

// The project's source directory (for sample files under resources/).
std::filesystem::path SourceDir();

}  // namespace ferolith::testing
