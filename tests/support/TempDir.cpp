#include "tests/support/TempDir.h"

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <random>
#include <sstream>

#include "core/Utf8Path.h"

namespace ferolith::testing {

TempDir::TempDir() {
  std::random_device random;
  const std::filesystem::path base = std::filesystem::temp_directory_path();
  for (int attempt = 0; attempt < 100; ++attempt) {
    const std::filesystem::path candidate = base / ("ferolith-" + std::to_string(random()));
    std::error_code error;
    if (std::filesystem::create_directory(candidate, error)) {
      path_ = candidate;
      return;
    }
  }
  std::abort();
}

TempDir::~TempDir() {
  std::error_code ignored;
  // Restore write permission on anything a test made read-only, so that the
  // removal cannot fail.
  for (auto it = std::filesystem::recursive_directory_iterator(path_, ignored);
       it != std::filesystem::recursive_directory_iterator(); it.increment(ignored)) {
    std::filesystem::permissions(it->path(), std::filesystem::perms::owner_all,
                                 std::filesystem::perm_options::add, ignored);
  }
  std::filesystem::remove_all(path_, ignored);
}

std::string TempDir::File(const std::string& name) const { return Utf8FromPath(path_ / PathFromUtf8(name)); }

std::string ReadFileBytes(const std::string& path) {
  std::ifstream in(PathFromUtf8(path), std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

void WriteFileBytes(const std::string& path, const std::string& bytes) {
  std::ofstream out(PathFromUtf8(path), std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

MemoryFile::MemoryFile(const std::string& bytes) {
  const std::string path = dir_.File("memory");
  WriteFileBytes(path, bytes);
  file_ = std::fopen(path.c_str(), "rb");
  if (file_ == nullptr) std::abort();
}

MemoryFile::~MemoryFile() { std::fclose(file_); }

std::filesystem::path SourceDir() {
  if (const char* dir = std::getenv("FEROLITH_SOURCE_DIR")) return dir;
  return FEROLITH_SOURCE_DIR_FALLBACK;
}

}  // namespace ferolith::testing
