#include <sys/resource.h>
#include <cerrno>
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include "platform/DesktopMarkers.h"
#include "platform/Priority.h"
#include "tests/support/TempDir.h"

namespace ferolith {
namespace {

using testing::TempDir;

TEST(DesktopMarkers, AHeldMarkIsSeenUntilItIsReleased) {
  TempDir dir;
  LockFileMarkers markers(dir.Path().string());
  EXPECT_FALSE(markers.Exists(Marker::ProgrammerBusy));
  {
    auto hold = markers.Hold(Marker::ProgrammerBusy);
    EXPECT_TRUE(markers.Exists(Marker::ProgrammerBusy));
    EXPECT_FALSE(markers.Exists(Marker::ThisProgram));
  }
  EXPECT_FALSE(markers.Exists(Marker::ProgrammerBusy));
}

TEST(DesktopMarkers, AMarkOfAnotherProcessIsSeenAndVanishesWhenItEnds) {
  TempDir dir;
  int toParent[2];
  int toChild[2];
  ASSERT_EQ(pipe(toParent), 0);
  ASSERT_EQ(pipe(toChild), 0);
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    LockFileMarkers markers(dir.Path().string());
    auto hold = markers.Hold(Marker::ThisProgram);
    char byte = 'h';
    (void)!write(toParent[1], &byte, 1);
    (void)!read(toChild[0], &byte, 1);  // hold until the parent has looked
    _exit(0);                           // no destructors: the kernel releases the lock
  }
  char byte = 0;
  ASSERT_EQ(read(toParent[0], &byte, 1), 1);
  LockFileMarkers markers(dir.Path().string());
  EXPECT_TRUE(markers.Exists(Marker::ThisProgram));
  ASSERT_EQ(write(toChild[1], &byte, 1), 1);
  int status = 0;
  waitpid(child, &status, 0);
  EXPECT_FALSE(markers.Exists(Marker::ThisProgram));
  for (int fd : {toParent[0], toParent[1], toChild[0], toChild[1]}) close(fd);
}

TEST(DesktopMarkers, AnUnusableDirectoryMeansNoMark) {
  LockFileMarkers markers("/proc/no-such-place/kalvenor");
  EXPECT_FALSE(markers.Exists(Marker::ProgrammerBusy));
  auto hold = markers.Hold(Marker::ProgrammerBusy);
  EXPECT_NE(hold, nullptr);
}

TEST(PriorityGuard, RestoresTheNiceLevelItFound) {
  errno = 0;
  const int before = getpriority(PRIO_PROCESS, 0);
  {
    PriorityGuard guard(0);
    const int during = getpriority(PRIO_PROCESS, 0);
    EXPECT_LE(during, before);  // raised where allowed, unchanged otherwise
  }
  EXPECT_EQ(getpriority(PRIO_PROCESS, 0), before);
}

}  // namespace
}  // namespace ferolith
