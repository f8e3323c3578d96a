#include "core/PathParts.h"

namespace ferolith {

namespace {

bool IsSeparator(char c) {
#ifdef _WIN32
  return c == '\\' || c == '/';
#else
  return c == '/';
#endif
}

}  // namespace

bool SamePathText(std::string_view a, std::string_view b) {
#ifdef _WIN32
  const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (lower(a[i]) != lower(b[i])) return false;
  }
  return true;
#else
  return a == b;
#endif
}

char PathSeparator() {
#ifdef _WIN32
  return '\\';
#else
  return '/';
#endif
}

PathParts SplitPath(std::string_view path) {
  PathParts parts;
#ifdef _WIN32
  if (path.size() >= 2 && path[1] == ':') {
    parts.drive = std::string(path.substr(0, 2));
    path.remove_prefix(2);
  }
#endif
  std::size_t nameStart = 0;
  for (std::size_t i = 0; i < path.size(); ++i) {
    if (IsSeparator(path[i])) nameStart = i + 1;
  }
  parts.directory = std::string(path.substr(0, nameStart));
  const std::string_view file = path.substr(nameStart);
  const std::size_t dot = file.rfind('.');
  if (dot == std::string_view::npos) {
    parts.name = std::string(file);
  } else {
    parts.name = std::string(file.substr(0, dot));
    parts.extension = std::string(file.substr(dot));
  }
  return parts;
}

std::string JoinPath(const PathParts& parts) {
  std::string path = parts.drive;
  path += parts.directory;
  if (!parts.directory.empty() && !IsSeparator(parts.directory.back())) path += PathSeparator();
  path += parts.name;
  if (!parts.extension.empty() && parts.extension.front() != '.') path += '.';
  path += parts.extension;
  return path;
}

std::string JoinDirectory(std::string_view directory, std::string_view fileName) {
  std::string path(directory);
  if (!path.empty() && !IsSeparator(path.back())) path += PathSeparator();
  path += fileName;
  return path;
}

}  // namespace ferolith
