#include "platform/WorkingFolder.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <system_error>
#include <vector>

#include "core/AtomicFile.h"
#include "core/PathParts.h"
#include "core/TextFormat.h"
#include "platform/Files.h"

namespace ferolith {

namespace {

namespace fs = std::filesystem;

constexpr const char* kLibraryName = "ACELIST.CSV";
constexpr const char* kBurnFileFolder = "samples";

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

// The first start's copies: the library, and the sample burn files of the
// sample folder's "samples" beside it, so that the open dialog of "Neue
// Datei" finds something to burn. A file that is there already is the
// user's and stays.
void CopySamples(const std::string& sampleFolder, const std::string& folder) {
  std::vector<fs::path> sources{fs::path(sampleFolder) / kLibraryName};
  std::error_code error;
  for (fs::directory_iterator entry(fs::path(sampleFolder) / kBurnFileFolder, error), end;
       !error && entry != end; entry.increment(error)) {
    if (entry->is_regular_file(error)) sources.push_back(entry->path());
  }
  for (const fs::path& source : sources) {
    const std::string target = JoinDirectory(folder, source.filename().string());
    if (fs::exists(target, error)) continue;
    CopyWhole(source.string(), target);
  }
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
    CopySamples(request.sampleFolder, path);
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
