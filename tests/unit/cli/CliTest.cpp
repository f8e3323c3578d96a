#include <gtest/gtest.h>

#include <sstream>

#include "cli/CliOptions.h"
#include "cli/ConsoleUi.h"

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
                       "--format", "s2", "program", "fw.hex", "--on-error", "retry"});
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
  EXPECT_EQ(options.format, std::optional<int>(DataFormat::MotorolaS2));

  auto absent = Parse({"--simulate-absent", "busy-inverted", "detect"});
  ASSERT_TRUE(std::holds_alternative<CliOptions>(absent));
  EXPECT_TRUE(std::get<CliOptions>(absent).simulate) << "an absent programmer is a simulated one";
  EXPECT_EQ(std::get<CliOptions>(absent).absentProgrammer, sim::AbsentStatus::BusyInverted);
  auto absentWithFile = Parse({"--simulate=chip.sim", "--simulate-absent=low", "detect"});
  ASSERT_TRUE(std::holds_alternative<CliOptions>(absentWithFile));
  EXPECT_EQ(std::get<CliOptions>(absentWithFile).absentProgrammer, sim::AbsentStatus::Low);
  EXPECT_EQ(std::get<CliOptions>(absentWithFile).simulationFile, "chip.sim");

  auto bare = Parse({"--simulate", "blank"});
  ASSERT_TRUE(std::holds_alternative<CliOptions>(bare));
  EXPECT_TRUE(std::get<CliOptions>(bare).simulate);
  EXPECT_EQ(std::get<CliOptions>(bare).simulationFile, "");
  EXPECT_FALSE(std::get<CliOptions>(bare).verify.has_value());
  EXPECT_FALSE(std::get<CliOptions>(bare).absentProgrammer.has_value());
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

TEST(CliOptions, UsageErrorsAndHelp) {
  EXPECT_EQ(std::get<int>(Parse({})), kUsageError);
  EXPECT_EQ(std::get<int>(Parse({"convert", "only-one"})), kUsageError);
  EXPECT_EQ(std::get<int>(Parse({"--line-length", "15", "read", "x"})), kUsageError);
  EXPECT_EQ(std::get<int>(Parse({"--on-error", "ignore", "blank"})), kUsageError);
  EXPECT_EQ(std::get<int>(Parse({"--simulate-absent=floating", "detect"})), kUsageError);
  EXPECT_EQ(std::get<int>(Parse({"--help"})), 0);
  EXPECT_EQ(std::get<int>(Parse({"--version"})), 0);
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

  std::istringstream none;
  ConsoleUi batch(none, err, ConsolePolicy{false, false, false, false});
  EXPECT_EQ(batch.MessageOkCancel("x"), Answer::Cancel);
  EXPECT_EQ(batch.MessageRetryCancel("x"), Answer::Cancel);
  ConsoleUi yes(none, err, ConsolePolicy{true, true, false, false});
  EXPECT_EQ(yes.MessageOkCancel("x"), Answer::Ok);
  EXPECT_EQ(yes.MessageRetryCancel("x"), Answer::Retry);
}

}  // namespace
}  // namespace ferolith::cli
