#include "platform/StandardOutput.h"

#ifndef _WIN32
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace ferolith {

bool IsStandardOutput(const std::string& path) {
#ifdef _WIN32
  (void)path;
  return false;  // file names do not reach the console or a pipe there
#else
  struct stat named {};
  struct stat output {};
  return ::stat(path.c_str(), &named) == 0 && ::fstat(STDOUT_FILENO, &output) == 0 &&
         named.st_dev == output.st_dev && named.st_ino == output.st_ino;
#endif
}

}  // namespace ferolith
