#pragma once

#include <string>

namespace ferolith {

// The working folder of a start from the desktop's menu. KALVENOR.INI and
// ACELIST.CSV live in the working directory; a menu starts programs in the
// home folder, so the menu entry asks for a folder of the program's own in
// the user's data directory instead. A start from a shell keeps the
// current directory and never comes here.

// What the folder is made from.
struct MenuFolderRequest {
  std::string xdgDataHome;   // $XDG_DATA_HOME; empty when unset
  std::string home;          // $HOME; empty when unset
  // Holds the sample ACELIST.CSV and, in its folder "samples", the sample
  // burn files; all are copied on the first start.
  std::string sampleFolder;
};

// The prepared folder, or the German text that tells the user why there is none.
struct MenuFolder {
  std::string path;   // empty on failure
  std::string error;  // empty on success
};

// $XDG_DATA_HOME/ferolith, or $HOME/.local/share/ferolith when XDG_DATA_HOME
// is unset, empty or relative (a relative base directory is to be ignored).
// Empty when neither gives an absolute path.
std::string MenuFolderPath(const std::string& xdgDataHome, const std::string& home);

// Makes the folder on the first start (owner-only, with missing parents)
// and copies the sample library and burn files into it then. A folder that exists already
// is used as it is: the sample is copied once, and nothing the user keeps
// there is ever replaced.
MenuFolder PrepareMenuFolder(const MenuFolderRequest& request);

// `installed` when it holds ACELIST.CSV, else `fallback`.
std::string ChooseSampleFolder(const std::string& installed, const std::string& fallback);

// The request of this process: its environment, and the installed share
// folder of this build (the source tree's resources when the program runs
// from the build tree, before it is installed).
MenuFolderRequest MenuFolderRequestFromEnvironment();

}  // namespace ferolith
