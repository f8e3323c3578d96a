#include "platform/WorkingFolder.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <system_error>

#include "core/AtomicFile.h"
#include "core/PathParts.h"
#include "core/TextFormat.h"
#include "platform/Files.h"

namespace ferolith {

namespace {

namespace fs = std::filesystem;

constexpr const char* kLibraryName = "ACELIST.CSV";

bool IsAbsolute(const std::string& path) { return !path.empty() && fs::path(path).is_absolute(); }

std::string Environment(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr ? value : "";
}

// Copies `from` to `to` through a temporary file, so that a copy cut short
// (a full disk) leaves no half library behind that would never be replaced.
void CopyWhole(const std::string& from, const std::string& to) {
  std::ifstream in(from, std::ios::binary);
  if (!in) return;
  const std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  if (in.bad()) return;
  AtomicFile out(SystemFileOps());
  if (out.Open(to) && out.Write(bytes)) out.Commit();
}

}  // namespace

std::string MenuFolderPath(const std::string& xdgDataHome, const std::string& home) {
  if (IsAbsolute(xdgDataHome)) return JoinDirectory(xdgDataHome, "ferolith");
  if (IsAbsolute(home)) return JoinDirectory(JoinDirectory(home, ".local/share"), "ferolith");
  return "";
}

MenuFolder PrepareMenuFolder(const MenuFolderRequest& request) {
  MenuFolder folder;
  const std::string path = MenuFolderPath(request.xdgDataHome, request.home);
  if (path.empty()) {
    folder.error =
        "Kein Arbeitsordner für den Start aus dem Menü:\n"
        "weder XDG_DATA_HOME noch HOME nennen einen absoluten Pfad.";
    return folder;
  }
  std::error_code error;
  fs::create_directories(fs::path(path).parent_path(), error);
  const bool created = fs::create_directory(path, error);
  if (!fs::is_directory(path, error)) {
    folder.error = FormatText(
        "Kann den Arbeitsordner\n'%s'\nnicht anlegen !\n\n"
        "Dort liegen KALVENOR.INI und ACELIST.CSV.",
        path.c_str());
    return folder;
  }
  if (created) {
    fs::permissions(path, fs::perms::owner_all, fs::perm_options::replace, error);
    CopyWhole(JoinDirectory(request.sampleFolder, kLibraryName), JoinDirectory(path, kLibraryName));
  }
  folder.path = path;
  return folder;
}

std::string ChooseSampleFolder(const std::string& installed, const std::string& fallback) {
  std::error_code error;
  return fs::is_regular_file(JoinDirectory(installed, kLibraryName), error) ? installed : fallback;
}

MenuFolderRequest MenuFolderRequestFromEnvironment() {
  return MenuFolderRequest{Environment("XDG_DATA_HOME"), Environment("HOME"),
                           ChooseSampleFolder(FEROLITH_SHARE_DIR, FEROLITH_SOURCE_RESOURCES)};
}

}  // namespace ferolith
