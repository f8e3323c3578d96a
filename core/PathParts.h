#pragma once

#include <string>
#include <string_view>

namespace ferolith {

// A path taken apart the way the program needs it: drive (Windows only,
// such as "C:"), directory with its trailing separator, file name without
// extension, and extension with its leading dot (".hex"). Joining the four
// parts gives the path again.
struct PathParts {
  std::string drive;
  std::string directory;
  std::string name;
  std::string extension;
};

// Windows rules ("C:\dir\name.ext", '\' and '/' as separators) in a Windows
// build, POSIX rules ('/' only, no drive) elsewhere.
PathParts SplitPath(std::string_view path);
std::string JoinPath(const PathParts& parts);

// Joins a directory and a file name, adding the separator only where the
// directory does not end in one.
std::string JoinDirectory(std::string_view directory, std::string_view fileName);

// The platform's directory separator.
char PathSeparator();

// Whether two paths are the same text as the file system compares names:
// byte for byte on POSIX, without regard to (ASCII) letter case on Windows.
bool SamePathText(std::string_view a, std::string_view b);

}  // namespace ferolith
