#include <gtest/gtest.h>

#include <cerrno>
#include <tuple>

#ifdef _WIN32
#include <windows.h>
#else
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include "platform/DesktopMarkers.h"
#include "platform/Priority.h"
#include "platform/WorkingFolder.h"
#include "tests/support/Portable.h"
#include "tests/support/TempDir.h"

namespace ferolith {
namespace {

using testing::ReadFileBytes;
using testing::TempDir;
using testing::WriteFileBytes;

// The markers of this platform: lock files in a folder of the test's own;
// on Windows the desktop's window titles themselves, with names that no
// other program uses, since the whole desktop sees them.
TEST(DesktopMarkers, AHeldMarkIsSeenUntilItIsReleased) {
  TempDir dir;
#ifdef _WIN32
  const auto markers = MakeDesktopMarkers();
  const std::string busy = "Ferolith-Test-" + std::to_string(GetCurrentProcessId());
  const std::string other = busy + "-other";
#else
  const auto markers = std::make_unique<LockFileMarkers>(dir.Path().string());
  const std::string busy = Marker::ProgrammerBusy;
  const std::string other = Marker::ThisProgram;
#endif
  EXPECT_FALSE(markers->Exists(busy));
  {
    auto hold = markers->Hold(busy);
    EXPECT_TRUE(markers->Exists(busy));
    EXPECT_FALSE(markers->Exists(other));
#ifdef _WIN32
    // What the other programs of the family look for: a top-level window
    // with exactly this title.
    EXPECT_NE(FindWindowA(nullptr, busy.c_str()), nullptr);
#endif
  }
  EXPECT_FALSE(markers->Exists(busy));
}

TEST(DesktopMarkers, AMarkOfAnotherProcessIsSeenAndVanishesWhenItEnds) {
#ifdef _WIN32
  GTEST_SKIP() << "needs fork; Windows destroys a window with the process that made it";
#else
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
#endif
}

TEST(DesktopMarkers, AnUnusableDirectoryMeansNoMark) {
#ifdef _WIN32
  GTEST_SKIP() << "Windows marks are window titles, not files in a folder";
#else
  LockFileMarkers markers("/proc/no-such-place/kalvenor");
  EXPECT_FALSE(markers.Exists(Marker::ProgrammerBusy));
  auto hold = markers.Hold(Marker::ProgrammerBusy);
  EXPECT_NE(hold, nullptr);
#endif
}

TEST(PriorityGuard, RaisesAndRestores) {
#ifdef _WIN32
  // Only the known 95 family (OsId 1..3) gets the real-time class; the NT
  // family, known or not (every Windows after Server 2003 is OsId 0), gets
  // the high class, so that the busy-polling link never starves the
  // desktop. Afterwards both are normal again.
  for (const auto& [osId, raised, thread] : {std::tuple{5u, HIGH_PRIORITY_CLASS, THREAD_PRIORITY_HIGHEST},
                                              std::tuple{0u, HIGH_PRIORITY_CLASS, THREAD_PRIORITY_HIGHEST},
                                              std::tuple{8u, HIGH_PRIORITY_CLASS, THREAD_PRIORITY_HIGHEST},
                                              std::tuple{1u, REALTIME_PRIORITY_CLASS, THREAD_PRIORITY_TIME_CRITICAL},
                                              std::tuple{3u, REALTIME_PRIORITY_CLASS, THREAD_PRIORITY_TIME_CRITICAL}}) {
    {
      PriorityGuard guard(osId);
      EXPECT_EQ(GetPriorityClass(GetCurrentProcess()), static_cast<DWORD>(raised)) << osId;
      EXPECT_EQ(GetThreadPriority(GetCurrentThread()), thread) << osId;
    }
    EXPECT_EQ(GetPriorityClass(GetCurrentProcess()), static_cast<DWORD>(NORMAL_PRIORITY_CLASS));
    EXPECT_EQ(GetThreadPriority(GetCurrentThread()), THREAD_PRIORITY_NORMAL);
  }
#else
  errno = 0;
  const int before = getpriority(PRIO_PROCESS, 0);
  {
    PriorityGuard guard(0);
    const int during = getpriority(PRIO_PROCESS, 0);
    EXPECT_LE(during, before);  // raised where allowed, unchanged otherwise
  }
  EXPECT_EQ(getpriority(PRIO_PROCESS, 0), before);
#endif
}


// The menu start and its folder follow the base directories of Linux
// desktops.
constexpr const char* kLinuxMenuStart = "the menu start is that of Linux desktops";

TEST(MenuFolder, ComesFromAnAbsoluteXdgDataHomeElseFromHome) {
  SKIP_ON_WINDOWS(kLinuxMenuStart);
  EXPECT_EQ(MenuFolderPath("/data/anna", "/home/anna"), "/data/anna/ferolith");
  EXPECT_EQ(MenuFolderPath("/data/anna/", "/home/anna"), "/data/anna/ferolith");
  EXPECT_EQ(MenuFolderPath("", "/home/anna"), "/home/anna/.local/share/ferolith");
  // A relative base directory is ignored, as the base directory rules say.
  EXPECT_EQ(MenuFolderPath("data", "/home/anna"), "/home/anna/.local/share/ferolith");
  EXPECT_EQ(MenuFolderPath("data", "anna"), "");
  EXPECT_EQ(MenuFolderPath("", ""), "");
}

// A sample folder with a library of its own text, and a home below `dir`.
struct MenuStart {
  TempDir dir;
  std::filesystem::path samples = dir.Path() / "share";
  std::filesystem::path home = dir.Path() / "home";
  std::filesystem::path folder = home / ".local" / "share" / "ferolith";

  MenuStart() {
    std::filesystem::create_directories(samples);
    std::filesystem::create_directories(home);
    WriteFileBytes((samples / "ACELIST.CSV").string(), ":Muster;Y\r\n");
  }
  MenuFolder Prepare() { return PrepareMenuFolder({"", home.string(), samples.string()}); }
};

TEST(MenuFolder, TheFirstStartMakesTheFolderAndCopiesTheSampleLibrary) {
  SKIP_ON_WINDOWS(kLinuxMenuStart);
  MenuStart start;
  const MenuFolder folder = start.Prepare();
  EXPECT_EQ(folder.error, "");
  EXPECT_EQ(folder.path, start.folder.string());
  EXPECT_EQ(ReadFileBytes((start.folder / "ACELIST.CSV").string()), ":Muster;Y\r\n");
  const auto perms = std::filesystem::status(start.folder).permissions();
  EXPECT_EQ(perms & std::filesystem::perms::all, std::filesystem::perms::owner_all);
  // Only the library is copied; the settings file comes with the first save.
  EXPECT_FALSE(std::filesystem::exists(start.folder / "KALVENOR.INI"));

  const MenuFolder beside =
      PrepareMenuFolder({(start.dir.Path() / "xdg").string(), "", start.samples.string()});
  EXPECT_EQ(beside.path, (start.dir.Path() / "xdg" / "ferolith").string());
  EXPECT_EQ(ReadFileBytes(beside.path + "/ACELIST.CSV"), ":Muster;Y\r\n");
}

TEST(MenuFolder, LaterStartsNeverReplaceOrBringBackWhatTheUserKeepsThere) {
  SKIP_ON_WINDOWS(kLinuxMenuStart);
  MenuStart start;
  ASSERT_EQ(start.Prepare().error, "");
  const std::string library = (start.folder / "ACELIST.CSV").string();
  WriteFileBytes(library, ":Eigene;Y\r\n");
  WriteFileBytes((start.folder / "KALVENOR.INI").string(), "[Hardware]\r\n");
  WriteFileBytes((start.samples / "ACELIST.CSV").string(), ":Neuer;Y\r\n");

  EXPECT_EQ(start.Prepare().path, start.folder.string());
  EXPECT_EQ(ReadFileBytes(library), ":Eigene;Y\r\n");
  EXPECT_EQ(ReadFileBytes((start.folder / "KALVENOR.INI").string()), "[Hardware]\r\n");

  std::filesystem::remove(library);  // removed on purpose: stays removed
  EXPECT_EQ(start.Prepare().error, "");
  EXPECT_FALSE(std::filesystem::exists(library));
}

TEST(MenuFolder, AFolderThatCannotBeMadeIsReportedInGerman) {
  SKIP_ON_WINDOWS(kLinuxMenuStart);
  MenuStart start;
  // A home that is a file: no folder can be made below it, not even by root.
  WriteFileBytes((start.dir.Path() / "plain").string(), "x");
  MenuFolder folder =
      PrepareMenuFolder({"", (start.dir.Path() / "plain").string(), start.samples.string()});
  EXPECT_EQ(folder.path, "");
  EXPECT_EQ(folder.error, "Kann den Arbeitsordner\n'" + start.dir.Path().string() +
                              "/plain/.local/share/ferolith'\nnicht anlegen !\n\n"
                              "Dort liegen KALVENOR.INI und ACELIST.CSV.");

  // The folder's own name taken by a file.
  std::filesystem::create_directories(start.folder.parent_path());
  WriteFileBytes(start.folder.string(), "x");
  EXPECT_NE(start.Prepare().error.find("nicht anlegen !"), std::string::npos);

  folder = PrepareMenuFolder({"relative", "", start.samples.string()});
  EXPECT_EQ(folder.path, "");
  EXPECT_EQ(folder.error,
            "Kein Arbeitsordner für den Start aus dem Menü:\n"
            "weder XDG_DATA_HOME noch HOME nennen einen absoluten Pfad.");
}

TEST(MenuFolder, WithoutASampleLibraryTheFolderIsMadeEmpty) {
  SKIP_ON_WINDOWS(kLinuxMenuStart);
  MenuStart start;
  std::filesystem::remove(start.samples / "ACELIST.CSV");
  const MenuFolder folder = start.Prepare();
  EXPECT_EQ(folder.error, "");
  EXPECT_TRUE(std::filesystem::is_empty(start.folder));
}

TEST(MenuFolder, TheInstalledSamplesWinOverTheSourceTree) {
  SKIP_ON_WINDOWS(kLinuxMenuStart);
  MenuStart start;
  const std::string other = (start.dir.Path() / "other").string();
  EXPECT_EQ(ChooseSampleFolder(start.samples.string(), other), start.samples.string());
  EXPECT_EQ(ChooseSampleFolder(other, start.samples.string()), start.samples.string());
  // A directory named like the library does not count.
  std::filesystem::create_directories(start.dir.Path() / "other" / "ACELIST.CSV");
  EXPECT_EQ(ChooseSampleFolder(other, start.samples.string()), start.samples.string());
}

}  // namespace
}  // namespace ferolith
