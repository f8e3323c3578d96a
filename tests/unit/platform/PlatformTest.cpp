#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <functional>
#include <string>
#include <tuple>
#include <vector>

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <grp.h>
#include <pwd.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include "platform/Console.h"
#include "platform/DesktopMarkers.h"
#include "platform/Priority.h"
#include "platform/Privileges.h"
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
  std::string problem;
  const auto markers = MakeDesktopMarkers(problem);
  ASSERT_NE(markers, nullptr) << problem;
  const std::string busy = "Ferolith-Test-" + std::to_string(GetCurrentProcessId());
  const std::string other = busy + "-other";
#else
  const auto markers = std::make_unique<LockFileMarkers>(dir.File("marks"));
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
    LockFileMarkers markers(dir.File("marks"));
    auto hold = markers.Hold(Marker::ThisProgram);
    char byte = 'h';
    (void)!write(toParent[1], &byte, 1);
    (void)!read(toChild[0], &byte, 1);  // hold until the parent has looked
    _exit(0);                           // no destructors: the kernel releases the lock
  }
  char byte = 0;
  ASSERT_EQ(read(toParent[0], &byte, 1), 1);
  LockFileMarkers markers(dir.File("marks"));
  EXPECT_TRUE(markers.Exists(Marker::ThisProgram));
  ASSERT_EQ(write(toChild[1], &byte, 1), 1);
  int status = 0;
  waitpid(child, &status, 0);
  EXPECT_FALSE(markers.Exists(Marker::ThisProgram));
  for (int fd : {toParent[0], toParent[1], toChild[0], toChild[1]}) close(fd);
#endif
}

// The attack on a folder in /tmp: another local user makes the folder that
// root's next run will use before it starts, with a link in it to a system
// file, and would have root create that file (/etc/nologin blocks every
// other login) or simply hold the lock. Each planted folder is refused with
// a message naming it, nothing is created through the link, and every mark
// counts as held, so no command runs.
TEST(DesktopMarkers, AFolderPlantedBeforeTheStartIsRefusedAndNothingFollowsItsLinks) {
#ifdef _WIN32
  GTEST_SKIP() << "Windows marks are window titles, not files in a folder";
#else
  TempDir dir;
  const std::filesystem::path temporary = dir.Path() / "tmp";
  std::filesystem::create_directory(temporary);
  const std::filesystem::path victim = dir.Path() / "nologin";
  MarkerPlaces places;
  places.runUser = (dir.Path() / "no-run-user").string();
  places.temporary = temporary.string();
  places.user = static_cast<std::uint32_t>(::geteuid());
  const std::string folder = MarkerDirectory(places);
  ASSERT_EQ(folder, (temporary / ("kalvenor-" + std::to_string(places.user))).string());

  struct Plant {
    const char* what;
    std::function<void()> plant;
    const char* reason;
  };
  const std::filesystem::path elsewhere = dir.Path() / "elsewhere";
  const std::vector<Plant> plants = {
      {"a folder open to everybody",
       [&] {
         ASSERT_EQ(::mkdir(folder.c_str(), 0777), 0);
         ASSERT_EQ(::chmod(folder.c_str(), 0777), 0);
       },
       "Rechte 0777 statt 0700"},
      {"a link to a folder of the attacker",
       [&] {
         std::filesystem::create_directory(elsewhere);
         ASSERT_EQ(::chmod(elsewhere.c_str(), 0700), 0);
         std::filesystem::create_directory_symlink(elsewhere, folder);
       },
       "er ist ein symbolischer Link"},
      {"a file instead of a folder", [&] { WriteFileBytes(folder, ""); }, "er ist kein Ordner"},
  };
  for (const Plant& plant : plants) {
    SCOPED_TRACE(plant.what);
    ASSERT_NO_FATAL_FAILURE(plant.plant());
    if (std::filesystem::is_directory(folder)) {
      std::filesystem::create_symlink(victim, std::filesystem::path(folder) / "KalvenorDevil.lock");
    }
    LockFileMarkers markers(folder);
    EXPECT_NE(markers.Problem().find("'" + folder + "'"), std::string::npos) << markers.Problem();
    EXPECT_NE(markers.Problem().find(plant.reason), std::string::npos) << markers.Problem();
    EXPECT_TRUE(markers.Exists(Marker::ProgrammerBusy));
    EXPECT_TRUE(markers.Exists(Marker::ThisProgram));
    markers.Hold(Marker::ProgrammerBusy);
    EXPECT_FALSE(std::filesystem::exists(std::filesystem::symlink_status(victim)));
    std::filesystem::remove_all(folder);
    std::filesystem::remove_all(elsewhere);
  }

  // Owned by another user (only root can hand a folder over).
  if (::geteuid() == 0) {
    ASSERT_EQ(::mkdir(folder.c_str(), 0700), 0);
    ASSERT_EQ(::chown(folder.c_str(), 65534, 65534), 0);
    LockFileMarkers markers(folder);
    EXPECT_NE(markers.Problem().find("er gehört nicht diesem Benutzer, sondern dem mit der Nummer 65534"),
              std::string::npos)
        << markers.Problem();
    std::filesystem::remove_all(folder);
  }

  // A folder of the user's own: made with mode 0700; a link planted inside
  // is not followed, and its mark counts as held.
  {
    LockFileMarkers markers(folder);
    EXPECT_EQ(markers.Problem(), "");
    EXPECT_EQ(std::filesystem::status(folder).permissions(), std::filesystem::perms::owner_all);
    std::filesystem::create_symlink(victim, std::filesystem::path(folder) / "KalvenorDevil.lock");
    EXPECT_TRUE(markers.Exists(Marker::ProgrammerBusy));
    markers.Hold(Marker::ProgrammerBusy);
    EXPECT_FALSE(std::filesystem::exists(std::filesystem::symlink_status(victim)));
    EXPECT_FALSE(markers.Exists(Marker::ThisProgram));
  }
#endif
}

// The runtime folder of the environment comes first; then the login's
// runtime folder of the user, but only when it is the user's own; else a
// folder of the user in /tmp.
TEST(DesktopMarkers, TheFolderIsTheRuntimeFolderOfTheUserElseOneInTmp) {
#ifdef _WIN32
  GTEST_SKIP() << "Windows marks are window titles, not files in a folder";
#else
  TempDir dir;
  MarkerPlaces places;
  places.runUser = (dir.Path() / "run-user").string();
  places.temporary = "/tmp";
  places.user = static_cast<std::uint32_t>(::geteuid());
  const std::string uid = std::to_string(places.user);
  const std::string own = (dir.Path() / "run-user" / uid).string();
  places.runtimeDirectory = "/run/user/77";
  EXPECT_EQ(MarkerDirectory(places), "/run/user/77/kalvenor");
  places.runtimeDirectory.clear();
  EXPECT_EQ(MarkerDirectory(places), "/tmp/kalvenor-" + uid);
  std::filesystem::create_directories(dir.Path() / "run-user" / "elsewhere");
  std::filesystem::create_directory_symlink(dir.Path() / "run-user" / "elsewhere", own);
  EXPECT_EQ(MarkerDirectory(places), "/tmp/kalvenor-" + uid) << "a link is not the user's own folder";
  std::filesystem::remove(own);
  std::filesystem::create_directory(own);
  EXPECT_EQ(MarkerDirectory(places), own + "/kalvenor");
  if (::geteuid() == 0) {
    ASSERT_EQ(::chown(own.c_str(), 65534, 65534), 0);
    EXPECT_EQ(MarkerDirectory(places), "/tmp/kalvenor-" + uid) << "another user's folder";
  }
#endif
}

// A program started with standard input and output closed: the first files
// it opens would take descriptors 0 and 1, text for the terminal would go
// into one, and Ctrl-C, which puts the null device in place of standard
// input, would replace the other. The check at the start fills the
// gap; the end of standard input keeps errno even when its call fails (here:
// no descriptor may be had at all), as a signal handler must.
TEST(StandardStreams, AClosedStandardInputIsFilledAndItsEndTouchesNoOtherFile) {
#ifdef _WIN32
  GTEST_SKIP() << "needs fork";
#else
  TempDir dir;
  const std::string path = dir.File("being-written.hex");
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    ::close(STDIN_FILENO);
    ::close(STDOUT_FILENO);
    PrepareStandardStreams();
    const int file = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    EndStandardInput();  // Ctrl-C while the file is being written
    const bool written = ::write(file, "data", 4) == 4;
    struct stat input {};
    struct stat null {};
    const bool inputIsNull = ::fstat(STDIN_FILENO, &input) == 0 && ::stat("/dev/null", &null) == 0 &&
                             input.st_rdev == null.st_rdev;
    const rlimit none{0, 0};
    ::setrlimit(RLIMIT_NOFILE, &none);
    errno = EDOM;
    EndStandardInput();
    const bool errnoKept = errno == EDOM;
    _exit((file > STDERR_FILENO ? 0 : 1) | (written ? 0 : 2) | (inputIsNull ? 0 : 4) | (errnoKept ? 0 : 8));
  }
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status));
  const int failed = WEXITSTATUS(status);
  EXPECT_EQ(failed & 1, 0) << "the file took the number of a standard stream";
  EXPECT_EQ(failed & 2, 0) << "the file was replaced";
  EXPECT_EQ(failed & 4, 0) << "standard input is not the null device";
  EXPECT_EQ(failed & 8, 0) << "errno was changed";
  EXPECT_EQ(ReadFileBytes(path), "data");
#endif
}

// Started through sudo (root, with SUDO_UID and SUDO_GID naming the user
// nobody): from the first step on every file the process creates is the
// user's; root comes back only while the port is opened, and afterwards it
// is gone from every id, so it cannot be taken back.
TEST(Privileges, UnderSudoFilesAreTheUsersAndRootServesOnlyThePortsOpening) {
#ifdef _WIN32
  GTEST_SKIP() << "sudo and user ids are POSIX";
#else
  if (::geteuid() != 0) GTEST_SKIP() << "needs root, as sudo gives it";
  const passwd* nobody = ::getpwnam("nobody");
  if (nobody == nullptr) GTEST_SKIP() << "there is no user nobody";
  TempDir dir;
  ASSERT_EQ(::chmod(dir.Path().c_str(), 0777), 0);
  const uid_t user = nobody->pw_uid;
  const gid_t group = nobody->pw_gid;
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    ::setenv("SUDO_UID", std::to_string(user).c_str(), 1);
    ::setenv("SUDO_GID", std::to_string(group).c_str(), 1);
    // Released before _exit, which runs no destructor.
    std::unique_ptr<Privileges> privileges = TakePrivilegesAtStart();
    const bool actsForUser = privileges->ActsForSudoUser() && privileges->Problem().empty();
    const auto ownerOf = [](const std::string& path) {
      struct stat info {};
      return ::stat(path.c_str(), &info) == 0 ? info.st_uid : uid_t{0};
    };
    const auto create = [&](const std::string& name) {
      const int fd = ::open(dir.File(name).c_str(), O_WRONLY | O_CREAT | O_EXCL, 0644);
      if (fd >= 0) ::close(fd);
      return ownerOf(dir.File(name));
    };
    const bool startFileIsTheUsers = create("at-start") == user;
    bool rootWhileOpening = false;
    privileges->OpenPortThenDropRoot([&] { rootWhileOpening = ::geteuid() == 0; });
    uid_t ids[3] = {};
    gid_t groups[3] = {};
    ::getresuid(&ids[0], &ids[1], &ids[2]);
    ::getresgid(&groups[0], &groups[1], &groups[2]);
    const bool allTheUsers = ids[0] == user && ids[1] == user && ids[2] == user && groups[0] == group &&
                             groups[1] == group && groups[2] == group;
    gid_t supplementary[64] = {};
    const int count = ::getgroups(64, supplementary);
    const bool noRootGroup = count >= 0 && std::find(supplementary, supplementary + count, gid_t{0}) ==
                                               supplementary + count;
    const bool rootIsGone = ::seteuid(0) != 0;
    const bool laterFileIsTheUsers = create("after-drop") == user;
    privileges.reset();
    _exit((actsForUser ? 0 : 1) | (startFileIsTheUsers ? 0 : 2) | (rootWhileOpening ? 0 : 4) |
          (allTheUsers ? 0 : 8) | (noRootGroup ? 0 : 16) | (rootIsGone ? 0 : 32) | (laterFileIsTheUsers ? 0 : 64));
  }
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status));
  const int failed = WEXITSTATUS(status);
  EXPECT_EQ(failed & 1, 0) << "does not act for the user";
  EXPECT_EQ(failed & 2, 0) << "a file made at the start is not the user's";
  EXPECT_EQ(failed & 4, 0) << "the port was not opened as root";
  EXPECT_EQ(failed & 8, 0) << "root is left in an id";
  EXPECT_EQ(failed & 16, 0) << "root's group is left among the groups";
  EXPECT_EQ(failed & 32, 0) << "root could be taken back";
  EXPECT_EQ(failed & 64, 0) << "a file made after the drop is not the user's";

  // Without sudo's variables root stays root and says so.
  ::unsetenv("SUDO_UID");
  const auto alone = TakePrivilegesAtStart();
  EXPECT_TRUE(alone->RootWithoutSudo());
  EXPECT_FALSE(alone->ActsForSudoUser());
  bool opened = false;
  alone->OpenPortThenDropRoot([&] { opened = true; });
  EXPECT_TRUE(opened);
  EXPECT_EQ(::geteuid(), 0u);
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
    std::filesystem::create_directories(samples / "samples");
    WriteFileBytes((samples / "samples" / "blink.hex").string(), ":00000001FF\r\n");
    WriteFileBytes((samples / "samples" / "blink.rex").string(), ":00000001FF\n");
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
  // The sample burn files come beside it, so that "Neue Datei" finds one.
  EXPECT_EQ(ReadFileBytes((start.folder / "blink.hex").string()), ":00000001FF\r\n");
  EXPECT_EQ(ReadFileBytes((start.folder / "blink.rex").string()), ":00000001FF\n");
  // The settings file comes with the first save.
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
  std::filesystem::remove(start.folder / "blink.rex");
  WriteFileBytes((start.folder / "blink.hex").string(), "mine");
  EXPECT_EQ(start.Prepare().error, "");
  EXPECT_FALSE(std::filesystem::exists(library));
  EXPECT_FALSE(std::filesystem::exists(start.folder / "blink.rex"));
  EXPECT_EQ(ReadFileBytes((start.folder / "blink.hex").string()), "mine");
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
  std::filesystem::remove_all(start.samples / "samples");
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
