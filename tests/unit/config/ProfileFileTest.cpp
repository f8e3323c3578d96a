#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>

#include "config/ProfileFile.h"
#include "config/ProjectFile.h"
#include "core/Utf8Path.h"
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

// A project file travels between machines: UTF-8 on every platform, paths
// relative to its own folder.
TEST(ProjectFile, KeepsEveryValueInUtf8WithPathsRelativeToItsFolder) {
  TempDir dir;
  std::filesystem::create_directories(PathFromUtf8(dir.File("Brenner ü")));
  std::filesystem::create_directories(PathFromUtf8(dir.File("projekte")));
  Project project;
  project.manufacturer = "Müller & Söhne";
  project.device = "QM1108-2KE";
  project.burnFile = Utf8FromPath(PathFromUtf8(dir.File("Brenner ü/fw.hex")).make_preferred());
  project.burnFileCrc32 = 0x0012ABCDu;
  project.companionFile = Utf8FromPath(PathFromUtf8(dir.File("Brenner ü/fw.rex")).make_preferred());
  project.companionCrc32 = 0xFFFFFFFFu;
  project.initRegister1 = 0x3C;
  project.verify = false;
  project.saveBlank = true;
  project.checksum = true;
  project.format = DataFormat::MotorolaS2;
  project.lineLength = 16;
  project.serial = ProjectSerial{"data:0xF010:2", 0, 7, "bcd",
                                 Utf8FromPath(PathFromUtf8(dir.File("zähler.txt")).make_preferred()), true};
  const std::string path = dir.File("projekte/serie.fproj");
  ASSERT_TRUE(WriteProjectFile(path, project).Saved());
  const std::string bytes = ReadFileBytes(path);
  for (const char* line : {"Hersteller=M\xC3\xBCller & S\xC3\xB6hne", "Brenndatei=../Brenner \xC3\xBC/fw.hex",
                           "CRC32=0012ABCD", "Zaehlerdatei=../z\xC3\xA4hler.txt", "DataFormat=s2", "Start=0"}) {
    EXPECT_NE(bytes.find(line), std::string::npos) << line << " in\n" << bytes;
  }
  auto read = ReadProjectFile(path);
  ASSERT_TRUE(std::holds_alternative<Project>(read)) << std::get<ProjectFileError>(read).text;
  const Project& back = std::get<Project>(read);
  EXPECT_EQ(back.manufacturer, project.manufacturer);
  EXPECT_EQ(back.device, project.device);
  EXPECT_EQ(back.burnFile, project.burnFile);
  EXPECT_EQ(back.burnFileCrc32, project.burnFileCrc32);
  EXPECT_EQ(back.companionFile, project.companionFile);
  EXPECT_EQ(back.companionCrc32, project.companionCrc32);
  EXPECT_EQ(back.initRegister1, project.initRegister1);
  EXPECT_EQ(back.verify, project.verify);
  EXPECT_EQ(back.saveBlank, project.saveBlank);
  EXPECT_EQ(back.checksum, project.checksum);
  EXPECT_EQ(back.format, project.format);
  EXPECT_EQ(back.lineLength, project.lineLength);
  ASSERT_TRUE(back.serial);
  EXPECT_EQ(back.serial->field, "data:0xF010:2");
  EXPECT_EQ(back.serial->start, 0u);
  EXPECT_EQ(back.serial->step, 7u);
  EXPECT_EQ(back.serial->format, "bcd");
  EXPECT_EQ(back.serial->counterFile, project.serial->counterFile);
  EXPECT_TRUE(back.serial->overwrite);

  // Saved again without the serial field and companion: none stays behind.
  project.serial.reset();
  project.companionFile.clear();
  project.companionCrc32.reset();
  ASSERT_TRUE(WriteProjectFile(path, project).Saved());
  const Project again = std::get<Project>(ReadProjectFile(path));
  EXPECT_FALSE(again.serial);
  EXPECT_TRUE(again.companionFile.empty());
  EXPECT_FALSE(again.companionCrc32);

  // Written by hand: a full path stays one, Windows-1252 reads as such, and
  // what is not given stays unset.
  WriteFileBytes(path, "[Projekt]\nHersteller=Gr\xFC" "n\nBaustein=X\nBrenndatei=" +
                           Utf8FromPath(PathFromUtf8(dir.File("fw.hex"))) + "\n");
  const Project byHand = std::get<Project>(ReadProjectFile(path));
  EXPECT_EQ(byHand.manufacturer, "Gr\xC3\xBCn");
  EXPECT_EQ(PathFromUtf8(byHand.burnFile), PathFromUtf8(dir.File("fw.hex")).make_preferred());
  EXPECT_FALSE(byHand.burnFileCrc32);
  EXPECT_FALSE(byHand.verify);
  EXPECT_FALSE(byHand.format);
}

TEST(ProjectFile, RefusesTheWholeFileForOneValueItDoesNotUnderstand) {
  TempDir dir;
  const std::string path = dir.File("p.fproj");
  const std::string head = "[Projekt]\nHersteller=H\nBaustein=B\nBrenndatei=fw.hex\n";
  const struct {
    std::string text;
    const char* named;
  } refused[] = {
      {"[Projekt]\nBaustein=B\nBrenndatei=fw.hex\n", "keinen Wert f\xC3\xBCr Hersteller"},
      {"[Projekt]\nHersteller=H\nBrenndatei=fw.hex\n", "keinen Wert f\xC3\xBCr Baustein"},
      {head + "CRC32=123456789\n", "CRC32: '123456789'"},
      {head + "CRC32Begleitdatei=00000000\n", "CRC32Begleitdatei"},
      {head + "InitRegister1=0x100\n", "InitRegister1: '0x100'"},
      {head + "TestChecksum=2\n", "TestChecksum: '2'"},
      {head + "DataFormat=intel16\n", "DataFormat: 'intel16'"},
      {head + "HexLineLen=8\n", "HexLineLen: '8'"},
      {head + "[Seriennummer]\nFeld=\n", "keinen Wert f\xC3\xBCr Feld"},
      {head + "[Seriennummer]\nFeld=code:0:1\nSchritt=0\n", "Schritt: '0'"},
      {head + "[Seriennummer]\nFeld=code:0:1\nFormat=hex\n", "Format: 'hex'"},
  };
  for (const auto& r : refused) {
    SCOPED_TRACE(r.text);
    WriteFileBytes(path, r.text);
    auto read = ReadProjectFile(path);
    ASSERT_TRUE(std::holds_alternative<ProjectFileError>(read));
    EXPECT_EQ(std::get<ProjectFileError>(read).error, 0);
    EXPECT_NE(std::get<ProjectFileError>(read).text.find(r.named), std::string::npos)
        << std::get<ProjectFileError>(read).text;
  }
  auto missing = ReadProjectFile(dir.File("fehlt.fproj"));
  ASSERT_TRUE(std::holds_alternative<ProjectFileError>(missing));
  EXPECT_EQ(std::get<ProjectFileError>(missing).error, ENOENT);
}

}  // namespace
}  // namespace ferolith
