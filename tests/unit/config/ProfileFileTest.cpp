#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>

#include "config/ProfileFile.h"
#include "tests/support/Portable.h"
#include "tests/support/TempDir.h"

namespace ferolith {
namespace {

using testing::ReadFileBytes;
using testing::TempDir;
using testing::WriteFileBytes;

ProfileFile Parsed(std::string_view bytes) {
  ProfileFile file;
  file.Parse(bytes);
  return file;
}

TEST(ProfileInteger, ReadsLeadingDecimalNumberLikeThePlatform) {
  EXPECT_EQ(ParseProfileInteger("42"), 42);
  EXPECT_EQ(ParseProfileInteger("-7"), -7);
  EXPECT_EQ(ParseProfileInteger("12abc"), 12);
  EXPECT_EQ(ParseProfileInteger("0x20"), 0);  // decimal only: stops at the 'x'
  EXPECT_EQ(ParseProfileInteger("abc"), 0);
  EXPECT_EQ(ParseProfileInteger(""), 0);
  EXPECT_EQ(ParseProfileInteger("-"), 0);
  EXPECT_EQ(ParseProfileInteger("4294967297"), 1);  // a 32-bit accumulator wraps
}

TEST(ProfileFile, FindsSectionsAndKeysWithoutRegardToCase) {
  const ProfileFile file = Parsed(
      "orphan=1\n"
      "[hardware]\n"
      "  portadress = 3bc  \n"
      "; TimeOut=5\n"
      "[ Ferolith INI-Section ]\n"
      "Verify=0\n"
      "verify=1\n"
      "Empty=\n"
      "[HARDWARE]\n"
      "TimeOut=20000\n");
  EXPECT_EQ(file.GetString("Hardware", "PortAdress", "278"), "3bc");
  EXPECT_EQ(file.GetInt("Ferolith INI-Section", "VERIFY", 5), 0);  // the first key wins
  EXPECT_EQ(file.GetString("Ferolith INI-Section", "Empty", "x"), "");
  EXPECT_EQ(file.GetInt("Ferolith INI-Section", "Empty", 9), 0);  // present but no number
  // A key before any section, a comment and another section's key are not found.
  EXPECT_EQ(file.GetString("Hardware", "orphan", "none"), "none");
  EXPECT_EQ(file.GetInt("Ferolith INI-Section", "PortAdress", 7), 7);
  EXPECT_EQ(file.GetInt("Missing", "Verify", 3), 3);
  // A repeated section is searched too.
  EXPECT_EQ(file.GetInt("Hardware", "TimeOut", 1), 20000);
}

TEST(ProfileFile, WritingOneKeyKeepsEveryOtherByteOfTheFile) {
  const std::string original =
      "; settings shared by the programmer family\r\n"
      "\r\n"
      "[Hardware]\r\n"
      "PortAdress = 278\r\n"
      "TimeOut=100000\r\n"
      "\r\n"
      "[Other Tool]\n"
      "Colour=blue\n"
      "Weird line without equals\n"
      "\x01\xff binary\n"
      "last=1";
  ProfileFile file = Parsed(original);
  EXPECT_EQ(file.Serialize(), original);

  file.WriteString("HARDWARE", "portadress", "3bc");
  EXPECT_EQ(file.Serialize(),
            "; settings shared by the programmer family\r\n"
            "\r\n"
            "[Hardware]\r\n"
            "PortAdress = 3bc\r\n"
            "TimeOut=100000\r\n"
            "\r\n"
            "[Other Tool]\n"
            "Colour=blue\n"
            "Weird line without equals\n"
            "\x01\xff binary\n"
            "last=1");
}

TEST(ProfileFile, AddsMissingKeysToTheirSectionAndMissingSectionsAtTheEnd) {
  ProfileFile file = Parsed(
      "[Hardware]\r\n"
      "PortAdress=278\r\n"
      "; about the next section\r\n"
      "\r\n"
      "[Other Tool]\r\n"
      "Colour=blue");
  file.WriteString("Hardware", "TimeOut", "20000");
  file.WriteString("Other Tool", "Size", "3");
  file.WriteString("New", "Key", "v");
  EXPECT_EQ(file.Serialize(),
            "[Hardware]\r\n"
            "PortAdress=278\r\n"
            "TimeOut=20000\r\n"
            "; about the next section\r\n"
            "\r\n"
            "[Other Tool]\r\n"
            "Colour=blue\r\n"
            "Size=3\r\n"
            "[New]\r\n"
            "Key=v\r\n");

  ProfileFile headerOnly = Parsed("[A]");
  headerOnly.WriteString("a", "LastFile", "evil\n[Hardware]\nPortAdress=80");
  EXPECT_EQ(headerOnly.Serialize(), testing::PlatformLines("[A]\nLastFile=evil\n"));  // no line injected
}

TEST(ProfileFile, SaveReplacesTheFileKeepingPermissionsAndLinks) {
  SKIP_ON_WINDOWS("permission bits and symbolic links are POSIX; AtomicFile's test covers the replacement");
  TempDir dir;
  const std::string path = dir.File("KALVENOR.INI");
  WriteFileBytes(path, "[A]\nk=1\n");
  std::filesystem::permissions(path, std::filesystem::perms::owner_read |
                                         std::filesystem::perms::owner_write);
  ProfileFile file;
  ASSERT_EQ(file.Load(path), ProfileFile::LoadOutcome::Loaded);
  file.WriteString("A", "k", "2");
  EXPECT_TRUE(file.Save(path).Saved());
  EXPECT_EQ(ReadFileBytes(path), "[A]\nk=2\n");
  EXPECT_EQ(std::filesystem::status(path).permissions(),
            std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
  // No temporary file is left beside it.
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path()),
                          std::filesystem::directory_iterator()),
            1);

  // Through a symbolic link the file it names is replaced, not the link.
  const std::string link = dir.File("link.ini");
  std::filesystem::create_symlink(path, link);
  file.WriteString("A", "k", "3");
  EXPECT_TRUE(file.Save(link).Saved());
  EXPECT_TRUE(std::filesystem::is_symlink(link));
  EXPECT_EQ(ReadFileBytes(path), "[A]\nk=3\n");
}

TEST(ProfileFile, AFileThatCannotBeWrittenKeepsItsContent) {
  TempDir dir;
  const std::string path = dir.File("KALVENOR.INI");
  WriteFileBytes(path, "[A]\nk=1\n");
  std::filesystem::permissions(path, std::filesystem::perms::owner_read);
  ProfileFile file;
  file.Load(path);
  file.WriteString("A", "k", "2");
  EXPECT_EQ(file.Save(path).error, EACCES);
  EXPECT_EQ(ReadFileBytes(path), "[A]\nk=1\n");

  EXPECT_EQ(file.Save(dir.File("missing/KALVENOR.INI")).error, ENOENT);
  EXPECT_EQ(file.Load(dir.File("missing/KALVENOR.INI")), ProfileFile::LoadOutcome::Missing);
  EXPECT_EQ(file.Serialize(), "");
  EXPECT_EQ(file.Load(dir.Path().string()), ProfileFile::LoadOutcome::Unreadable);
}

}  // namespace
}  // namespace ferolith
