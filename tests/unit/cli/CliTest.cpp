#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <ctime>
#include <sstream>

#include "cli/CliOptions.h"
#include "cli/CliTexts.h"
#include "cli/ConsoleUi.h"
#include "cli/ProductionLog.h"
#include "tests/support/TempDir.h"

namespace ferolith::cli {
namespace {

std::variant<CliOptions, int> Parse(std::vector<const char*> args) {
  args.insert(args.begin(), "ferolith-cli");
  std::ostringstream out;
  std::ostringstream err;
  return ParseCommandLine(static_cast<int>(args.size()), args.data(), out, err);
}

TEST(CliOptions, ReadsCommandsFilesAndOverrides) {
  auto parsed = Parse({"--simulate=chip.sim", "-y", "--no-verify", "--line-length", "33",
                       "--format", "s2", "program", "fw.hex", "--on-error", "retry", "--repeat",
                       "--keep-going", "--log", "run.csv"});
  ASSERT_TRUE(std::holds_alternative<CliOptions>(parsed));
  const auto& options = std::get<CliOptions>(parsed);
  EXPECT_EQ(options.command, Command::Program);
  EXPECT_EQ(options.files, std::vector<std::string>{"fw.hex"});
  EXPECT_TRUE(options.simulate);
  EXPECT_EQ(options.simulationFile, "chip.sim");
  EXPECT_TRUE(options.yes);
  EXPECT_TRUE(options.retryOnError);
  EXPECT_EQ(options.verify, std::optional<bool>(false));
  EXPECT_EQ(options.lineLength, std::optional<std::uint32_t>(32));
  EXPECT_EQ(options.format, std::optional<DataFormat>(DataFormat::MotorolaS2));
  EXPECT_TRUE(options.repeat && options.keepGoing);
  EXPECT_EQ(options.logFile, std::optional<std::string>("run.csv"));

  auto absent = Parse({"--simulate-absent", "busy-inverted", "detect"});
  ASSERT_TRUE(std::holds_alternative<CliOptions>(absent));
  EXPECT_TRUE(std::get<CliOptions>(absent).simulate) << "an absent programmer is a simulated one";
  EXPECT_EQ(std::get<CliOptions>(absent).absentProgrammer, sim::AbsentStatus::BusyInverted);
  auto absentWithFile = Parse({"--simulate=chip.sim", "--simulate-absent=low", "detect"});
  ASSERT_TRUE(std::holds_alternative<CliOptions>(absentWithFile));
  EXPECT_EQ(std::get<CliOptions>(absentWithFile).absentProgrammer, sim::AbsentStatus::Low);
  EXPECT_EQ(std::get<CliOptions>(absentWithFile).simulationFile, "chip.sim");

  auto empty = Parse({"--simulate-empty-socket", "blank"});
  ASSERT_TRUE(std::holds_alternative<CliOptions>(empty));
  EXPECT_TRUE(std::get<CliOptions>(empty).simulate && std::get<CliOptions>(empty).emptySocket);

  // The speed of the simulator: a simulation of its own, as fast as the
  // machine allows unless asked.
  const struct {
    const char* value;
    double factor;
  } speeds[] = {{"real", 1}, {"fast", 0}, {"10", 10}, {"2.5", 2.5}};
  for (const auto& speed : speeds) {
    const std::string option = std::string("--simulate-speed=") + speed.value;
    auto paced = Parse({option.c_str(), "blank"});
    ASSERT_TRUE(std::holds_alternative<CliOptions>(paced)) << option;
    EXPECT_TRUE(std::get<CliOptions>(paced).simulate);
    EXPECT_EQ(std::get<CliOptions>(paced).speed.factor, speed.factor) << option;
  }

  auto bare = Parse({"--simulate", "blank"});
  ASSERT_TRUE(std::holds_alternative<CliOptions>(bare));
  EXPECT_TRUE(std::get<CliOptions>(bare).simulate);
  EXPECT_EQ(std::get<CliOptions>(bare).simulationFile, "");
  EXPECT_FALSE(std::get<CliOptions>(bare).verify.has_value());
  EXPECT_FALSE(std::get<CliOptions>(bare).absentProgrammer.has_value());
  EXPECT_FALSE(std::get<CliOptions>(bare).emptySocket);
  EXPECT_FALSE(std::get<CliOptions>(bare).speed.Paced());
}

TEST(CliOptions, InitRegisterValueMustBeOneHexByte) {
  auto set = Parse({"initreg", "0xC5"});
  ASSERT_TRUE(std::holds_alternative<CliOptions>(set));
  EXPECT_EQ(std::get<CliOptions>(set).initRegisterValue, std::optional<std::uint8_t>(0xC5));
  auto read = Parse({"initreg"});
  ASSERT_TRUE(std::holds_alternative<CliOptions>(read));
  EXPECT_FALSE(std::get<CliOptions>(read).initRegisterValue.has_value());
  for (const char* bad : {"1C5", "zz", "0x", "-1"}) {
    auto parsed = Parse({"initreg", bad});
    ASSERT_TRUE(std::holds_alternative<int>(parsed)) << bad;
    EXPECT_EQ(std::get<int>(parsed), kUsageError) << bad;
  }
}

struct Outcome {
  int status = -1;
  std::string out;
  std::string err;
};

Outcome Ends(std::vector<const char*> args) {
  args.insert(args.begin(), "ferolith-cli");
  std::ostringstream out;
  std::ostringstream err;
  const auto parsed = ParseCommandLine(static_cast<int>(args.size()), args.data(), out, err);
  return {std::holds_alternative<int>(parsed) ? std::get<int>(parsed) : -1, out.str(), err.str()};
}

TEST(CliOptions, UsageErrorsAreGermanAndEndWithStatus64) {
  const struct {
    std::vector<const char*> args;
    const char* text;
  } cases[] = {
      {{}, "kein Befehl angegeben"},
      {{"frobnicate"}, "unbekannter Befehl 'frobnicate'"},
      {{""}, "unbekannter Befehl ''"},
      {{"--frob", "blank"}, "unerwartetes Argument '--frob'"},
      {{"blank", "program", "x"}, "unerwartetes Argument 'program'"},
      {{"program"}, "program erwartet DATEI oder --project PROJEKT"},
      {{"program", "a", "b"}, "unerwartetes Argument 'b'"},
      {{"convert", "only-one"}, "convert erwartet EIN AUS"},
      {{"initreg", "1", "2"}, "unerwartetes Argument '2'"},
      {{"initreg", "1C5"}, "initreg: WERT muss ein Byte in Hex sein, etwa c5 oder 0x3F"},
      {{"--device"}, "--device: der Wert fehlt"},
      {{"--line-length", "15", "read", "x"}, "--line-length: '15' ist keine Zahl von 16 bis 255"},
      {{"--line-length", "2x", "read", "x"}, "--line-length: '2x' ist keine Zahl von 16 bis 255"},
      {{"--on-error", "ignore", "blank"},
       "--on-error: 'ignore' ist nicht erlaubt, nur retry, cancel"},
      {{"--format", "pdf", "read", "x"},
       "--format: 'pdf' ist nicht erlaubt, nur bin, intel8, intel32, intelmcs, s1, s2, s3"},
      {{"--area", "eeprom", "convert", "a", "b"},
       "--area: 'eeprom' ist nicht erlaubt, nur code, data"},
      {{"--simulate-absent=floating", "detect"},
       "--simulate-absent: 'floating' ist nicht erlaubt, nur high, busy-inverted, low"},
      {{"--simulate-speed=slow", "blank"},
       "--simulate-speed: 'slow' ist keine Geschwindigkeit: real, fast oder ein Faktor größer 0, etwa 10 oder 2.5"},
      {{"--simulate-speed", "0", "blank"},
       "--simulate-speed: '0' ist keine Geschwindigkeit: real, fast oder ein Faktor größer 0, etwa 10 oder 2.5"},
      {{"--simulate-speed=-2", "blank"},
       "--simulate-speed: '-2' ist keine Geschwindigkeit: real, fast oder ein Faktor größer 0, etwa 10 oder 2.5"},
      {{"--yes=abc", "blank"}, "Aufruf nicht verstanden: --yes = abc"},
      {{"--verify=o", "blank"}, "Aufruf nicht verstanden: --verify = o"},
      {{"--no-checksum=ja", "blank"}, "Aufruf nicht verstanden: --checksum = ja"},  // the pair's name
      {{"--repeat", "read", "x"}, "--repeat geht nur zusammen mit program"},
      {{"--log", "l.csv", "blank"}, "--log geht nur zusammen mit program"},
      {{"--keep-going", "program", "x"}, "--keep-going geht nur zusammen mit --repeat"},
  };
  for (const auto& c : cases) {
    const Outcome outcome = Ends(c.args);
    SCOPED_TRACE(c.text);
    EXPECT_EQ(outcome.status, kUsageError);
    EXPECT_EQ(outcome.err,
              std::string("ferolith-cli: ") + c.text + "\nHilfe: ferolith-cli --help\n");
    EXPECT_EQ(outcome.out, "");
  }
}

// The simulator replaces its file after every command: a file that exists
// and is no simulation file is refused before anything runs, and the word
// after a bare --simulate stays with the command when it names one.
TEST(CliOptions, AnExistingFileThatIsNoSimulationFileIsNeverTaken) {
  testing::TempDir dir;
  const std::string hex = dir.File("fw.hex");
  const std::string rex = dir.File("blink.rex");
  const std::string sim = dir.File("chip.sim");
  testing::WriteFileBytes(hex, ":00000001FF\n");
  testing::WriteFileBytes(rex, ":00000001FF\n");
  testing::WriteFileBytes(sim, "ACE-CHIP 1\nINITREG1 00\n");
  const std::string refused = "'" + hex +
                              "' ist keine Simulationsdatei (ihre erste Zeile ist nicht \"ACE-CHIP 1\") "
                              "und wird nicht überschrieben";

  const std::string withFile = "--simulate=" + hex;
  Outcome outcome = Ends({withFile.c_str(), "blank"});
  EXPECT_EQ(outcome.status, kUsageError);
  EXPECT_EQ(outcome.err, "ferolith-cli: " + refused + "\nHilfe: ferolith-cli --help\n");
  outcome = Ends({"--simulate", hex.c_str(), "blank"});
  EXPECT_EQ(outcome.status, kUsageError);

  // "program fw.hex --simulate blink.rex": the word is the command's, with a hint.
  outcome = Ends({"program", hex.c_str(), "--simulate", rex.c_str()});
  EXPECT_EQ(outcome.status, kUsageError);
  EXPECT_EQ(outcome.err, "ferolith-cli: Hinweis: '" + rex +
                             "' ist keine Simulationsdatei und gehört nicht zu --simulate;\n"
                             "              eine Simulationsdatei wird mit --simulate=DATEI angegeben.\n"
                             "ferolith-cli: unerwartetes Argument '" + rex + "'\nHilfe: ferolith-cli --help\n");
  auto parsed = Parse({"verify", "--simulate", hex.c_str()});
  ASSERT_TRUE(std::holds_alternative<CliOptions>(parsed));
  EXPECT_TRUE(std::get<CliOptions>(parsed).simulate);
  EXPECT_EQ(std::get<CliOptions>(parsed).simulationFile, "");
  EXPECT_EQ(std::get<CliOptions>(parsed).files, std::vector<std::string>{hex});

  // A simulation file, or one that does not exist yet, keeps its meaning.
  const std::string fresh = dir.File("new.sim");
  for (const std::string& file : {sim, fresh}) {
    parsed = Parse({"--simulate", file.c_str(), "program", hex.c_str()});
    ASSERT_TRUE(std::holds_alternative<CliOptions>(parsed)) << file;
    EXPECT_EQ(std::get<CliOptions>(parsed).simulationFile, file);
    EXPECT_EQ(std::get<CliOptions>(parsed).files, std::vector<std::string>{hex});
    const std::string assigned = "--simulate=" + file;
    parsed = Parse({assigned.c_str(), "blank"});
    ASSERT_TRUE(std::holds_alternative<CliOptions>(parsed)) << file;
    EXPECT_EQ(std::get<CliOptions>(parsed).simulationFile, file);
  }
  EXPECT_EQ(testing::ReadFileBytes(hex), ":00000001FF\n");
}

TEST(CliOptions, HelpIsGermanAndKeepsTheNamesScriptsUse) {
  const Outcome help = Ends({"--help"});
  EXPECT_EQ(help.status, 0);
  EXPECT_EQ(help.err, "");
  for (const char* line :
       {"Aufruf: ferolith-cli [OPTIONEN] BEFEHL [ARGUMENTE]\n", "\nOptionen:\n", "\nBefehle:\n",
        "  --simulate[=DATEI]", "  --verify, --no-verify ", "  --line-length N ",
        "  -y, --yes ", "  program [DATEI] ", "  initreg [WERT] ", "  convert EIN AUS ",
        "64 falscher Aufruf."}) {
    EXPECT_NE(help.out.find(line), std::string::npos) << line;
  }
  for (const char* english : {"Usage", "OPTIONS", "Subcommands", "Print this help", "REQUIRED"}) {
    EXPECT_EQ(help.out.find(english), std::string::npos) << english;
  }
  // Every line fits a terminal of 80 columns (counted in characters).
  std::istringstream lines(help.out);
  for (std::string line; std::getline(lines, line);) {
    std::size_t width = 0;
    for (const char c : line) width += (static_cast<unsigned char>(c) & 0xC0u) != 0x80u ? 1 : 0;
    EXPECT_LE(width, 80u) << line;
  }

  const Outcome command = Ends({"convert", "--help"});
  EXPECT_EQ(command.status, 0);
  EXPECT_NE(command.out.find("Aufruf: ferolith-cli [OPTIONEN] convert EIN AUS\n"), std::string::npos);
  EXPECT_NE(command.out.find("\nArgumente:\n  EIN AUS "), std::string::npos);
}

TEST(CliOptions, VersionNamesTheLicenceAndTheBackendsOfThisBuild) {
  const Outcome version = Ends({"--version"});
  EXPECT_EQ(version.status, 0);
  EXPECT_EQ(version.out.rfind(std::string("ferolith-cli ") + FEROLITH_VERSION +
                                  "\nLizenz: GPL-3.0-or-later (GNU General Public License, Version 3 oder neuer)\n",
                              0),
            0u);
  EXPECT_NE(version.out.find("Zugänge zum Programmiergerät in diesem Build:"), std::string::npos);
#if defined(__linux__)
  EXPECT_NE(version.out.find("\n  ppdev "), std::string::npos);
#endif
#if defined(__linux__) && (defined(__x86_64__) || defined(__i386__)) || defined(_WIN32)
  EXPECT_NE(version.out.find("\n  direct "), std::string::npos);
#endif
#if defined(_WIN32)
  EXPECT_NE(version.out.find("\n  inpout "), std::string::npos);
#endif
  EXPECT_NE(version.out.find("\n  simulator "), std::string::npos);
}

TEST(CliOptions, TheLastOfASwitchPairWins) {
  auto parsed = Parse({"--verify", "--no-verify", "--no-checksum", "--checksum", "blank"});
  ASSERT_TRUE(std::holds_alternative<CliOptions>(parsed));
  EXPECT_EQ(std::get<CliOptions>(parsed).verify, std::optional<bool>(false));
  EXPECT_EQ(std::get<CliOptions>(parsed).checksum, std::optional<bool>(true));
  EXPECT_FALSE(std::get<CliOptions>(parsed).saveBlank.has_value());
  // Options after the command belong to the command line as a whole.
  parsed = Parse({"read", "x.hex", "--save-blank", "--format", "intelmcs"});
  ASSERT_TRUE(std::holds_alternative<CliOptions>(parsed));
  EXPECT_EQ(std::get<CliOptions>(parsed).saveBlank, std::optional<bool>(true));
  EXPECT_EQ(std::get<CliOptions>(parsed).format, std::optional<DataFormat>(DataFormat::IntelMCS));
  EXPECT_EQ(std::get<CliOptions>(parsed).files, std::vector<std::string>{"x.hex"});
}

// The manual page describes every option and command the help page lists.
TEST(CliOptions, TheManualPageNamesEveryOptionAndCommand) {
  const std::string page =
      testing::ReadFileBytes((testing::SourceDir() / "docs" / "man" / "ferolith-cli.1").string());
  ASSERT_FALSE(page.empty());
  const Outcome help = Ends({"--help"});
  std::istringstream words(help.out);
  int checked = 0;
  for (std::string word; words >> word;) {
    if (word.rfind("--", 0) != 0) continue;
    word = word.substr(0, word.find_first_of("[=,)"));
    // roff writes the hyphens of option names as \-.
    std::string roff;
    for (const char c : word) roff += c == '-' ? std::string("\\-") : std::string(1, c);
    EXPECT_NE(page.find(roff), std::string::npos) << word;
    ++checked;
  }
  EXPECT_GE(checked, 14);
  // Each command heads an entry of its own: ".B name", ".BI name ..." or ".BR name ...".
  for (const texts::CommandText& command : texts::kCommandTexts) {
    std::string name;
    for (const char c : command.name) name += c == '-' ? std::string("\\-") : std::string(1, c);
    EXPECT_TRUE(page.find("\n.B " + name + "\n") != std::string::npos ||
                page.find("\n.BI " + name + " ") != std::string::npos ||
                page.find("\n.BR " + name + " ") != std::string::npos)
        << name;
  }
}

TEST(ConsoleUi, EveryMessageIsOneMeldungLineWithIndentedContinuations) {
  EXPECT_EQ(MessageLines("\nController ist gelöscht !\n"), "Meldung: Controller ist gelöscht !\n");
  EXPECT_EQ(MessageLines("Kann Hardware nicht finden !\n\nProgramm geht in den Demomodus."),
            "Meldung: Kann Hardware nicht finden !\n         Programm geht in den Demomodus.\n");
  EXPECT_EQ(MessageLines(""), "Meldung: \n");
}

TEST(ConsoleUi, AnswersByPolicyAndAsksOnlyOnATerminal) {
  std::istringstream in("j\nw\n");
  std::ostringstream err;
  ConsoleUi asking(in, err, ConsolePolicy{false, false, true, false});
  EXPECT_EQ(asking.MessageOkCancel("Sockel?"), Answer::Ok);
  EXPECT_EQ(asking.MessageRetryCancel("Fehler"), Answer::Retry);
  EXPECT_EQ(asking.MessageOkCancel("Noch einmal?"), Answer::Cancel);  // input exhausted
  EXPECT_NE(err.str().find("Meldung: Sockel?\nWeiter mit OK? [j = OK / n = Abbrechen] "),
            std::string::npos);
  EXPECT_NE(err.str().find("Meldung: Fehler\nWeiter mit der nächsten Adresse? [w = Wiederholen"),
            std::string::npos);

  std::istringstream none;
  ConsoleUi batch(none, err, ConsolePolicy{false, false, false, false});
  EXPECT_EQ(batch.MessageOkCancel("x"), Answer::Cancel);
  EXPECT_EQ(batch.MessageRetryCancel("x"), Answer::Cancel);
  ConsoleUi yes(none, err, ConsolePolicy{true, true, false, false});
  EXPECT_EQ(yes.MessageOkCancel("x"), Answer::Ok);
  EXPECT_EQ(yes.MessageRetryCancel("x"), Answer::Retry);
}

TEST(ConsoleUi, TheBarKeepsTurningBetweenItsIncrementsAndEveryPumpSeesCtrlC) {
  std::istringstream none;
  std::ostringstream err;
  ConsoleUi console(none, err, ConsolePolicy{true, false, false, true});
  int looks = 0;
  console.OnPump([&looks] { ++looks; });
  console.SetStatus("Brennen");
  console.SetProgressRange(50);
  console.SetProgressPosition(1);
  const std::string first = err.str();
  EXPECT_EQ(first.substr(first.rfind('%')), "% |");
  for (int i = 0; i < 16; ++i) console.PumpMessages();
  EXPECT_EQ(looks, 16);
  const std::string turned = err.str();
  EXPECT_EQ(turned.substr(turned.rfind('%')), "% -");  // turned twice, at the 8th and 16th pump
  EXPECT_EQ(std::count(turned.begin(), turned.end(), '\r'), 3);
  // No bar, no drawing: pumps alone print nothing.
  std::ostringstream quiet;
  ConsoleUi plain(none, quiet, ConsolePolicy{true, false, false, false});
  plain.SetProgressRange(50);
  plain.SetProgressPosition(1);
  for (int i = 0; i < 16; ++i) plain.PumpMessages();
  EXPECT_EQ(quiet.str(), "");
}

// The log's time is local time with the zone's offset in ISO 8601's
// extended form, east and west of UTC, half hours included; the same text on
// every system.
TEST(ProductionLog, TimesAreLocalWithTheirOffset) {
  const char* before = std::getenv("TZ");
  const std::string saved = before != nullptr ? before : "";
  const auto useZone = [](const char* zone) {  // an empty zone: the machine's own
#ifdef _WIN32
    _putenv_s("TZ", zone);
    _tzset();
#else
    if (*zone != '\0') setenv("TZ", zone, 1); else unsetenv("TZ");
    tzset();
#endif
  };
  const std::time_t moment = 1767269730;  // 2026-01-01T12:15:30Z
  useZone("XYZ-01:30");
  EXPECT_EQ(IsoLocalTime(moment), "2026-01-01T13:45:30+01:30");
  useZone("ABC+05");
  EXPECT_EQ(IsoLocalTime(moment), "2026-01-01T07:15:30-05:00");
  useZone("UTC0");
  EXPECT_EQ(IsoLocalTime(moment), "2026-01-01T12:15:30+00:00");
  useZone(saved.c_str());
}

}  // namespace
}  // namespace ferolith::cli
