#include <gtest/gtest.h>

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include <algorithm>
#include <bit>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <regex>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "core/Utf8Path.h"
#ifdef _WIN32
#include "platform/WideText.h"
#endif
#include "tests/support/Portable.h"
#include "tests/support/TempDir.h"

namespace ferolith::testing {
namespace {

// The production-run driver plays a terminal or a pipe and sends signals.
constexpr const char* kNeedsTerminalDriver =
    "the production-run driver needs python3, a pseudo-terminal and POSIX signals; wine has none of them";

struct CliRun {
  int status;
  std::string out;
  std::string err;
};

// Runs the built ferolith-cli in a working directory that holds the sample
// device library; the virtual chip is kept in chip.sim between runs.
class CliEndToEnd : public ::testing::Test {
 protected:
  void SetUp() override {
    std::filesystem::copy_file(SourceDir() / "resources" / "ACELIST.CSV", dir_.File("ACELIST.CSV"));
  }

#ifdef _WIN32
  // Started with the wide-character command line, so that any name reaches
  // the program, its output into files of the test. Windows marks are
  // window titles of the whole desktop: these tests run one at a time (see
  // CMakeLists.txt). The C runtime ends a console line with CR LF there; the
  // texts compared here are the lines.
  CliRun Cli(const std::string& arguments) {
    static const std::wstring program =
        std::filesystem::absolute(PathFromUtf8(FEROLITH_CLI_PATH)).make_preferred().wstring();
    SECURITY_ATTRIBUTES inherited{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
    const auto open = [&](const std::wstring& path, DWORD access, DWORD disposition) {
      return CreateFileW(path.c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherited, disposition,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
    };
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = open(L"NUL", GENERIC_READ, OPEN_EXISTING);
    startup.hStdOutput = open(PathFromUtf8(dir_.File("out.txt")).wstring(), GENERIC_WRITE, CREATE_ALWAYS);
    startup.hStdError = open(PathFromUtf8(dir_.File("err.txt")).wstring(), GENERIC_WRITE, CREATE_ALWAYS);
    std::wstring commandLine = L"\"" + program + L"\" " + WideFromUtf8(arguments);
    PROCESS_INFORMATION process{};
    DWORD status = 255;
    if (CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr,
                       dir_.Path().wstring().c_str(), &startup, &process)) {
      WaitForSingleObject(process.hProcess, INFINITE);
      GetExitCodeProcess(process.hProcess, &status);
      CloseHandle(process.hThread);
      CloseHandle(process.hProcess);
    }
    for (HANDLE handle : {startup.hStdInput, startup.hStdOutput, startup.hStdError}) CloseHandle(handle);
    return {static_cast<int>(status), Lines(ReadFileBytes(dir_.File("out.txt"))),
            Lines(ReadFileBytes(dir_.File("err.txt")))};
  }
  // A production run on the simulator, interrupted with `presses` Ctrl-C
  // while it waits on standard input (a pipe that stays open) for the next
  // chip. The program gets a console of its own, which this test joins to
  // send the Ctrl-Cs (ignoring them itself), as a user's console does.
  // Every wait polls with a generous deadline; a program that does not end
  // is ended by force and reported with status -1.
  CliRun InterruptWhileWaiting(const std::string& arguments, int presses) {
    static const std::wstring program =
        std::filesystem::absolute(PathFromUtf8(FEROLITH_CLI_PATH)).make_preferred().wstring();
    SECURITY_ATTRIBUTES inherited{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
    HANDLE input = nullptr;
    HANDLE feed = nullptr;
    EXPECT_TRUE(CreatePipe(&input, &feed, &inherited, 0));
    SetHandleInformation(feed, HANDLE_FLAG_INHERIT, 0);
    const auto open = [&](const std::string& name) {
      return CreateFileW(PathFromUtf8(dir_.File(name)).wstring().c_str(), GENERIC_WRITE,
                         FILE_SHARE_READ | FILE_SHARE_WRITE, &inherited, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                         nullptr);
    };
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = input;
    startup.hStdOutput = open("out.txt");
    startup.hStdError = open("err.txt");
    std::wstring commandLine = L"\"" + program + L"\" -q --simulate=chip.sim --manufacturer 0 --device QM1108-2KE " +
                               WideFromUtf8(arguments);
    PROCESS_INFORMATION process{};
    DWORD status = static_cast<DWORD>(-1);
    if (CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, TRUE, CREATE_NEW_CONSOLE, nullptr,
                       dir_.Path().wstring().c_str(), &startup, &process)) {
      const auto until = [](const std::function<bool()>& condition) {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(120);
        while (!condition()) {
          if (std::chrono::steady_clock::now() > deadline) return false;
          std::this_thread::sleep_for(std::chrono::milliseconds(10));  // the poll interval
        }
        return true;
      };
      const bool waiting = until([&] { return Bytes("out.txt").find("Baustein 1:") != std::string::npos; });
      FreeConsole();
      const bool joined = waiting && until([&] { return AttachConsole(process.dwProcessId) != 0; });
      EXPECT_TRUE(joined) << "the program's console";
      SetConsoleCtrlHandler(nullptr, TRUE);
      for (int press = 0; joined && press < presses; ++press) {
        EXPECT_TRUE(GenerateConsoleCtrlEvent(CTRL_C_EVENT, 0));
      }
      if (until([&] { return WaitForSingleObject(process.hProcess, 0) == WAIT_OBJECT_0; })) {
        GetExitCodeProcess(process.hProcess, &status);
      } else {
        TerminateProcess(process.hProcess, 1);
        WaitForSingleObject(process.hProcess, INFINITE);
      }
      FreeConsole();
      SetConsoleCtrlHandler(nullptr, FALSE);
      CloseHandle(process.hThread);
      CloseHandle(process.hProcess);
    }
    for (HANDLE handle : {startup.hStdInput, startup.hStdOutput, startup.hStdError, feed}) CloseHandle(handle);
    return {static_cast<int>(status), Lines(Bytes("out.txt")), Lines(Bytes("err.txt"))};
  }
  static std::string Lines(std::string text) {
    for (std::size_t at = 0; (at = text.find("\r\n", at)) != std::string::npos;) text.erase(at, 1);
    return text;
  }
#else
  // `runAs` goes before the program (a command that changes the user).
  CliRun Cli(const std::string& arguments, const std::string& runAs = "") {
    // Each test has desktop marks of its own, so that tests running side by
    // side do not see each other's programmer as busy.
    const std::string command = "cd " + dir_.Path().string() + " && XDG_RUNTIME_DIR=" +
                                dir_.Path().string() + " " + runAs + " " FEROLITH_CLI_PATH " " +
                                arguments + " >out.txt 2>err.txt </dev/null";
    const int raw = std::system(command.c_str());
    return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, ReadFileBytes(dir_.File("out.txt")),
            ReadFileBytes(dir_.File("err.txt"))};
  }
#endif
  // Runs on the simulator with device QM1108-2KE (code 0x0000..0x07FF,
  // data EEPROM 0xF000..0xF03F).
  CliRun Sim(const std::string& arguments) {
    return Cli("-q --simulate=chip.sim --manufacturer 0 --device QM1108-2KE " + arguments);
  }

  // Runs ferolith-cli through tests/support/drive_cli.py on a pseudo-terminal
  // ("pty") or pipes ("pipe"), playing `steps` (JSON) against it. `out` is
  // what the driver saw (the terminal, or standard output); a program ended
  // by a signal has the status 128 + the signal.
  CliRun Drive(const std::string& mode, const std::string& steps, const std::string& arguments) {
    WriteFileBytes(dir_.File("steps.json"), steps);
    Shell("XDG_RUNTIME_DIR=. python3 " + (SourceDir() / "tests" / "support" / "drive_cli.py").string() +
          " " + mode + " steps.json " FEROLITH_CLI_PATH
          " -q --simulate=chip.sim --manufacturer 0 --device QM1108-2KE " +
          arguments + " >drive.txt 2>err.txt </dev/null");
    const std::string seen = Bytes("drive.txt");
    const std::size_t end = seen.find('\n');
    int status = -1;
    if (seen.starts_with("status ")) status = std::stoi(seen.substr(7, end - 7));
    if (seen.starts_with("signal ")) status = 128 + std::stoi(seen.substr(7, end - 7));
    return {status, end == std::string::npos ? seen : seen.substr(end + 1), Bytes("err.txt")};
  }
  // The CRC-32 and byte sum of a file as Python's zlib computes them, in
  // the words of the checksum lines.
  std::string ZlibSums(const std::string& name) {
    Shell("python3 -c \"import sys, zlib; d = open(sys.argv[1], 'rb').read(); "
          "print('CRC-32 %08X, Summe 0x%04X' % (zlib.crc32(d), sum(d) & 0xFFFF))\" " +
          name + " >sums.txt");
    const std::string sums = Bytes("sums.txt");
    return sums.substr(0, sums.find('\n'));
  }

  // A command of the POSIX shell, srec_cat among them; such tests are
  // skipped on Windows (see kNeedsSrecCat).
  void Shell(const std::string& command) {
    const std::string full = "cd " + dir_.Path().string() + " && " + command;
    ASSERT_EQ(std::system(full.c_str()), 0) << full;
  }
  std::string Bytes(const std::string& name) { return ReadFileBytes(dir_.File(name)); }

  TempDir dir_;
};

std::string PatternBytes(std::size_t size) {
  std::string bytes(size, '\0');
  for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<char>((i * 37 + 11) % 251);
  return bytes;
}

TEST_F(CliEndToEnd, ProgramVerifyAndReadInEveryFormatOnTheSimulator) {
  SKIP_ON_WINDOWS(kNeedsSrecCat);
  WriteFileBytes(dir_.File("fw.bin"), PatternBytes(0x800));
  WriteFileBytes(dir_.File("ee.bin"), PatternBytes(0x40));
  Shell("srec_cat fw.bin -binary -o fw.hex -intel -address-length=2");
  Shell("srec_cat ee.bin -binary -offset 0xF000 -o fw.rex -motorola -address-length=2 "
        "-disable=data-count");

  CliRun blank = Sim("-y blank");
  EXPECT_EQ(blank.status, 0) << blank.err;
  EXPECT_NE(blank.err.find("Meldung: Controller ist gelöscht !"), std::string::npos);

  CliRun program = Sim("-y program fw.hex");
  ASSERT_EQ(program.status, 0) << program.err;
  EXPECT_NE(program.err.find("Meldung: Keine Fehler beim prüfen"), std::string::npos);
  CliRun verify = Sim("-y verify fw.hex");
  EXPECT_EQ(verify.status, 0) << verify.err;
  EXPECT_NE(verify.err.find("Meldung: Keine Fehler beim Prüfen"), std::string::npos);

  const struct {
    const char* format;
    const char* file;
    const char* srecType;
  } formats[] = {{"bin", "out.bin", "-binary"},     {"intel8", "out8.hex", "-intel"},
                 {"intel32", "out32.hex", "-intel"}, {"intelmcs", "outmcs.hex", "-intel"},
                 {"s1", "out.s19", "-motorola"},     {"s2", "out.s28", "-motorola"},
                 {"s3", "out.s37", "-motorola"}};
  for (const auto& f : formats) {
    SCOPED_TRACE(f.format);
    CliRun read = Sim(std::string("-y --format ") + f.format + " read " + f.file);
    ASSERT_EQ(read.status, 0) << read.err;
    Shell(std::string("srec_cat ") + f.file + " " + f.srecType +
          " -fill 0xFF 0 0x800 -crop 0 0x800 -o back.bin -binary");
    EXPECT_EQ(Bytes("back.bin"), Bytes("fw.bin"));
    const std::string companion = std::filesystem::path(f.file).stem().string() + ".rex";
    Shell("srec_cat " + companion + " " + f.srecType +
          " -crop 0xF000 0xF040 -offset -0xF000 -o backee.bin -binary");
    EXPECT_EQ(Bytes("backee.bin"), Bytes("ee.bin"));
    // What was read out verifies against the chip, its companion included.
    CliRun back = Sim(std::string("-y verify ") + f.file);
    EXPECT_EQ(back.status, 0) << back.err;
    EXPECT_NE(back.err.find("Meldung: Keine Fehler beim Prüfen"), std::string::npos) << back.err;
  }

  CliRun after = Sim("-y blank");
  EXPECT_EQ(after.status, 5);  // the first non-blank cell is answered with Cancel
  EXPECT_NE(after.err.find("Meldung: CodeSpeicher an Adresse 0x0000 ist nicht leer !"),
            std::string::npos);
  CliRun retried = Sim("-y --on-error retry blank");
  EXPECT_EQ(retried.status, 4);
}

// A program memory above 0 and a blank data EEPROM: every read-out format
// verifies against the chip it came from, the binary file with the blank
// fill below 0x0800 that a binary file starting at 0 must carry.
TEST_F(CliEndToEnd, ReadOutsOfAnAreaAbove0VerifyInEveryFormat) {
  WriteFileBytes(dir_.File("ACELIST.CSV"),
                 ":Prüfstand;Y\nOBEN-64;DIP8;12500;5000;4000;0x0800;0x0040;0xF000;16;0x2FF;ACE11;Y\n");
  const auto oben = [this](const std::string& arguments) {
    return Cli("-q --simulate=chip.sim --manufacturer 0 --device 0 -y " + arguments);
  };
  WriteFileBytes(dir_.File("fw.hex"), ":0408000012FF345659\n:00000001FF\n");
  CliRun program = oben("program fw.hex");
  ASSERT_EQ(program.status, 0) << program.err;
  for (const char* format : {"bin", "intel8", "intel32", "intelmcs", "s1", "s2", "s3"}) {
    for (const char* blanks : {"--no-save-blank", "--save-blank"}) {
      SCOPED_TRACE(std::string(format) + " " + blanks);
      const std::string file = std::string("back-") + format + (blanks[2] == 'n' ? "" : "-ff") + ".img";
      CliRun read = oben(std::string(blanks) + " --format " + format + " read " + file);
      ASSERT_EQ(read.status, 0) << read.err;
      CliRun verify = oben("verify " + file);
      EXPECT_EQ(verify.status, 0) << verify.err;
      EXPECT_NE(verify.err.find("Meldung: Keine Fehler beim Prüfen"), std::string::npos) << verify.err;
    }
  }
  // The binary file holds 0x0800 blank bytes, then the area up to its last used cell.
  EXPECT_EQ(Bytes("back-bin.img"), std::string(0x800, '\xFF') + std::string("\x12\xFF\x34\x56", 4));
  // A byte below the area's start is data and is still refused.
  WriteFileBytes(dir_.File("low.bin"), std::string(0x7FF, '\xFF') + std::string(2, '\x00'));
  CliRun low = oben("verify low.bin");
  EXPECT_EQ(low.status, 3);
  EXPECT_NE(low.err.find("Kleinste gefundene Adresse: 2047"), std::string::npos) << low.err;
}

// The checksum lines cover the device's whole area with blank cells at
// 0xFF, so program, verify, read (plain and read twice) and convert agree
// with each other and with zlib over the area's bytes.
TEST_F(CliEndToEnd, ChecksumsOfEveryCommandAgreeWithZlib) {
  SKIP_ON_WINDOWS(kNeedsSrecCat);
  const struct {
    const char* name;
    std::string code;  // burn file contents from address 0
    std::string data;  // companion contents from 0xF000, empty for none
  } images[] = {
      {"sparse", std::string("\xFF\x02\x33\x7A", 4), ""},
      {"full", PatternBytes(0x800), PatternBytes(0x40)},
  };
  std::string data(0x40, '\xFF');  // the chip's data EEPROM, kept while no companion is given
  for (const auto& image : images) {
    SCOPED_TRACE(image.name);
    WriteFileBytes(dir_.File("fw.bin"), image.code);
    Shell("srec_cat fw.bin -binary -offset 0x2F -crop 0x30 0x800 -o fw.hex -intel");
    std::filesystem::remove(dir_.File("fw.rex"));
    if (!image.data.empty()) {
      data = image.data;
      WriteFileBytes(dir_.File("ee.bin"), data);
      Shell("srec_cat ee.bin -binary -offset 0xF000 -o fw.rex -intel");
    }
    if (image.code.size() == 0x800) Shell("srec_cat fw.bin -binary -o fw.hex -intel");
    Shell("srec_cat fw.hex -intel -fill 0xFF 0 0x800 -crop 0 0x800 -o code.bin -binary");
    WriteFileBytes(dir_.File("data.bin"), data);
    const std::string codeLine = "Programmspeicher 0x0000-0x07FF: " + ZlibSums("code.bin") + "\n";
    const std::string dataLine = "Daten-EEPROM 0xF000-0xF03F: " + ZlibSums("data.bin") + "\n";
    const std::string companion = image.data.empty() ? "" : dataLine;

    EXPECT_EQ(Sim("-y program fw.hex").out, codeLine + companion);
    EXPECT_EQ(Sim("-y verify fw.hex").out, codeLine + companion);
    EXPECT_EQ(Sim("-y --format intel8 read once.hex").out, codeLine + dataLine);
    CliRun twice = Sim("-y --verify --format intel8 read twice.hex");
    EXPECT_EQ(twice.status, 0) << twice.err;
    EXPECT_EQ(twice.out, codeLine + dataLine);
    EXPECT_EQ(Bytes("twice.hex"), Bytes("once.hex"));
    EXPECT_EQ(Bytes("twice.rex"), Bytes("once.rex"));
    EXPECT_EQ(Cli("--device QM1108-2KE --format s1 convert fw.hex fw.s19").out, codeLine);
    EXPECT_EQ(Cli("--device QM1108-2KE --area data --format s1 convert once.rex ee.s19").out,
              dataLine);
  }
  // Nothing to compare after a failure that loaded no file.
  EXPECT_EQ(Sim("-y program missing.hex").out, "");
}

// An empty socket reads like an erased chip; only InitRegister1 at 0xFF as
// well (a fresh chip has 0x00) makes the command line say so, keeping the
// command's result.
TEST_F(CliEndToEnd, AnEmptySocketIsNamedWhenAllCellsAndInitRegister1Read0xFF) {
  const std::string warning =
      "Warnung: Alle Zellen und InitRegister1 lesen sich als 0xFF. Steckt ein Baustein im Sockel?\n";
  // A chip whose InitRegister1 reads 0xFF is read-protected: its cells read 0x00.
  WriteFileBytes(dir_.File("locked.sim"), "ACE-CHIP 1\nINITREG1 FF\n");
  for (const std::string command : {"blank", "--format intel8 read x.hex"}) {
    SCOPED_TRACE(command);
    CliRun empty = Cli("-q --simulate-empty-socket --device QM1108-2KE -y " + command);
    EXPECT_EQ(empty.status, 0) << empty.err;
    EXPECT_NE(empty.err.find(warning), std::string::npos) << empty.err;
    CliRun erased = Sim("-y " + command);
    EXPECT_EQ(erased.status, 0) << erased.err;
    EXPECT_EQ(erased.err.find("Warnung"), std::string::npos) << erased.err;
    CliRun locked = Cli("-q --simulate=locked.sim --device QM1108-2KE -y " + command);
    EXPECT_EQ(locked.err.find("Warnung"), std::string::npos) << locked.err;
  }
}

// "program --repeat": Enter goes on, q or the end of input stops; the
// prompt only on a terminal.
TEST_F(CliEndToEnd, ProductionRunsOnATerminalAndFromAPipe) {
  SKIP_ON_WINDOWS(kNeedsTerminalDriver);
  const std::string good = ":0300300002337A1E\r\n:00000001FF\r\n";
  WriteFileBytes(dir_.File("fw.hex"), good);
  const std::string prompt = "Nächsten Baustein einsetzen, dann Enter (q = Ende): ";
  CliRun tty = Drive("pty",
                     R"([["wait","(q = Ende): "],["send","\r"],["wait","(q = Ende): "],)"
                     R"(["send","\r"],["wait","(q = Ende): "],["send","q\r"]])",
                     "-y --repeat --log run.csv program fw.hex");
  EXPECT_EQ(tty.status, 0) << tty.out;
  EXPECT_NE(tty.out.find("Baustein 3: Erfolg (Ergebnis 0)\r\n" + prompt + "q\r\n"
                         "Serie beendet: 3 Baustein(e), davon 0 fehlgeschlagen"),
            std::string::npos)
      << tty.out;
  EXPECT_EQ(tty.out.find("Baustein 4"), std::string::npos);

  CliRun piped = Drive("pipe", R"([["send","\n\n"],["close"]])", "-y --repeat --log run.csv program fw.hex");
  EXPECT_EQ(piped.status, 0) << piped.err;
  EXPECT_NE(piped.out.find("Baustein 3: Erfolg (Ergebnis 0)\n"
                           "Serie beendet: 3 Baustein(e), davon 0 fehlgeschlagen\n"),
            std::string::npos)
      << piped.out;
  EXPECT_EQ(piped.err.find(prompt), std::string::npos);

  // Six chips in the log, each with the CRC-32 its checksum line showed.
  const std::string crc = piped.out.substr(piped.out.find("CRC-32 ") + 7, 8);
  std::istringstream log(Bytes("run.csv"));
  std::string line;
  std::getline(log, line);
  EXPECT_EQ(line, "Zeit;Baustein;Brenndatei;CRC-32 Programmspeicher;CRC-32 Daten-EEPROM;Ergebnis;Text;"
                  "Seriennummer");
  const std::regex entry("\\d{4}-\\d\\d-\\d\\dT\\d\\d:\\d\\d:\\d\\d[+-]\\d\\d:\\d\\d;"
                         "QM1108-2KE;fw\\.hex;" + crc + ";;0;Erfolg;");
  int chips = 0;
  for (; std::getline(log, line); ++chips) EXPECT_TRUE(std::regex_match(line, entry)) << line;
  EXPECT_EQ(chips, 6);

  // A failed chip ends the run, or with --keep-going only counts; the exit
  // status is the first failure's. The second chip gets a broken file.
  const std::string broken = R"(:0300300002337A1F\r\n:00000001FF\r\n)";
  CliRun kept = Drive("pipe",
                      R"([["wait","Baustein 1:"],["write","fw.hex",")" + broken + R"("],["send","\n"],)"
                      R"(["wait","Baustein 2:"],["write","fw.hex",":0300300002337A1E\n:00000001FF\n"],)"
                      R"(["send","\n"],["close"]])",
                      "-y --repeat --keep-going program fw.hex");
  EXPECT_EQ(kept.status, 3);
  EXPECT_NE(kept.out.find("Baustein 2: Datei nicht geladen (Ergebnis 3)\n"), std::string::npos) << kept.out;
  EXPECT_NE(kept.out.find("Baustein 3: Erfolg (Ergebnis 0)\n"
                          "Serie beendet: 3 Baustein(e), davon 1 fehlgeschlagen\n"),
            std::string::npos)
      << kept.out;
  CliRun stopped = Cli("-q --simulate-empty-socket --device QM1108-2KE -y --repeat program fw.hex");
  EXPECT_EQ(stopped.status, 7);
  EXPECT_NE(stopped.out.find("Serie beendet: 1 Baustein(e), davon 1 fehlgeschlagen\n"), std::string::npos);

  CliRun noLog = Sim("-y --repeat --log missing/run.csv program fw.hex");
  EXPECT_EQ(noLog.status, 74);
  EXPECT_EQ(noLog.err, "ferolith-cli: das Protokoll 'missing/run.csv' kann nicht geöffnet werden\n");
}

// Between chips the run waits for input: Ctrl-C there ends it cleanly; a
// kill there loses no line of the log.
TEST_F(CliEndToEnd, AProductionRunEndsCleanlyOnCtrlCAndItsLogSurvivesAKill) {
  WriteFileBytes(dir_.File("fw.hex"), ":0300300002337A1E\r\n:00000001FF\r\n");
#ifdef _WIN32
  // Ctrl-C at the console while the run waits for the next chip on a pipe:
  // the run ends with its summary and the pass's status however many come;
  // the kill half needs the POSIX driver.
  for (const int presses : {1, 3}) {
    const CliRun interrupted = InterruptWhileWaiting("-y --repeat --log run.csv program fw.hex", presses);
    EXPECT_EQ(interrupted.status, 0) << presses << " Ctrl-C: " << interrupted.err;
    EXPECT_NE(interrupted.out.find("Serie beendet: 1 Baustein(e), davon 0 fehlgeschlagen\n"), std::string::npos)
        << interrupted.out;
    EXPECT_EQ(interrupted.out.find("Baustein 2:"), std::string::npos) << interrupted.out;
  }
  const std::string log = Bytes("run.csv");
  EXPECT_EQ(std::count(log.begin(), log.end(), '\n'), 3) << log;  // the header and one chip a run
#else
  constexpr int kKill = 9;  // SIGKILL on every POSIX system
  CliRun interrupted = Drive("pipe", R"([["wait","Baustein 1:"],["signal","INT"]])",
                             "-y --repeat --log run.csv program fw.hex");
  EXPECT_EQ(interrupted.status, 0) << interrupted.err;
  EXPECT_NE(interrupted.out.find("Serie beendet: 1 Baustein(e), davon 0 fehlgeschlagen\n"),
            std::string::npos);

  CliRun killed = Drive("pipe", R"([["send","\n"],["wait","Baustein 2:"],["signal","KILL"]])",
                        "-y --repeat --log run.csv program fw.hex");
  EXPECT_EQ(killed.status, 128 + kKill);
  EXPECT_EQ(killed.out.find("Serie beendet"), std::string::npos);
  const std::string log = Bytes("run.csv");
  std::size_t lines = 0;
  for (std::size_t at = log.find('\n'); at != std::string::npos; at = log.find('\n', at + 1)) ++lines;
  EXPECT_EQ(lines, 4u) << log;  // the header and three chips
  EXPECT_TRUE(log.ends_with(";0;Erfolg;\n")) << log;

  // A line that does not fit (here a file size limit of 512 bytes, as a full
  // disk) is cut off again, so the next run's line starts on a line of its own.
  WriteFileBytes(dir_.File("full.csv"), std::string(479, 'x') + "\n");
  const CliRun cut = Cli("-q --simulate --manufacturer 0 --device QM1108-2KE -y --log full.csv program fw.hex",
                         "sh -c 'ulimit -f 1; trap \"\" XFSZ; exec \"$0\" \"$@\"'");
  EXPECT_EQ(cut.status, 74) << cut.err;
  EXPECT_EQ(Bytes("full.csv"), std::string(479, 'x') + "\n");
  ASSERT_EQ(Cli("-q --simulate --manufacturer 0 --device QM1108-2KE -y --log full.csv program fw.hex").status, 0);
  const std::string after = Bytes("full.csv");
  EXPECT_EQ(after.substr(0, 480), std::string(479, 'x') + "\n");
  EXPECT_TRUE(std::regex_match(after.substr(480), std::regex("\\d{4}-[^\n]*;fw\\.hex;[0-9A-F]{8};;0;Erfolg;\n")))
      << after.substr(480);
#endif
}

// "devices -l": one tab-separated line per listed device, with the numbers
// --manufacturer and --device take.
TEST_F(CliEndToEnd, DevicesLongListsEveryDeviceWithItsRangesTabSeparated) {
  CliRun table = Cli("devices -l");
  ASSERT_EQ(table.status, 0) << table.err;
  std::istringstream lines(table.out);
  std::vector<std::string> rows;
  for (std::string line; std::getline(lines, line);) {
    EXPECT_EQ(std::count(line.begin(), line.end(), '\t'), 10) << line;
    rows.push_back(line);
  }
  // The sample library's eleven enabled devices; the disabled ones are missing.
  EXPECT_EQ(rows.size(), 11u) << table.out;
  EXPECT_EQ(table.out.find("Muster"), std::string::npos);
  EXPECT_NE(std::find(rows.begin(), rows.end(),
                      "0\tQuellmark Halbleiter\t1\tQM1108-2KE\tDIP8\tACE11\t0x0000-0x07FF\t2048"
                      "\t0xF000-0xF03F\t64\t0x02FF"),
            rows.end())
      << table.out;
  EXPECT_NE(std::find(rows.begin(), rows.end(),
                      "0\tQuellmark Halbleiter\t0\tQM1108-1K\tDIP8\tACE11\t0x0000-0x03FF\t1024\t-\t0\t0x02FF"),
            rows.end());
  EXPECT_NE(std::find(rows.begin(), rows.end(),
                      "1\tBrimwood Mikrosysteme\t2\tBW12-D14/64E\tDIP14\tACE12\t0x0000-0xFFFF\t65536"
                      "\t0x0000-0x01FF\t512\t0x03FF"),
            rows.end())
      << table.out;
  EXPECT_EQ(Cli("-l blank").status, 64);
}

// After a failed verification the command line sums up what differed.
TEST_F(CliEndToEnd, AFailedVerificationIsSummedUpCellByCell) {
  std::string firmware = PatternBytes(0x800);
  WriteFileBytes(dir_.File("fw.bin"), firmware);
  ASSERT_EQ(Sim("-y program fw.bin").status, 0);

  // One byte changed: 0xED expected where the chip holds 0xEC (one bit 0 for 1).
  ASSERT_EQ(static_cast<unsigned char>(firmware[0x123]), 0xEC);
  firmware[0x123] = static_cast<char>(0xED);
  WriteFileBytes(dir_.File("changed.bin"), firmware);
  CliRun one = Sim("-y --on-error retry verify changed.bin");
  EXPECT_EQ(one.status, 6);
  const std::size_t box = one.err.find("Meldung: Programmspeicher Fehler");
  const std::size_t summary = one.err.find(
      "Abweichungen: 2048 Zelle(n) verglichen, 1 davon verschieden\n"
      "  Programmspeicher 0x0123: erwartet 0xED, gelesen 0xEC\n"
      "Bits: 0 lesen 1 statt 0, 1 lesen 0 statt 1\n");
  EXPECT_NE(summary, std::string::npos) << one.err;
  EXPECT_LT(box, summary);
  EXPECT_EQ(one.err.find("Hinweis"), std::string::npos);

  // Cancel at the first difference: the cells compared so far.
  CliRun stopped = Sim("-y verify changed.bin");
  EXPECT_EQ(stopped.status, 6);
  EXPECT_NE(stopped.err.find("Abweichungen: 292 Zelle(n) verglichen, 1 davon verschieden\n"), std::string::npos)
      << stopped.err;

  // A blank chip against the pattern: every difference reads 0xFF.
  std::filesystem::remove(dir_.File("chip.sim"));
  CliRun blank = Sim("-y --on-error retry verify fw.bin");
  EXPECT_EQ(blank.status, 6);
  std::size_t notFF = 0;
  for (const char c : firmware) notFF += static_cast<unsigned char>(c) != 0xFF ? 1 : 0;
  std::size_t bits = 0;
  for (const char c : PatternBytes(0x800)) bits += 8u - static_cast<unsigned>(std::popcount(static_cast<unsigned char>(c)));
  EXPECT_NE(blank.err.find("Abweichungen: 2048 Zelle(n) verglichen, " + std::to_string(notFF) +
                           " davon verschieden\n  Programmspeicher 0x0000: erwartet 0x0B, gelesen 0xFF\n"),
            std::string::npos)
      << blank.err;
  EXPECT_NE(blank.err.find("  ... und " + std::to_string(notFF - 16) + " weitere\nBits: " + std::to_string(bits) +
                           " lesen 1 statt 0, 0 lesen 0 statt 1\n"
                           "Hinweis: jede abweichende Zelle liest sich als 0xFF - nicht programmiert?\n"),
            std::string::npos)
      << blank.err;
  const std::string tail = blank.err.substr(blank.err.find("Abweichungen"));
  EXPECT_EQ(std::count(tail.begin(), tail.end(), '\n'), 1 + 16 + 1 + 1 + 1) << tail;

  // Read protection: every cell reads 0x00.
  ASSERT_EQ(Sim("initreg 01").status, 0);
  ASSERT_EQ(Sim("-y --no-verify program fw.bin").status, 0);
  CliRun hidden = Sim("-y --on-error retry verify fw.bin");
  EXPECT_EQ(hidden.status, 6);
  EXPECT_NE(hidden.err.find("Hinweis: jede abweichende Zelle liest sich als 0x00"), std::string::npos)
      << hidden.err;
  EXPECT_EQ(hidden.err.find("0xFF - nicht programmiert"), std::string::npos);
}

// Serial numbers: each chip gets the next number in its field, in every
// format, read back from the chip.
TEST_F(CliEndToEnd, SerialNumbersArePatchedIntoEveryChipInEveryFormat) {
  WriteFileBytes(dir_.File("fw.hex"), ":0300300002337A1E\r\n:00000001FF\r\n");
  WriteFileBytes(dir_.File("fw.rex"), ":02F00000A5A5C4\r\n:00000001FF\r\n");
  // A binary read-out holds each cell at its address, the data EEPROM's in the companion.
  const auto chipBytes = [&](std::uint32_t address, std::size_t count) {
    CliRun read = Sim("-y --save-blank --format bin read back.bin");
    EXPECT_EQ(read.status, 0) << read.err;
    const std::string bytes = Bytes(address >= 0xF000 ? "back.rex" : "back.bin");
    return bytes.size() >= address + count ? bytes.substr(address, count) : std::string("(short)");
  };
  const struct {
    const char* options;
    std::uint32_t address;
    std::string bytes;
  } cases[] = {
      {"--serial code:0x7F0:2 --serial-start 1234", 0x7F0, std::string("\xD2\x04", 2)},
      {"--serial code:0x7F0:3 --serial-start 1234 --serial-format be", 0x7F0, std::string("\x00\x04\xD2", 3)},
      {"--serial code:2032:3 --serial-start 1234 --serial-format bcd", 0x7F0, std::string("\x00\x12\x34", 3)},
      {"--serial code:0x7FC:4 --serial-start 1234 --serial-format ascii", 0x7FC, "1234"},
      {"--serial code:0x7FF:1 --serial-start 255", 0x7FF, "\xFF"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.options);
    CliRun program = Sim(std::string("-y --verify ") + c.options + " program fw.hex");
    ASSERT_EQ(program.status, 0) << program.err;
    EXPECT_NE(program.out.find("Baustein 1, Seriennummer "), std::string::npos) << program.out;
    EXPECT_EQ(chipBytes(c.address, c.bytes.size()), c.bytes);
#ifndef _WIN32
    // The checksum line describes what the chip got, the number included
    // (zlib through python3, which the Windows runs do not have).
    EXPECT_TRUE(program.out.starts_with("Programmspeicher 0x0000-0x07FF: " + ZlibSums("back.bin") + "\n"))
        << program.out;
#endif
    EXPECT_EQ(chipBytes(0x30, 3), "\x02\x33\x7A");  // the file's own data stays
  }
  // In the data EEPROM, three chips one after another, step 7.
  std::vector<std::string> seen;
  for (int chip = 0; chip < 3; ++chip) {
    CliRun program = Sim("-y --serial data:0xF010:2 --serial-format be --serial-start 100 --serial-step 7 "
                         "--serial-file counter.txt program fw.hex");
    ASSERT_EQ(program.status, 0) << program.err;
    seen.push_back(chipBytes(0xF010, 2));
    EXPECT_EQ(chipBytes(0xF000, 2), "\xA5\xA5");
  }
  EXPECT_EQ(seen, (std::vector<std::string>{std::string("\x00\x64", 2), std::string("\x00\x6B", 2),
                                            std::string("\x00\x72", 2)}));
  EXPECT_EQ(Bytes("counter.txt"), "121\n");

  // Verify checks the patched image: on a write-protected chip the next
  // number does not arrive, and only the serial cell differs.
  ASSERT_EQ(Sim("initreg 02").status, 0);
  ASSERT_EQ(Sim("-y --serial code:0x7F0:1 --serial-start 5 program fw.hex").status, 0);
  CliRun locked = Sim("-y --verify --on-error retry --serial code:0x7F0:1 --serial-start 6 program fw.hex");
  EXPECT_EQ(locked.status, 6);
  EXPECT_NE(locked.out.find("Baustein 1, Seriennummer 6: Prüfen fehlgeschlagen (Ergebnis 6)"), std::string::npos)
      << locked.out;
  EXPECT_NE(locked.err.find("1 davon verschieden\n  Programmspeicher 0x07F0: erwartet 0x06, gelesen 0x05\n"),
            std::string::npos)
      << locked.err;
}

TEST_F(CliEndToEnd, AProjectFixesDeviceFileAndOptionsWithoutTouchingKalvenorIni) {
  std::filesystem::create_directories(dir_.File("fw"));
  std::filesystem::create_directories(PathFromUtf8(dir_.File("Prüfstand")));
  WriteFileBytes(dir_.File("fw/fw.hex"), ":0300300002337A1E\r\n:00000001FF\r\n");
  WriteFileBytes(dir_.File("fw/fw.rex"), ":02F00000A5A5C4\r\n:00000001FF\r\n");
  ASSERT_EQ(Sim("initreg 3c").status, 0);
  CliRun saved = Cli("--manufacturer 0 --device QM1108-2KE --no-verify --format intel8 --serial code:0x7F0:2 "
                     "--serial-start 40 --serial-file zaehler.txt save-project Prüfstand/serie.fproj fw/fw.hex");
  ASSERT_EQ(saved.status, 0) << saved.err;
  EXPECT_NE(saved.out.find("QM1108-2KE, Brenndatei fw/fw.hex, CRC-32 "), std::string::npos) << saved.out;
  const std::string project = Bytes("Prüfstand/serie.fproj");
  for (const char* line : {"Hersteller=Quellmark Halbleiter", "Baustein=QM1108-2KE", "Brenndatei=../fw/fw.hex",
                           "Begleitdatei=../fw/fw.rex", "InitRegister1=0x3C", "Verify=0", "DataFormat=intel8",
                           "Feld=code:0x07F0:2", "Start=40", "Zaehlerdatei=../zaehler.txt"}) {
    EXPECT_NE(project.find(std::string(line) + "\n"), std::string::npos) << line << " in\n" << project;
  }
  // KALVENOR.INI names another device and InitRegister1 value; the project's
  // go into the chip, and the file stays as it was.
  ASSERT_EQ(Cli("--simulate=chip.sim --manufacturer 1 --device 0 initreg 00").status, 0);
  const std::string ini = Bytes("KALVENOR.INI");
  CliRun burned = Cli("-q --simulate=chip.sim -y --project Prüfstand/serie.fproj program");
  ASSERT_EQ(burned.status, 0) << burned.err;
  EXPECT_NE(burned.out.find("Baustein 1, Seriennummer 40: Erfolg"), std::string::npos) << burned.out;
  EXPECT_EQ(Bytes("zaehler.txt"), "41\n");
  CliRun back = Cli("-q --simulate=chip.sim -y --project Prüfstand/serie.fproj --save-blank read back.hex");
  ASSERT_EQ(back.status, 0) << back.err;
  EXPECT_TRUE(Bytes("back.hex").starts_with(":20000000")) << "intel8, the project's format";
  CliRun initreg = Cli("-q --simulate=chip.sim -y --project Prüfstand/serie.fproj initreg");
  EXPECT_EQ(initreg.out, "0x3C\n") << initreg.err;
  EXPECT_EQ(Bytes("KALVENOR.INI"), ini);
  // An option of the command line goes before the project's.
  ASSERT_EQ(Cli("-q --simulate=chip.sim -y --project Prüfstand/serie.fproj --format s1 read back.s19").status, 0);
  EXPECT_TRUE(Bytes("back.s19").starts_with("S0")) << Bytes("back.s19").substr(0, 40);

  // A burn file changed since the project was saved is refused before the
  // chip is touched, naming both checksums; --accept-changed-file takes it.
  const std::string before = Bytes("back.hex");
  WriteFileBytes(dir_.File("fw/fw.hex"), ":0300300002337B1D\r\n:00000001FF\r\n");
  CliRun changed = Cli("-q --simulate=chip.sim -y --project Prüfstand/serie.fproj program");
  EXPECT_EQ(changed.status, 3);
  const std::regex bothSums("gespeichert ist CRC-32 [0-9A-F]{8}, die Datei hat jetzt CRC-32 [0-9A-F]{8}");
  EXPECT_TRUE(std::regex_search(changed.err, bothSums)) << changed.err;
  EXPECT_NE(changed.err.find("--accept-changed-file"), std::string::npos);
  EXPECT_EQ(Bytes("zaehler.txt"), "42\n") << "the refused chip keeps its number, logged as failed";
  ASSERT_EQ(Cli("-q --simulate=chip.sim -y --project Prüfstand/serie.fproj --save-blank read back.hex").status, 0);
  EXPECT_EQ(Bytes("back.hex"), before);
  EXPECT_EQ(Cli("-q --simulate=chip.sim -y --project Prüfstand/serie.fproj verify").status, 3);
  CliRun accepted = Cli("-q --simulate=chip.sim -y --project Prüfstand/serie.fproj --accept-changed-file program");
  EXPECT_EQ(accepted.status, 0) << accepted.err;
  // So is a companion that changed, went away or came new. (Saved anew,
  // with an option of the command line over the project's.)
  ASSERT_EQ(Cli("--project Prüfstand/serie.fproj --verify save-project Prüfstand/serie.fproj").status, 0);
  EXPECT_NE(Bytes("Prüfstand/serie.fproj").find("Verify=1\n"), std::string::npos);
  EXPECT_NE(Bytes("Prüfstand/serie.fproj").find("Feld=code:0x07F0:2\n"), std::string::npos);
  WriteFileBytes(dir_.File("fw/fw.rex"), ":02F00000A5A4C5\r\n:00000001FF\r\n");
  CliRun companion = Cli("-q --simulate=chip.sim -y --project Prüfstand/serie.fproj verify");
  EXPECT_EQ(companion.status, 3);
  EXPECT_NE(companion.err.find("Die Begleitdatei"), std::string::npos) << companion.err;
  std::filesystem::remove(dir_.File("fw/fw.rex"));
  EXPECT_EQ(Cli("-q --simulate=chip.sim -y --project Prüfstand/serie.fproj verify").status, 3);
  ASSERT_EQ(Cli("--project Prüfstand/serie.fproj save-project Prüfstand/serie.fproj").status, 0);
  EXPECT_EQ(Bytes("Prüfstand/serie.fproj").find("Begleitdatei"), std::string::npos);
  WriteFileBytes(dir_.File("fw/fw.rex"), ":02F00000A5A5C4\r\n:00000001FF\r\n");
  CliRun arrived = Cli("-q --simulate=chip.sim -y --project Prüfstand/serie.fproj verify");
  EXPECT_EQ(arrived.status, 3);
  EXPECT_NE(arrived.err.find("die das Projekt nicht kennt"), std::string::npos) << arrived.err;

  // Projects that cannot be used end with status 65 and the reason.
  const struct {
    const char* text;
    const char* reason;
  } broken[] = {
      {"[Projekt]\nHersteller=Quellmark Halbleiter\nBaustein=QM9999\nBrenndatei=fw/fw.hex\n", "'QM9999'"},
      {"[Projekt]\nHersteller=Niemand\nBaustein=QM1108-2KE\nBrenndatei=fw/fw.hex\n", "'Niemand'"},
      {"[Projekt]\nHersteller=Quellmark Halbleiter\nBaustein=QM1108-2KE\n", "Brenndatei"},
      {"[Projekt]\nHersteller=Quellmark Halbleiter\nBaustein=QM1108-2KE\nBrenndatei=fw/fw.hex\nCRC32=xyz\n",
       "CRC32: 'xyz'"},
      {"[Projekt]\nHersteller=Quellmark Halbleiter\nBaustein=QM1108-2KE\nBrenndatei=fw/fw.hex\nVerify=ja\n",
       "Verify: 'ja'"},
      {"[Projekt]\nHersteller=Quellmark Halbleiter\nBaustein=QM1108-2KE\nBrenndatei=fw/fw.hex\n"
       "[Seriennummer]\nFeld=code:0x7F0:9\n",
       "code:0x7F0:9"},
  };
  for (const auto& b : broken) {
    SCOPED_TRACE(b.text);
    WriteFileBytes(dir_.File("kaputt.fproj"), b.text);
    CliRun run = Cli("-q --simulate=chip.sim -y --project kaputt.fproj program");
    EXPECT_EQ(run.status, 65);
    EXPECT_NE(run.err.find(b.reason), std::string::npos) << run.err;
  }
  CliRun missing = Cli("--project fehlt.fproj devices");
  EXPECT_EQ(missing.status, 65);
  EXPECT_NE(missing.err.find("Die Projektdatei kann nicht gelesen werden"), std::string::npos) << missing.err;
  EXPECT_EQ(Bytes("KALVENOR.INI"), ini);

  // Usage: what goes only with a project, and what does not go with one.
  EXPECT_EQ(Cli("program").status, 64);
  EXPECT_EQ(Cli("--accept-changed-file verify fw/fw.hex").status, 64);
  EXPECT_EQ(Cli("--project Prüfstand/serie.fproj initreg 11").status, 64);
  EXPECT_EQ(Cli("--serial code:0:1 verify fw/fw.hex").status, 64);
}

TEST_F(CliEndToEnd, SerialFieldsThatCannotWorkAreUsageErrors) {
  WriteFileBytes(dir_.File("fw.hex"), ":0300300002337A1E\r\n:00000001FF\r\n");
  const struct {
    const char* arguments;
    const char* error;
  } refused[] = {
      {"--serial code:0x7FF:2 program fw.hex",
       "--serial code:0x07FF:2 liegt nicht im Programmspeicher von QM1108-2KE (0x0000-0x07FF)"},
      {"--serial data:0xEFFF:1 program fw.hex",
       "--serial data:0xEFFF:1 liegt nicht im Daten-EEPROM von QM1108-2KE (0xF000-0xF03F)"},
      {"--serial code:0x31:2 program fw.hex",
       "--serial code:0x0031:2 überdeckt Daten der Brenndatei (Adresse 0x0031 hält 0x33)"},
      {"--serial code:0x100:1 --serial-start 256 program fw.hex",
       "die Seriennummer 256 passt nicht in das Feld von --serial"},
      {"--serial code:0x100:2 --serial-format ascii --serial-start 100 program fw.hex",
       "die Seriennummer 100 passt nicht in das Feld von --serial"},
      {"--serial code:0x100:2 --serial-format bcd --serial-start 10000 program fw.hex",
       "die Seriennummer 10000 passt nicht in das Feld von --serial"},
      {"--serial data:0xF000:1 program fw.hex", "braucht die Begleitdatei"},
      {"--serial code:0x100:5 program fw.hex", "ist kein Feld BEREICH:ADRESSE:BREITE"},
      {"--serial flash:0x100:1 program fw.hex", "ist kein Feld BEREICH:ADRESSE:BREITE"},
      {"--serial code:0x100:1 verify fw.hex", "--serial geht nur zusammen mit program"},
      {"--serial-start 5 program fw.hex", "--serial-start geht nur zusammen mit --serial"},
      {"--serial code:0x100:1 --serial-format hex program fw.hex", "'hex' ist nicht erlaubt"},
  };
  for (const auto& r : refused) {
    SCOPED_TRACE(r.arguments);
    CliRun run = Sim(std::string("-y ") + r.arguments);
    EXPECT_EQ(run.status, 64);
    EXPECT_NE(run.err.find(r.error), std::string::npos) << run.err;
    EXPECT_EQ(run.err.find("Meldung: Keine Fehler"), std::string::npos);
  }
  EXPECT_EQ(Sim("-y --serial code:0x31:2 --serial-overwrite program fw.hex").status, 0);
  EXPECT_EQ(Cli("-q --simulate --device QM1108-1K -y --serial data:0xF000:1 program fw.hex").status, 64);

  // A number that stops fitting ends the run before its chip; the counter
  // keeps it.
  CliRun full = Cli("-q --simulate --manufacturer 0 --device QM1108-2KE -y --repeat --serial code:0x100:1 "
                    "--serial-start 254 --serial-file full.txt program fw.hex");
  EXPECT_EQ(full.status, 0) << full.err;
#ifndef _WIN32
  Shell("printf '\\n\\n\\n' | XDG_RUNTIME_DIR=. " FEROLITH_CLI_PATH " -q --simulate --manufacturer 0 "
        "--device QM1108-2KE -y --repeat --serial code:0x100:1 --serial-file full.txt program fw.hex "
        ">full.txt.out 2>full.txt.err; echo $? >full.status");
  EXPECT_EQ(Bytes("full.status"), "64\n");
  EXPECT_NE(Bytes("full.txt.out").find("Baustein 1, Seriennummer 255: Erfolg (Ergebnis 0)\n"
                                      "Serie beendet: 1 Baustein(e), davon 0 fehlgeschlagen\n"),
            std::string::npos)
      << Bytes("full.txt.out");
  EXPECT_NE(Bytes("full.txt.err").find("die Seriennummer 256 passt nicht"), std::string::npos);
  EXPECT_EQ(Bytes("full.txt"), "256\n");
#endif

  // A counter that is not a number is not guessed at.
  WriteFileBytes(dir_.File("counter.txt"), "zwölf\n");
  CliRun bad = Sim("-y --serial code:0x100:2 --serial-file counter.txt program fw.hex");
  EXPECT_EQ(bad.status, 74);
  EXPECT_NE(bad.err.find("der Zähler 'counter.txt' enthält keine Seriennummer"), std::string::npos) << bad.err;
  EXPECT_EQ(Bytes("counter.txt"), "zwölf\n");
}

// The counter survives a run killed between two chips: the next run goes on
// with the next number; every number handed out has its log line.
TEST_F(CliEndToEnd, ASerialCounterHandsOutNoNumberTwiceAcrossAKilledRun) {
  SKIP_ON_WINDOWS(kNeedsTerminalDriver);
  WriteFileBytes(dir_.File("fw.hex"), ":0300300002337A1E\r\n:00000001FF\r\n");
  const std::string serial = "-y --repeat --log run.csv --serial code:0x7F0:2 --serial-file counter.txt ";
  CliRun killed = Drive("pipe", R"([["send","\n"],["wait","Baustein 2,"],["wait","\n"],["signal","KILL"]])",
                        serial + "program fw.hex");
  EXPECT_EQ(killed.status, 128 + 9);
  EXPECT_EQ(Bytes("counter.txt"), "3\n");
  CliRun again = Drive("pipe", R"([["send","\n"],["close"]])", serial + "program fw.hex");
  EXPECT_EQ(again.status, 0) << again.err;
  EXPECT_NE(again.out.find("Baustein 1, Seriennummer 3: Erfolg (Ergebnis 0)\n"
                           "Programmspeicher 0x0000-0x07FF"),
            std::string::npos)
      << again.out;
  EXPECT_NE(again.out.find("Baustein 2, Seriennummer 4: Erfolg"), std::string::npos);
  EXPECT_EQ(Bytes("counter.txt"), "5\n");

  std::istringstream log(Bytes("run.csv"));
  std::string line;
  std::getline(log, line);
  EXPECT_TRUE(line.ends_with(";Ergebnis;Text;Seriennummer")) << line;
  std::vector<std::string> numbers;
  while (std::getline(log, line)) numbers.push_back(line.substr(line.rfind(';') + 1));
  EXPECT_EQ(numbers, (std::vector<std::string>{"1", "2", "3", "4"}));
}

// A device or file name may hold the separator, a quote or a line break:
// the log quotes such fields as CSV readers expect.
TEST_F(CliEndToEnd, TheProductionLogQuotesSeparatorsQuotesAndLineBreaks) {
  SKIP_ON_WINDOWS("a file name with a line break");
  WriteFileBytes(dir_.File("ACELIST.CSV"),
                 ":Eigenbau;Y\r\nSPEZIAL \"A\";DIP8;12500;5000;4000;0;1024;0;0;0x2FF;ACE11;Y\r\n");
  // Each special character in a field of its own, so that each one alone
  // must bring the quotes.
  WriteFileBytes(dir_.File("a\nb.hex"), ":0300300002337A1E\r\n:00000001FF\r\n");
  WriteFileBytes(dir_.File("a;b.hex"), ":0300300002337A1E\r\n:00000001FF\r\n");
  ASSERT_EQ(Cli("-q --simulate -y --log run.csv program \"$(printf 'a\\nb.hex')\"").status, 0);
  CliRun run = Cli("-q --simulate -y --log run.csv program 'a;b.hex'");
  ASSERT_EQ(run.status, 0) << run.err;
  // Read back by Python's csv module, an independent reader.
  WriteFileBytes(dir_.File("fields.py"),
                 "import csv\n"
                 "rows = list(csv.reader(open('run.csv', newline='', encoding='utf-8'), delimiter=';'))\n"
                 "print(len(rows), [len(row) for row in rows], rows[1][1] == 'SPEZIAL \"A\"',\n"
                 "      rows[1][2] == 'a\\nb.hex', rows[2][2] == 'a;b.hex', rows[2][5:])\n");
  Shell("python3 fields.py >fields.txt");
  EXPECT_EQ(Bytes("fields.txt"), "3 [8, 8, 8] True True True ['0', 'Erfolg', '']\n") << Bytes("run.csv");
}

#ifndef _WIN32
// --port: a run on another port than KALVENOR.INI's has a "programmer in
// use" mark of its own; the family's mark stays that of KALVENOR.INI's port.
TEST_F(CliEndToEnd, EachPortHasItsOwnProgrammerInUseMark) {
  WriteFileBytes(dir_.File("KALVENOR.INI"), "[Hardware]\r\nPortAdress=378\r\n");
  WriteFileBytes(dir_.File("fw.hex"), ":0300300002337A1E\r\n:00000001FF\r\n");
  // The lock folder as the program makes it: the user's own, mode 0700.
  std::filesystem::create_directories(dir_.File("kalvenor"));
  std::filesystem::permissions(dir_.File("kalvenor"), std::filesystem::perms::owner_all);
  // Another process holds a mark: this test, with a lock of its own.
  const auto holding = [&](const std::string& mark, const std::string& arguments) {
    const int fd = ::open(dir_.File("kalvenor/" + mark + ".lock").c_str(), O_RDWR | O_CREAT, 0600);
    EXPECT_EQ(::flock(fd, LOCK_EX | LOCK_NB), 0);
    const int status = Sim(arguments).status;
    ::close(fd);
    return status;
  };
  EXPECT_EQ(holding("KalvenorDevil", "-y program fw.hex"), 7);
  EXPECT_EQ(holding("KalvenorDevil", "-y --port 378 program fw.hex"), 7);
  EXPECT_EQ(holding("KalvenorDevil", "-y --port 0x278 program fw.hex"), 0);
  EXPECT_EQ(holding("KalvenorDevil 0x278", "-y --port 0x278 program fw.hex"), 7);
  EXPECT_EQ(holding("KalvenorDevil 0x278", "-y --port 3BC program fw.hex"), 0);
  EXPECT_EQ(holding("KalvenorDevil 0x278", "-y program fw.hex"), 0);
  // The run's port is not saved, also when a command writes KALVENOR.INI.
  EXPECT_EQ(Sim("--port 0x278 initreg 3c").status, 0);
  EXPECT_NE(Bytes("KALVENOR.INI").find("PortAdress=378"), std::string::npos) << Bytes("KALVENOR.INI");
  EXPECT_EQ(Cli("--port 0x10000 devices").status, 64);
  EXPECT_EQ(Cli("--port 0 devices").status, 64);
}

// A gang of two simulated programmers on one serial counter and one log, at
// the same time: every chip programmed once, no number twice.
TEST_F(CliEndToEnd, TwoProgrammersOnOneCounterHandOutEveryNumberOnce) {
  WriteFileBytes(dir_.File("fw.hex"), ":0300300002337A1E\r\n:00000001FF\r\n");
  const std::string run = "-q --manufacturer 0 --device QM1108-2KE -y --repeat --log run.csv "
                          "--serial code:0x7F0:2 --serial-file counter.txt program fw.hex";
  // The first chip starts the log and the counter.
  ASSERT_EQ(Cli("-q --simulate=first.sim --manufacturer 0 --device QM1108-2KE -y --log run.csv "
                "--serial code:0x7F0:2 --serial-file counter.txt program fw.hex")
                .status,
            0);
  const auto bench = [&](const char* name, const char* port) {
    return std::string("(printf '\\n\\n\\n\\n' | XDG_RUNTIME_DIR=. " FEROLITH_CLI_PATH " --simulate=") + name +
           ".sim --port " + port + " " + run + " >" + name + ".txt 2>" + name + ".err; echo $? >" + name +
           ".status)";
  };
  Shell("(" + bench("a", "0x278") + " & " + bench("b", "0x3BC") + " & wait)");
  EXPECT_EQ(Bytes("a.status"), "0\n") << Bytes("a.err");
  EXPECT_EQ(Bytes("b.status"), "0\n") << Bytes("b.err");

  std::vector<int> numbers;
  for (const char* name : {"a", "b"}) {
    const std::string out = Bytes(std::string(name) + ".txt");
    const std::regex result("Baustein \\d, Seriennummer (\\d+): Erfolg");
    int last = 0;
    for (auto it = std::sregex_iterator(out.begin(), out.end(), result); it != std::sregex_iterator(); ++it) {
      last = std::stoi((*it)[1]);
      numbers.push_back(last);
    }
    // The chip in the programmer holds the last number it got.
    WriteFileBytes(dir_.File("copy.sim"), Bytes(std::string(name) + ".sim"));
    ASSERT_EQ(Cli("-q --simulate=copy.sim --manufacturer 0 --device QM1108-2KE -y --save-blank --format bin "
                  "read back.bin")
                  .status,
              0);
    EXPECT_EQ(Bytes("back.bin").substr(0x7F0, 2), std::string(1, static_cast<char>(last)) + '\0') << name;
  }
  std::sort(numbers.begin(), numbers.end());
  EXPECT_EQ(numbers, (std::vector<int>{2, 3, 4, 5, 6, 7, 8, 9, 10, 11}));

  // The shared log: whole lines, each number once.
  std::istringstream log(Bytes("run.csv"));
  std::string line;
  std::getline(log, line);
  std::vector<int> logged;
  const std::regex entry("[^;]+;QM1108-2KE;fw\\.hex;[0-9A-F]{8};;0;Erfolg;(\\d+)");
  while (std::getline(log, line)) {
    std::smatch match;
    ASSERT_TRUE(std::regex_match(line, match, entry)) << line;
    logged.push_back(std::stoi(match[1]));
  }
  std::sort(logged.begin(), logged.end());
  EXPECT_EQ(logged, (std::vector<int>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11}));
  EXPECT_EQ(Bytes("counter.txt"), "12\n");
}
#endif

// --only-changed reads the area once, programs only the cells that differ
// and reads those back: after a one-byte change well under the register
// writes of a plain program --verify (counted in the port trace).
TEST_F(CliEndToEnd, OnlyChangedProgramsAndChecksJustTheCellsThatDiffer) {
  SKIP_ON_WINDOWS("the register writes are counted by python3 in the trace");
  std::string firmware = PatternBytes(0x400);
  WriteFileBytes(dir_.File("fw.bin"), firmware);
  const std::string device = "-q --simulate=chip.sim --manufacturer 0 --device QM1108-1K -y --verify ";
  ASSERT_EQ(Cli(device + "--trace=plain.vcd program fw.bin").status, 0);
  firmware[0x200] = static_cast<char>(firmware[0x200] ^ 0x5A);
  WriteFileBytes(dir_.File("fw.bin"), firmware);
  CliRun changed = Cli(device + "--only-changed --trace=changed.vcd program fw.bin");
  ASSERT_EQ(changed.status, 0) << changed.err;
  EXPECT_EQ(Cli(device + "verify fw.bin").status, 0);

  WriteFileBytes(dir_.File("writes.py"),
                 "import re, sys\n"
                 "for name in sys.argv[1:]:\n"
                 "    text = open(name).read()\n"
                 "    wire = re.search(r'\\$var wire 1 (\\S+) WR \\$end', text).group(1)\n"
                 "    print(text.count('\\n1' + wire + '\\n'))\n");
  Shell("python3 writes.py plain.vcd changed.vcd >writes.txt");
  std::istringstream counts(Bytes("writes.txt"));
  long plain = 0;
  long onlyChanged = 0;
  counts >> plain >> onlyChanged;
  // Both runs read the area once (plain: to verify) and program
  // InitRegister1; the plain one also has a whole programming pass (safe
  // state, power-up, 1024 cells of 188 writes, power-down), the other one
  // cell written and read back twice (its own read and the priming one).
  EXPECT_EQ(plain - onlyChanged, 110 + 7257 + 1024 * 188 + 3640 - (188 + 2 * 172));
  EXPECT_LE(onlyChanged * 100, plain * 55) << plain << " " << onlyChanged;

  // Nothing changed: one read pass, nothing written.
  EXPECT_EQ(Cli(device + "--only-changed program fw.bin").status, 0);

  // A write-protected chip takes no new byte: the cell written reads back
  // wrong, and the summary names just that one.
  ASSERT_EQ(Cli(device + "initreg 02").status, 0);
  ASSERT_EQ(Cli(device + "program fw.bin").status, 0);
  firmware[0x300] = static_cast<char>(firmware[0x300] ^ 0x01);
  WriteFileBytes(dir_.File("fw.bin"), firmware);
  CliRun locked = Cli(device + "--only-changed program fw.bin");
  EXPECT_EQ(locked.status, 6);
  EXPECT_NE(locked.err.find("Meldung: Programmspeicher Fehler\n         an Adresse 768 (0x300) !"), std::string::npos)
      << locked.err;
  EXPECT_NE(locked.err.find("Abweichungen: 1 Zelle(n) verglichen, 1 davon verschieden\n"), std::string::npos)
      << locked.err;
  EXPECT_EQ(Cli(device + "--only-changed verify fw.bin").status, 64);
}

TEST_F(CliEndToEnd, BadBurnFilesEndWithStatusThreeAndTheirMessage) {
  WriteFileBytes(dir_.File("bad.hex"), ":0300300002337A1F\r\n:00000001FF\r\n");
  CliRun checksum = Sim("-y program bad.hex");
  EXPECT_EQ(checksum.status, 3);
  EXPECT_NE(checksum.err.find("Meldung: Prüfsumme der HEX-Zeile 1 stimmt nicht !"),
            std::string::npos);
  EXPECT_NE(checksum.err.find("Berechnet 0x001E"), std::string::npos);
  EXPECT_EQ(Sim("-y --no-checksum program bad.hex").status, 0);

  // BW12-D8/14 has its program memory at 0x0800..0x3FFF.
  WriteFileBytes(dir_.File("low.hex"), ":0300300002337A1E\r\n:00000001FF\r\n");
  CliRun range = Cli("-q --simulate=chip.sim --manufacturer 1 --device BW12-D8/14 -y program low.hex");
  EXPECT_EQ(range.status, 3);
  EXPECT_NE(range.err.find("Meldung: Adresse außerhalb des Programmdatenbereichs !"),
            std::string::npos);
  EXPECT_NE(range.err.find("Kleinste erlaubte Adresse: 2048"), std::string::npos);
  EXPECT_EQ(Sim("-y program missing.hex").status, 3);
}

// German texts leave the program as UTF-8 bytes, and names the narrow
// code page of Windows cannot spell come in and go out whole.
TEST_F(CliEndToEnd, GermanTextsAndNamesTravelAsUtf8) {
  WriteFileBytes(dir_.File("Prüfung.hex"), ":0300300002337A1E\r\n:00000001FF\r\n");
  CliRun program = Sim("-y program Prüfung.hex");
  ASSERT_EQ(program.status, 0) << program.err;
  EXPECT_NE(program.err.find("Meldung: Keine Fehler beim pr\xC3\xBC" "fen"), std::string::npos)
      << program.err;
  EXPECT_EQ(Sim("-y verify Prüfung.hex").status, 0);
  ASSERT_EQ(Sim("-y --format intel8 read Übertrag.hex").status, 0);
  EXPECT_NE(ReadFileBytes(dir_.File("Übertrag.hex")).find("02337A"), std::string::npos);
}

TEST_F(CliEndToEnd, TheDeviceChosenByNameOrIndexIsTheOneLoaded) {
  // A line with too few columns stands between A and C. D takes a 4 KiB
  // binary file from address 0; C, whose program memory starts at 0x800,
  // would refuse it.
  WriteFileBytes(dir_.File("ACELIST.CSV"),
                 ":Maker;Y\n"
                 "A;DIP8;12500;5000;100;0;0x400;0;0;0x2FF;ACE11;Y\n"
                 "bad;DIP8;12500;Y\n"
                 "C;DIP14;12500;5000;100;0x800;0x800;0;0;0x3FE;ACE12;Y\n"
                 "D;DIP8;12500;5000;100;0;0x1000;0;0;0x1FF;ACE11;Y\n");
  WriteFileBytes(dir_.File("fw.bin"), PatternBytes(0x1000));
  CliRun devices = Cli("devices");
  EXPECT_NE(devices.out.find("  1 C\n  2 D\n"), std::string::npos) << devices.out;
  for (const char* device : {"D", "2"}) {
    SCOPED_TRACE(device);
    CliRun run = Cli(std::string("--device ") + device + " --format intel8 convert fw.bin fw.hex");
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.err, "");
  }
  // The socket box of a command names the device it works with.
  CliRun blank = Cli("-q --simulate=chip.sim --device D -y blank");
  EXPECT_EQ(blank.status, 0) << blank.err;
  EXPECT_NE(blank.err.find("#### Blankcheck ####\n         D\n"), std::string::npos) << blank.err;
}

TEST_F(CliEndToEnd, TextBurnFilesAreReadAsRecordsOrRefused) {
  // Three bytes at 0x0030 written in the ways editors and tools write them.
  const std::pair<const char*, const char*> files[] = {
      {"bom.hex", "\xEF\xBB\xBF:0300300002337A1E\r\n:00000001FF\r\n"},
      {"blank.hex", "\r\n\r\n:0300300002337A1E\r\n:00000001FF\r\n"},
      {"lower.s19", "s106003002337a1a\ns9030000fc\n"},
  };
  for (const auto& [name, text] : files) {
    SCOPED_TRACE(name);
    WriteFileBytes(dir_.File(name), text);
    CliRun program = Sim(std::string("-y program ") + name);
    ASSERT_EQ(program.status, 0) << program.err;
    CliRun read = Sim("-y --format bin --save-blank read back.bin");
    ASSERT_EQ(read.status, 0) << read.err;
    const std::string back = Bytes("back.bin");
    EXPECT_EQ(back.substr(0x2E, 6), std::string("\xFF\xFF\x02\x33\x7A\xFF", 6));
    EXPECT_EQ(back.substr(0, 4), "\xFF\xFF\xFF\xFF");
  }
  // A file cut off before its end record is burned as it always was, with
  // a warning; so is one that writes an address twice with different bytes.
  WriteFileBytes(dir_.File("cut.hex"), ":0300300002337A1E\r\n");
  CliRun cut = Sim("-y program cut.hex");
  EXPECT_EQ(cut.status, 0);
  EXPECT_NE(cut.err.find("Warnung: Die Datei 'cut.hex' endet ohne Ende-Record, vielleicht ist sie unvollständig; "
                         "zuletzt gelesen: Zeile 1 \":0300300002337A1E\"\n"),
            std::string::npos)
      << cut.err;
  WriteFileBytes(dir_.File("twice.s19"), "S106003002337A1A\nS10400305576\nS9030000FC\n");
  CliRun twice = Sim("-y verify twice.s19");
  EXPECT_EQ(twice.status, 6);  // 0x0030 holds 0x02, the file's last word is 0x55
  EXPECT_NE(twice.err.find("Warnung: Die Datei 'twice.s19' beschreibt Adresse 0x0030 zweimal: Zeile 1 mit 0x02, "
                           "Zeile 2 mit 0x55, die zweite gilt\n"),
            std::string::npos)
      << twice.err;

  // An end record first: nothing to burn, and no text in the chip.
  WriteFileBytes(dir_.File("end.hex"), ":00000001FF\r\n");
  ASSERT_EQ(Sim("-y program end.hex").status, 0);
  EXPECT_EQ(Sim("-y blank").status, 0);

  // Text of neither format is refused, and the chip stays blank.
  WriteFileBytes(dir_.File("notes.txt"), "Firmware 1.2\nsiehe blink.hex\n");
  CliRun refused = Sim("-y program notes.txt");
  EXPECT_EQ(refused.status, 3);
  EXPECT_NE(refused.err.find("Meldung: Fehler beim Laden der Datei"), std::string::npos) << refused.err;
  EXPECT_NE(refused.err.find("weder Intel-HEX- noch Motorola-S-Records"), std::string::npos);
  EXPECT_EQ(refused.err.find("Keine Fehler"), std::string::npos);
  EXPECT_EQ(Sim("-y blank").status, 0);
  EXPECT_EQ(Sim("-y verify notes.txt").status, 3);
  EXPECT_EQ(Cli("--device 1 --format intel8 convert notes.txt out.hex").status, 3);
}

#ifndef _WIN32
// The read-out of the programmed QM1108-1K (1 KiB, no data EEPROM) in Intel8.
class CliReadOutTargets : public CliEndToEnd {
 protected:
  void SetUp() override {
    CliEndToEnd::SetUp();
    WriteFileBytes(dir_.File("fw.bin"), PatternBytes(0x400));
    ASSERT_EQ(Small("-y program fw.bin").status, 0);
    ASSERT_EQ(Small("-y --format intel8 read expected.hex").status, 0);
    expected_ = Bytes("expected.hex");
    ASSERT_TRUE(expected_.starts_with(":20000000") && expected_.ends_with(":00000001FF\r\n"));
  }
  CliRun Small(const std::string& arguments, const std::string& runAs = "") {
    return Cli("-q --simulate=chip.sim --manufacturer 0 --device QM1108-1K " + arguments, runAs);
  }
  CliRun ReadTo(const std::string& target, const std::string& runAs = "") {
    return Small("-y --format intel8 read " + target, runAs);
  }

  std::string expected_;
};

TEST_F(CliReadOutTargets, ALinkStaysAndItsFileIsReplacedKeepingOwnerAndMode) {
  std::filesystem::create_directory(dir_.Path() / "store");
  const std::string file = dir_.File("store/chip.hex");
  WriteFileBytes(file, "old\n");
  ASSERT_EQ(::chmod(file.c_str(), 0640), 0);
  std::filesystem::create_symlink(file, dir_.File("chip.hex"));
  CliRun read = ReadTo("chip.hex");
  ASSERT_EQ(read.status, 0) << read.err;
  EXPECT_TRUE(std::filesystem::is_symlink(dir_.File("chip.hex")));
  EXPECT_EQ(Bytes("store/chip.hex"), expected_);
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir_.Path() / "store"), {}), 1);
  struct stat info {};
  ASSERT_EQ(::stat(file.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 07777, 0640u);

  if (::geteuid() == 0) {
    // Root reading out over a user's file leaves it the user's.
    ASSERT_EQ(::chown(file.c_str(), 65534, 65534), 0);
    ASSERT_EQ(ReadTo("chip.hex").status, 0);
    ASSERT_EQ(::stat(file.c_str(), &info), 0);
    EXPECT_EQ(info.st_uid, 65534u);
    EXPECT_EQ(info.st_gid, 65534u);
    EXPECT_EQ(info.st_mode & 07777, 0640u);
  }
}

TEST_F(CliReadOutTargets, PipesAndDevicesAreWrittenInto) {
  const std::string fifo = dir_.File("pipe.hex");
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0644), 0);
  // With the reading end open the program's open does not wait; the pipe
  // holds far more than one read-out.
  const int reader = ::open(fifo.c_str(), O_RDONLY | O_NONBLOCK);
  ASSERT_GE(reader, 0);
  CliRun read = ReadTo("pipe.hex");
  std::string got(0x10000, '\0');
  const ssize_t size = ::read(reader, got.data(), got.size());
  ::close(reader);
  ASSERT_EQ(read.status, 0) << read.err;
  got.resize(size > 0 ? static_cast<std::size_t>(size) : 0);
  EXPECT_EQ(got, expected_);
  EXPECT_TRUE(std::filesystem::is_fifo(fifo));

  // Standard output into a pipe, through a link made like /dev/stdout (the
  // test keeps its own, so that a regression cannot replace the system's).
  std::filesystem::create_symlink("/proc/self/fd/1", dir_.File("stdout"));
  Shell("{ XDG_RUNTIME_DIR=. " FEROLITH_CLI_PATH
        " -q --simulate=chip.sim --manufacturer 0 --device QM1108-1K -y --format intel8 "
        "read stdout 2>err.txt; echo $? >status.txt; } | cat >piped.hex");
  EXPECT_EQ(Bytes("status.txt"), "0\n") << Bytes("err.txt");
  EXPECT_EQ(Bytes("piped.hex"), expected_);
  // The checksum line goes where it cannot mix with the data.
  EXPECT_NE(Bytes("err.txt").find("Programmspeicher 0x0000-0x03FF: CRC-32 "), std::string::npos);
  EXPECT_TRUE(std::filesystem::is_symlink(dir_.File("stdout")));
}

TEST_F(CliReadOutTargets, AFileTheUserMayNotWriteIsRefusedAsByAPlainOpen) {
  if (::geteuid() != 0) {
    GTEST_SKIP() << "runs the read-out as the user nobody, which needs root";
  }
  const passwd* nobody = ::getpwnam("nobody");
  if (nobody == nullptr) GTEST_SKIP() << "there is no user nobody";
  const std::string runAs = "setpriv --reuid=" + std::to_string(nobody->pw_uid) + " --regid=" +
                            std::to_string(nobody->pw_gid) + " --clear-groups";
  // The folder is the user's to write in, as are the chip file and the
  // desktop marks; the files below are not.
  ASSERT_EQ(::chmod(dir_.Path().c_str(), 0777), 0);
  ASSERT_EQ(::chown(dir_.File("chip.sim").c_str(), nobody->pw_uid, nobody->pw_gid), 0);
  ASSERT_EQ(::chown(dir_.File("kalvenor").c_str(), nobody->pw_uid, nobody->pw_gid), 0);
  for (const auto& mark : std::filesystem::directory_iterator(dir_.File("kalvenor"))) {
    ASSERT_EQ(::chown(mark.path().c_str(), nobody->pw_uid, nobody->pw_gid), 0);
  }
  const std::string theirs = dir_.File("theirs.hex");
  const std::string locked = dir_.File("locked.hex");
  const std::string mine = dir_.File("mine.hex");
  for (const std::string& path : {theirs, locked, mine}) WriteFileBytes(path, "old\n");
  ASSERT_EQ(::chmod(theirs.c_str(), 0644), 0);  // root's, readable only
  ASSERT_EQ(::chown(locked.c_str(), nobody->pw_uid, nobody->pw_gid), 0);
  ASSERT_EQ(::chmod(locked.c_str(), 0444), 0);  // the user's, read-only
  ASSERT_EQ(::chown(mine.c_str(), nobody->pw_uid, nobody->pw_gid), 0);

  for (const std::string& path : {theirs, locked}) {
    SCOPED_TRACE(path);
    CliRun read = ReadTo(path, runAs);
    EXPECT_EQ(read.status, 4) << read.err;
    EXPECT_NE(read.err.find("Meldung: Fehler beim Öffnen der Datei\n         " + path + "\n"),
              std::string::npos)
        << read.err;
    EXPECT_EQ(read.err.find("Prozessor-Programm gespeichert"), std::string::npos);
    EXPECT_EQ(ReadFileBytes(path), "old\n");
  }
  struct stat info {};
  ASSERT_EQ(::stat(theirs.c_str(), &info), 0);
  EXPECT_EQ(info.st_uid, 0u);

  // The user's own file is replaced and stays the user's.
  CliRun read = ReadTo(mine, runAs);
  ASSERT_EQ(read.status, 0) << read.err;
  EXPECT_EQ(ReadFileBytes(mine), expected_);
  ASSERT_EQ(::stat(mine.c_str(), &info), 0);
  EXPECT_EQ(info.st_uid, nobody->pw_uid);
}

#endif

TEST_F(CliEndToEnd, AReportedErrorIsTheExitStatusNeverASuccess) {
  SKIP_ON_WINDOWS(kNeedsSrecCat);
  // QM1108-1K has no data EEPROM, yet a .rex lies beside the burn file.
  WriteFileBytes(dir_.File("fw.bin"), PatternBytes(0x400));
  Shell("srec_cat fw.bin -binary -o fw.hex -intel -address-length=2");
  Shell("srec_cat fw.bin -binary -crop 0 16 -offset 0xF000 -o fw.rex -intel -address-length=2");
  const std::string device = "-q --simulate=chip.sim --manufacturer 0 --device QM1108-1K -y ";
  ASSERT_EQ(Cli(device + "program fw.hex").status, 0);
  CliRun verify = Cli(device + "verify fw.hex");
  EXPECT_EQ(verify.status, 3);
  EXPECT_NE(verify.err.find("Meldung: Zuviele EEpromdaten für diesen Controller-Typ !\n"
                            "         Der Baustein hat keinen EEPROM-Datenspeicher.\n"),
            std::string::npos)
      << verify.err;
  EXPECT_EQ(verify.err.find("4294967295"), std::string::npos);
  EXPECT_EQ(verify.err.find("Keine Fehler"), std::string::npos);

  // With a data EEPROM, a companion file that cannot be read stops the
  // programming run with its message, before the success message.
  Shell("srec_cat fw.bin -binary -crop 0 16 -offset 0x100 -o fw.rex -intel -address-length=2");
  CliRun program = Sim("-y program fw.hex");
  EXPECT_EQ(program.status, 3);
  EXPECT_NE(program.err.find("Meldung: Adresse außerhalb des EEPROM-Datenbereichs !"),
            std::string::npos)
      << program.err;
  EXPECT_EQ(program.err.find("Keine Fehler"), std::string::npos);

  // A read-out into its own companion would leave only the data EEPROM.
  CliRun own = Sim("-y --format s1 read backup.rex");
  EXPECT_EQ(own.status, 4);
  EXPECT_NE(own.err.find("Meldung: Die Datei\n         backup.rex\n         und ihre Begleitdatei"),
            std::string::npos)
      << own.err;
  EXPECT_EQ(own.err.find("gespeichert"), std::string::npos);
  EXPECT_EQ(own.out, "");  // no checksum lines
  EXPECT_FALSE(std::filesystem::exists(dir_.File("backup.rex")));

  // A burn file named as the simulation file is refused before anything
  // runs and stays as it is; after a bare --simulate it stays the command's.
  const std::string hex = Bytes("fw.hex");
  CliRun simulateHex = Cli("--simulate=fw.hex --manufacturer 0 --device 1 -y blank");
  EXPECT_EQ(simulateHex.status, 64);
  EXPECT_NE(simulateHex.err.find("'fw.hex' ist keine Simulationsdatei"), std::string::npos) << simulateHex.err;
  CliRun leftToTheCommand = Cli("-q --manufacturer 0 --device 1 -y program fw.hex --simulate fw.rex");
  EXPECT_EQ(leftToTheCommand.status, 64);
  EXPECT_NE(leftToTheCommand.err.find("Hinweis: 'fw.rex' ist keine Simulationsdatei"), std::string::npos)
      << leftToTheCommand.err;
  EXPECT_EQ(Bytes("fw.hex"), hex);
  EXPECT_EQ(Bytes("fw.rex").rfind(":", 0), 0u);
}

TEST_F(CliEndToEnd, ConvertAgreesWithSrecCatBetweenAllFormats) {
  SKIP_ON_WINDOWS(kNeedsSrecCat);
  WriteFileBytes(dir_.File("fw.bin"), PatternBytes(0x700));
  const char* formats[] = {"intel8", "intel32", "intelmcs", "s1", "s2", "s3", "bin"};
  std::string input = "fw.bin";
  for (const char* format : formats) {
    SCOPED_TRACE(format);
    const std::string output = std::string("conv_") + format;
    CliRun run = Cli("--manufacturer 0 --device 1 --save-blank --format " + std::string(format) +
                  " convert " + input + " " + output);
    ASSERT_EQ(run.status, 0) << run.err;
    const std::string type = format[0] == 's' ? "-motorola" : format[0] == 'i' ? "-intel" : "-binary";
    Shell("srec_cat " + output + " " + type + " -crop 0 0x700 -o back.bin -binary");
    EXPECT_EQ(Bytes("back.bin"), Bytes("fw.bin"));
    input = output;  // each format is converted from the previous one
  }
}

TEST_F(CliEndToEnd, UsageErrorsHelpAndDemoMode) {
  EXPECT_EQ(Cli("").status, 64);
  CliRun unknown = Cli("frobnicate");
  EXPECT_EQ(unknown.status, 64);
  EXPECT_EQ(unknown.err,
            "ferolith-cli: unbekannter Befehl 'frobnicate'\nHilfe: ferolith-cli --help\n");
  EXPECT_EQ(Cli("program").status, 64);
  EXPECT_EQ(Cli("--format pdf read x").status, 64);
  CliRun noDevice = Cli("--simulate devices --device 99");
  EXPECT_EQ(noDevice.status, 64);
  EXPECT_NE(noDevice.err.find("ferolith-cli: kein Baustein '99' bei diesem Hersteller"),
            std::string::npos);
  CliRun noManufacturer = Cli("--manufacturer Altmoor devices");  // disabled in the library
  EXPECT_EQ(noManufacturer.status, 64);
  EXPECT_NE(noManufacturer.err.find("ferolith-cli: kein Hersteller 'Altmoor' in der Bauteilbibliothek"),
            std::string::npos);
  CliRun help = Cli("--help");
  EXPECT_EQ(help.status, 0);
  EXPECT_NE(help.out.find("\nBefehle:\n"), std::string::npos);
  EXPECT_NE(help.out.find("  program [DATEI] "), std::string::npos);
  CliRun version = Cli("--version");
  EXPECT_EQ(version.status, 0);
  EXPECT_NE(version.out.find("simulator"), std::string::npos);
  CliRun devices = Cli("devices");
  EXPECT_EQ(devices.status, 0);
  EXPECT_NE(devices.out.find("0 Quellmark Halbleiter *"), std::string::npos);
  EXPECT_EQ(devices.out.find("Altmoor"), std::string::npos);  // a disabled manufacturer

  // Without --simulate and without a parallel port: demo mode and status 8.
  WriteFileBytes(dir_.File("KALVENOR.INI"), "[Hardware]\nSearchHardware=2\n");
  CliRun detect = Cli("detect");
  EXPECT_EQ(detect.status, 8);
  CliRun absent = Cli("--simulate detect");
  EXPECT_EQ(absent.status, 0);
  CliRun refused = Cli("blank");
  EXPECT_EQ(refused.status, 8);
  EXPECT_NE(refused.err.find("Meldung: Keine Aktionen des Brenners möglich !"), std::string::npos);
  CliRun initreg = Cli("initreg c5");
  EXPECT_EQ(initreg.status, 0);
  EXPECT_NE(Bytes("KALVENOR.INI").find("InitRegister1=c5"), std::string::npos);
  EXPECT_NE(Bytes("KALVENOR.INI").find("SearchHardware=2"), std::string::npos);

  // A save that fails ends with the file's error and a status that is not 0:
  // a script must not go on burning with the old configuration byte.
  const std::string saved = Bytes("KALVENOR.INI");
  std::filesystem::permissions(dir_.File("KALVENOR.INI"), std::filesystem::perms::owner_read);
  const std::string notSaved = "Meldung: Die Einstellungen konnten nicht gespeichert werden !\n"
                               "         Fehler beim Öffnen der Datei\n";
  CliRun readOnly = Cli("initreg 3f");
  EXPECT_EQ(readOnly.status, 74);
  EXPECT_EQ(readOnly.err.rfind(notSaved, 0), 0u) << readOnly.err;
  EXPECT_NE(readOnly.err.find("KALVENOR.INI\n"), std::string::npos) << readOnly.err;
  // The switch to demo mode saves too.
  CliRun demo = Cli("--simulate-absent=high detect");
  EXPECT_EQ(demo.status, 8);
  EXPECT_NE(demo.err.find("Programm geht in den Demomodus.\n" + notSaved), std::string::npos) << demo.err;
  EXPECT_EQ(Bytes("KALVENOR.INI"), saved);

#ifndef _WIN32
  // A lock folder that is not the user's own is refused before anything
  // runs: status 73, the message names it, nothing is written.
  std::filesystem::remove_all(dir_.File("kalvenor"));
  std::filesystem::create_directory(dir_.File("elsewhere"));
  std::filesystem::create_directory_symlink(dir_.File("elsewhere"), dir_.File("kalvenor"));
  const std::string settings = Bytes("KALVENOR.INI");
  CliRun planted = Cli("initreg 3f");
  EXPECT_EQ(planted.status, 73);
  EXPECT_EQ(planted.err.rfind("Meldung: Der Ordner für die Sperrdateien\n         '" + dir_.File("kalvenor") +
                                  "'\n         wird nicht benutzt: er ist ein symbolischer Link.\n",
                              0),
            0u)
      << planted.err;
  EXPECT_EQ(Bytes("KALVENOR.INI"), settings);
  EXPECT_TRUE(std::filesystem::is_empty(dir_.File("elsewhere")));
#endif
}

// A manufacturer whose only device line is invalid (package DIP9).
constexpr const char* kLibraryWithAnEmptyManufacturer =
    ":Eigenbau;Y\r\nTEST-1;DIP8;12500;5000;4000;0;1024;0;0;0x2FF;ACE11;Y\r\n"
    ":Leer;Y\r\nTEST-2;DIP9;12500;5000;4000;0;1024;0;0;0x2FF;ACE11;Y\r\n";

// "devices" lists what can be selected: the placeholders "Keine Bausteine"
// and "Keine Hersteller" of empty lists are no entries.
TEST_F(CliEndToEnd, DevicesListsNoPlaceholderAndFailsWithoutALibrary) {
  WriteFileBytes(dir_.File("ACELIST.CSV"), kLibraryWithAnEmptyManufacturer);
  CliRun devices = Cli("devices");
  EXPECT_EQ(devices.status, 0);
  EXPECT_EQ(devices.out, "0 Eigenbau *\n  0 TEST-1 *\n1 Leer\n");
  EXPECT_NE(devices.err.find("Meldung: TEST-2\n         Unbekannte Gehäuseform"), std::string::npos);

  std::filesystem::remove(dir_.File("ACELIST.CSV"));
  devices = Cli("devices");
  EXPECT_EQ(devices.status, 13);
  EXPECT_EQ(devices.out, "");
  EXPECT_NE(devices.err.find("Meldung: Kann Bauteilbibliothek nicht öffnen !"), std::string::npos);
}

#ifndef _WIN32
// The bash completion, run on the built program in the test's directory:
// `words` are the words on the line after the program, the last one being
// completed. Returns the offers, one a line.
class CliCompletion : public CliEndToEnd {
 protected:
  std::string Complete(const std::string& words) {
    const std::string script =
        "source '" + (SourceDir() / "resources" / "bash-completion" / "ferolith-cli").string() +
        "'\nCOMP_WORDS=('" FEROLITH_CLI_PATH "' " + words +
        ")\nCOMP_CWORD=$((${#COMP_WORDS[@]} - 1))\n_ferolith_cli\n"
        "for offer in \"${COMPREPLY[@]}\"; do printf '%s\\n' \"$offer\"; done\n";
    WriteFileBytes(dir_.File("complete.sh"), script);
    Shell("bash complete.sh >offers.txt 2>&1");
    return Bytes("offers.txt");
  }
  // The values the program itself names when it refuses one of `option`.
  std::string Allowed(const std::string& option) {
    const std::string err = Cli(option + " nonsense convert a b").err;
    const std::size_t start = err.find(", nur ") + 6;
    std::string allowed = err.substr(start, err.find('\n') - start);
    for (std::size_t at = 0; (at = allowed.find(", ", at)) != std::string::npos;) {
      allowed.replace(at, 2, "\n");
    }
    return allowed + "\n";
  }
};

TEST_F(CliCompletion, OffersCommandsOptionsAndTheValuesTheProgramAccepts) {
  EXPECT_EQ(Complete("''"), "devices\ndetect\nprobe\nblank\nprogram\nverify\nread\ninitreg\nconvert\nsave-project\n");
  EXPECT_EQ(Complete("--f"), "--format\n");
  EXPECT_EQ(Complete("-y --no-s"), "--no-save-blank\n");
  const std::string options = Complete("-");
  for (const char* option : {"-y\n", "-q\n", "--simulate\n", "--no-checksum\n", "--line-length\n", "--serial\n",
                             "--serial-overwrite\n", "-l\n", "--project\n", "--accept-changed-file\n"}) {
    EXPECT_NE(options.find(option), std::string::npos) << option;
  }
  EXPECT_EQ(Complete("--format ''"), Allowed("--format"));
  EXPECT_EQ(Complete("--format = ''"), Allowed("--format"));  // "--format=" as bash splits it
  EXPECT_EQ(Complete("--on-error ''"), Allowed("--on-error"));
  EXPECT_EQ(Complete("--area ''"), Allowed("--area"));
  EXPECT_EQ(Complete("--simulate-absent ''"), Allowed("--simulate-absent"));
  EXPECT_EQ(Complete("--serial-format ''"), Allowed("--serial-format"));
  EXPECT_EQ(Complete("--serial d"), "data:\n");
  EXPECT_EQ(Complete("--format s"), "s1\ns2\ns3\n");

  // After the command: file names.
  WriteFileBytes(dir_.File("fw.hex"), "");
  EXPECT_EQ(Complete("-y program f"), "fw.hex\n");
  EXPECT_EQ(Complete("--simulate = f"), "fw.hex\n");
  EXPECT_EQ(Complete("--log f"), "fw.hex\n");
  EXPECT_EQ(Complete("--serial-file f"), "fw.hex\n");
  EXPECT_EQ(Complete("--project f"), "fw.hex\n");
}

TEST_F(CliCompletion, NamesComeFromTheLibraryOfTheCurrentDirectory) {
  EXPECT_EQ(Complete("--manufacturer ''"),
            "Quellmark\\ Halbleiter\nBrimwood\\ Mikrosysteme\nNorrvik\\ Elektronik\n");
  EXPECT_EQ(Complete("--manufacturer Br"), "Brimwood\\ Mikrosysteme\n");
  // Devices of the selected manufacturer, or of the one on the line (by
  // number or by name, quoted as the shell has it).
  EXPECT_EQ(Complete("--device QM1108"), "QM1108-1K\nQM1108-2KE\n");
  EXPECT_EQ(Complete("--manufacturer 2 --device ''"), "NV-A11P8\nNV-A12P14E\nNV-A12P8\n");
  EXPECT_EQ(Complete("--manufacturer Brimwood\\ Mikrosysteme --device BW12-D14/"),
            "BW12-D14/16E\nBW12-D14/64E\nBW12-D14/32\n");
  EXPECT_EQ(Complete("--manufacturer = \"Norrvik Elektronik\" --device NV-A12"),
            "NV-A12P14E\nNV-A12P8\n");

  // Another library in the directory, other names; the placeholders of
  // empty lists are no names.
  WriteFileBytes(dir_.File("ACELIST.CSV"), kLibraryWithAnEmptyManufacturer);
  EXPECT_EQ(Complete("--manufacturer ''"), "Eigenbau\nLeer\n");
  EXPECT_EQ(Complete("--device ''"), "TEST-1\n");
  EXPECT_EQ(Complete("--manufacturer Leer --device ''"), "");
  std::filesystem::remove(dir_.File("ACELIST.CSV"));
  EXPECT_EQ(Complete("--manufacturer ''"), "");
  EXPECT_EQ(Complete("--device ''"), "");
}

#else
TEST(CliEndToEndPosix, ReadOutTargetsAndBashCompletion) {
  GTEST_SKIP() << "symbolic links, pipes, owners, another user and bash completion are POSIX matters";
}
#endif

TEST_F(CliEndToEnd, DetectEndsInDemoModeForEveryPortWithNobodyAnswering) {
  WriteFileBytes(dir_.File("KALVENOR.INI"), "[Hardware]\nSearchHardware=2\nTimeOut=10000\n");
  for (const char* model : {"high", "busy-inverted", "low"}) {
    SCOPED_TRACE(model);
    CliRun detect = Cli(std::string("--simulate-absent=") + model + " detect");
    EXPECT_EQ(detect.status, 8);
    // Two attempts, each ended by one handshake timeout, then demo mode.
    std::size_t timeouts = 0;
    for (std::size_t at = detect.err.find("Timeout-Fehler"); at != std::string::npos;
         at = detect.err.find("Timeout-Fehler", at + 1)) {
      ++timeouts;
    }
    EXPECT_EQ(timeouts, 2u) << detect.err;
    EXPECT_NE(detect.err.find("Meldung: Kann Hardware nicht finden !\n         Programm geht in den Demomodus."),
              std::string::npos)
        << detect.err;
  }
  EXPECT_EQ(Cli("--simulate-absent=floating detect").status, 64);
}

// probe on the simulator in its fault models: the report from the port
// address on (the machine's own ports come before it) and the exit status.
TEST_F(CliEndToEnd, ProbeReportsEachFaultModelWithItsOwnExitStatus) {
  WriteFileBytes(dir_.File("KALVENOR.INI"), "[Hardware]\nPortAdress=378\nTimeOut=10000\n");
  const std::string loopClean =
      "Rückschleife über Register 10, geschrieben 0x00 0xAA 0x55:\n"
      "  Eingang 0: gelesen 0 0 1, soll 0 0 1: folgt\n  Eingang 1: gelesen 0 1 0, soll 0 1 0: folgt\n"
      "  Eingang 2: gelesen 0 0 1, soll 0 0 1: folgt\n  Eingang 3: gelesen 0 1 0, soll 0 1 0: folgt\n"
      "  Eingang 4: gelesen 0 0 1, soll 0 0 1: folgt\n  Eingang 5: gelesen 0 1 0, soll 0 1 0: folgt\n"
      "  Eingang 6: gelesen 0 0 1, soll 0 0 1: folgt\n  Eingang 7: gelesen 0 1 0, soll 0 1 0: folgt\n";
  const std::string answered =
      "Statusbyte vor dem ersten Schreibzugriff: 0x80 (Bits 7..0: 1000 0000)\n"
      "Einzelner Strobe der Suche: Antwort nach 1 Statuslesung\n"
      "Handshake 0x80 in Register 12: Antwort nach 2 Statuslesungen\n";
  std::string stuck = loopClean;
  for (const auto& [line, finding] : {std::pair<std::string, std::string>{"0: gelesen 0 0 1", "0: gelesen 0 0 0"},
                                      {"7: gelesen 0 1 0", "7: gelesen 1 1 1"}}) {
    const std::size_t at = stuck.find("Eingang " + line);
    const std::size_t end = stuck.find('\n', at);
    stuck.replace(at, end - at, "Eingang " + finding + (line[0] == '0' ? ", soll 0 0 1: hängt auf 0"
                                                                        : ", soll 0 1 0: hängt auf 1"));
  }
  const std::string noHandshake =
      "Ergebnis: Kein Handshake. Programmiergerät eingeschaltet, Kabel und Port-Adresse richtig?\n";
  const std::string untimed =
      "Zeitmessung: entfällt, der Simulator läuft ohne Echtzeit (--simulate-speed=real gibt ihm eine).\n";
  const struct {
    const char* arguments;
    int status;
    std::string report;
  } cases[] = {
      {"--simulate probe", 0,
       "Port-Adresse 0x378:\n  Zugang: simulator (virtuelles Programmiergerät)\n" + answered + loopClean +
           untimed + "Ergebnis: Das Programmiergerät antwortet, die Rückschleife stimmt.\n"},
      {"--simulate-stuck-low 01 --simulate-stuck-high 0x80 probe", 8,
       "Port-Adresse 0x378:\n  Zugang: simulator (virtuelles Programmiergerät, Eingänge fest auf 0: 0x01, "
       "fest auf 1: 0x80)\n" + answered + stuck + untimed +
           "Ergebnis: Das Programmiergerät antwortet, aber die Rückschleife stimmt nicht.\n"},
      {"--simulate-absent=high probe", 10,
       "Port-Adresse 0x378:\n  Zugang: simulator (virtuelles Programmiergerät, abwesend: high)\n"
       "Statusbyte vor dem ersten Schreibzugriff: 0xFF (Bits 7..0: 1111 1111)\n"
       "Einzelner Strobe der Suche: keine Antwort nach 10000 Statuslesungen (TimeOut)\n" + noHandshake},
      {"--simulate-absent=busy-inverted probe", 10,
       "Port-Adresse 0x378:\n  Zugang: simulator (virtuelles Programmiergerät, abwesend: busy-inverted)\n"
       "Statusbyte vor dem ersten Schreibzugriff: 0x7F (Bits 7..0: 0111 1111)\n"
       "Einzelner Strobe der Suche: Antwort nach 1 Statuslesung\n"
       "Handshake 0x80 in Register 12: keine Antwort nach 10000 Statuslesungen (TimeOut)\n" + noHandshake},
      {"--simulate-absent=low probe", 10,
       "Port-Adresse 0x378:\n  Zugang: simulator (virtuelles Programmiergerät, abwesend: low)\n"
       "Statusbyte vor dem ersten Schreibzugriff: 0x80 (Bits 7..0: 1000 0000)\n"
       "Einzelner Strobe der Suche: keine Antwort nach 10000 Statuslesungen (TimeOut)\n" + noHandshake},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.arguments);
    const CliRun run = Cli(c.arguments);
    EXPECT_EQ(run.status, c.status) << run.err;
    EXPECT_EQ(run.err, "");
    ASSERT_EQ(run.out.rfind("Parallele Schnittstellen dieses Rechners:\n", 0), 0u) << run.out;
    EXPECT_EQ(run.out.substr(run.out.find("Port-Adresse")), c.report);
  }
  EXPECT_EQ(Cli("--simulate-stuck-low 1ff probe").status, 64);
  // Without a port at the address: the message that says what to do, and 69.
  EXPECT_EQ(Cli("probe").status, 69);
}

// probe times the port by the machine's clock. The simulator at the real
// programmer's pace takes TimeBaseKorr for a register write, so the probe
// must find the configured value; four times faster, a quarter of it, with
// the waits too short and the status that says so. A loaded machine can
// only make the paced simulator slower, never faster: the bounds allow for
// that (and for the paced simulator's catching up of up to 5 ms).
TEST_F(CliEndToEnd, ProbeTimesTheSimulatorAtItsPaceAndSaysHowFarTimeBaseKorrIsOff) {
  WriteFileBytes(dir_.File("KALVENOR.INI"), "[Hardware]\nPortAdress=378\nTimeBaseKorr=80\n");
  const std::regex fitting("Passender TimeBaseKorr: ([0-9]+)");
  const std::regex off("Wartezeiten ([0-9]+) % zu (kurz|lang)\n");
  const auto FittingOf = [&](const CliRun& run) {
    std::smatch match;
    EXPECT_TRUE(std::regex_search(run.out, match, fitting)) << run.out;
    return match.empty() ? -1 : std::stoi(match[1]);
  };
  {
    const CliRun real = Cli("--simulate --simulate-speed=real probe");
    SCOPED_TRACE(real.out);
    EXPECT_NE(real.out.find("Zeitmessung mit der Uhr des Rechners, TimeBaseKorr 80:\n"
                            "  1000 Registerzugriffe: Median "),
              std::string::npos);
    EXPECT_NE(real.out.find("  Wartezeit von 200 ms (2501 Registerzugriffe): "), std::string::npos);
    const int korr = FittingOf(real);
    EXPECT_GE(korr, 78);
    std::smatch match;
    if (korr <= 96) {
      EXPECT_EQ(real.status, 0);
    } else {
      ASSERT_TRUE(std::regex_search(real.out, match, off));
      EXPECT_EQ(match[2], "lang") << "a loaded machine only makes the waits longer";
    }
  }
  {
    const CliRun quick = Cli("--simulate --simulate-speed=4 probe");
    SCOPED_TRACE(quick.out);
    EXPECT_EQ(quick.status, 78);
    const int korr = FittingOf(quick);
    EXPECT_GE(korr, 19);
    EXPECT_LE(korr, 60);
    std::smatch match;
    ASSERT_TRUE(std::regex_search(quick.out, match, off));
    EXPECT_EQ(match[2], "kurz");
    EXPECT_GE(std::stoi(match[1]), 25);
    EXPECT_NE(quick.out.find("Ergebnis: Das Programmiergerät antwortet, aber TimeBaseKorr passt nicht"),
              std::string::npos);
  }
}

// The trace of a detection on the simulator, read back by sigrok-cli: every
// line a channel of its own, and the first two register writes after the
// lone strobe (0x80 into registers 12 and 14) as the handshake makes them,
// each in a time slot of TimeBaseKorr microseconds from the second slot on:
// data, register number, strobe low and "ready" at the slot's start; strobe
// high, "taken", the decoded write and WR high at its middle; WR low again
// with the next write. A trace that cannot be written is told, and an
// earlier file of its name stays as it was (the trace replaces it only when
// complete).
TEST_F(CliEndToEnd, TheTraceIsReadBySigrokWithEveryLineAChannelOnTheLinksTimeBase) {
  SKIP_ON_WINDOWS("/dev/full, sigrok-cli and the POSIX shell are not there under wine");
  const CliRun full = Cli("--simulate --trace=/dev/full detect");
  EXPECT_EQ(full.status, 0) << "the trace does not change the command's result";
  EXPECT_NE(full.err.find("'/dev/full'"), std::string::npos) << full.err;
  EXPECT_NE(full.err.find("konnte nicht vollständig geschrieben werden."), std::string::npos) << full.err;

#ifndef _WIN32
  // A file size limit of 512 bytes cuts the trace short, as a full disk would.
  WriteFileBytes(dir_.File("fw.rex"), ":00000001FF\r\n");
  const CliRun cut = Cli("--simulate --trace=fw.rex detect", "sh -c 'ulimit -f 1; trap \"\" XFSZ; exec \"$0\" \"$@\"'");
  EXPECT_EQ(cut.status, 0);
  EXPECT_NE(cut.err.find("'fw.rex'\n         konnte nicht vollständig geschrieben werden.\n"
                         "         Die Aufzeichnung ist verworfen; eine frühere Datei dieses Namens bleibt, wie sie war.\n"),
            std::string::npos)
      << cut.err;
  EXPECT_EQ(Bytes("fw.rex"), ":00000001FF\r\n");
  for (const auto& entry : std::filesystem::directory_iterator(dir_.Path())) {
    EXPECT_EQ(entry.path().filename().string().rfind(".fw.rex", 0), std::string::npos) << entry.path();
  }
#endif

  if (std::system("command -v sigrok-cli >/dev/null") != 0) GTEST_SKIP() << "sigrok-cli is not installed";
  WriteFileBytes(dir_.File("KALVENOR.INI"), "[Hardware]\nTimeBaseKorr=70\n");
  ASSERT_EQ(Cli("--simulate --trace=run.vcd detect").status, 0);
  Shell("sigrok-cli -I vcd -i run.vcd -O csv:label=channel >run.csv");
  std::istringstream csv(Bytes("run.csv"));
  std::vector<std::string> names;
  std::vector<std::vector<std::string>> samples;  // one a microsecond
  for (std::string line; std::getline(csv, line);) {
    if (line.empty() || line[0] == ';' || line.rfind("META", 0) == 0) continue;
    std::vector<std::string> cells;
    std::istringstream row(line);
    for (std::string cell; std::getline(row, cell, ',');) cells.push_back(cell);
    (names.empty() ? names : samples.emplace_back()) = cells;
  }
  const std::vector<std::string> expectedNames = {
      "D0", "D1", "D2", "D3", "D4", "D5", "D6", "D7", "C0_STROBE", "C1_AUTOFD", "C2_INIT", "C3_SELECTIN",
      "S3_ERROR", "S4_SELECT", "S5_PAPEROUT", "S6_ACK", "S7_BUSY", "REG1", "REG2", "REG3", "VAL0", "VAL1",
      "VAL2", "VAL3", "VAL4", "VAL5", "VAL6", "VAL7", "WR", "CLK", "SDI", "SDO", "LOAD", "POWER", "ENTRY"};
  ASSERT_EQ(names, expectedNames);
  const auto column = [&](const char* name) {
    return static_cast<std::size_t>(std::find(names.begin(), names.end(), name) - names.begin());
  };
  const auto at = [&](std::size_t sample) {
    std::string state;
    for (const char* name : {"D0", "D6", "D7", "C0_STROBE", "C1_AUTOFD", "C2_INIT", "C3_SELECTIN", "S7_BUSY",
                             "REG1", "REG2", "REG3", "VAL0", "VAL7", "WR"}) {
      state += samples[sample].at(column(name));
    }
    return state;
  };
  std::size_t first = 0;
  while (first < samples.size() && samples[first][column("D7")] != "1") ++first;
  EXPECT_EQ(first, 70u) << "the second slot of 70 us";
  // Each state and how many microseconds it lasts, over two slots.
  std::vector<std::pair<std::string, int>> states;
  for (std::size_t i = first; i < first + 140 && i < samples.size(); ++i) {
    if (states.empty() || states.back().first != at(i)) states.emplace_back(at(i), 0);
    ++states.back().second;
  }
  EXPECT_EQ(states, (std::vector<std::pair<std::string, int>>{
                        // D0 D6 D7 C0 C1 C2 C3 S7 REG1-3 VAL0 VAL7 WR
                        {"00100111000000", 35},  // 0x80, register 12 with strobe low, ready
                        {"00110110011011", 35},  // strobe, taken: register 12 took 0x80
                        {"00101111011010", 35},  // register 14 with strobe low, ready; WR ends
                        {"00111110111011", 35},  // strobe, taken: register 14 took 0x80
                    }));
}

}  // namespace
}  // namespace ferolith::testing
