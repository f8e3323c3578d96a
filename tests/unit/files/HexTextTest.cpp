#include <gtest/gtest.h>

#include <cerrno>
#include <string>
#include <utility>

#include "files/FileError.h"
#include "files/HexDigits.h"

namespace ferolith {
namespace {

TEST(HexByte, ReadsBothCasesAndStopsAtTheFirstNonDigit) {
  EXPECT_EQ(HexByte("1F"), 0x1F);
  EXPECT_EQ(HexByte("af"), 0xAF);
  EXPECT_EQ(HexByte("A"), 0x0A);     // text ends after one digit
  EXPECT_EQ(HexByte("G1"), 0x00);    // first character no digit
  EXPECT_EQ(HexByte("1G"), 0x01);    // second character no digit
  EXPECT_EQ(HexByte(""), 0x00);
  EXPECT_EQ(HexByte("FF7"), 0xFF);   // only two characters count
}

TEST(HexValue, ReadsUpToEightDigits) {
  EXPECT_EQ(HexValue("0800FF", 4), 0x0800u);
  EXPECT_EQ(HexValue("123456", 6), 0x123456u);
  EXPECT_EQ(HexValue("FFFFFFFF", 8), 0xFFFFFFFFu);
  EXPECT_EQ(HexValue("123456789", 12), 0x12345678u);  // more than eight are not read
  EXPECT_EQ(HexValue("12 4", 4), 0x12u);
  EXPECT_EQ(HexValue("12", 4), 0x12u);  // never past the text
}

TEST(CutLineEnd, EndsAtCrLfBlankOrNul) {
  EXPECT_EQ(CutLineEnd(":00000001FF\n"), ":00000001FF");
  EXPECT_EQ(CutLineEnd("S1\r\n"), "S1");
  EXPECT_EQ(CutLineEnd(":0011 22"), ":0011");
  EXPECT_EQ(CutLineEnd(std::string_view(":00\0FF", 6)), ":00");
  EXPECT_EQ(CutLineEnd("no end"), "no");
  EXPECT_EQ(CutLineEnd("plain"), "plain");
  EXPECT_EQ(CutLineEnd("abc def", 3), "abc def");  // only the first `limit` characters are searched
}

TEST(FileError, ComposesTheMessageFromTheTable) {
  EXPECT_EQ(FileErrorMessage("/tmp/x.hex", ENOENT),
            "Fehler beim Öffnen der Datei\n\n/tmp/x.hex\n\nDatei oder Verzeichnis existiert nicht");
  EXPECT_EQ(FileErrorMessage("a", 0), "Fehler beim Öffnen der Datei\n\na\n\n ");
  // Each error finds the text of its meaning, whatever number this system
  // gives it (EACCES is 13 on Linux and Windows, the table's "Ungültige Daten").
  const std::pair<int, const char*> meanings[] = {
      {EACCES, "Zugriff verweigert"},        {ENOSPC, "Kein Platz mehr auf dem Gerät"},
      {EEXIST, "Datei existiert schon"},     {EROFS, "Read only Dateisystem"},
      {EINVAL, "Ungültiges Argument"},       {EMFILE, "Zu viele Dateien offen"},
      {EIO, "Eingabe/Ausgabe Fehler"},       {EBUSY, "Resource ist beschäftigt"},
      {EPIPE, "Unterbrochene Pipeline"},     {EPERM, "Operation nicht erlaubt"},
  };
  for (const auto& [error, text] : meanings) {
    EXPECT_EQ(FileErrorMessage("a", error), std::string("Fehler beim Öffnen der Datei\n\na\n\n") + text) << error;
  }
  // An error the table has no text for is named by its number.
  EXPECT_EQ(FileErrorMessage("a", ENAMETOOLONG),
            "Fehler beim Öffnen der Datei\n\na\n\nUnbekannter Fehler Nr. " + std::to_string(ENAMETOOLONG));
  EXPECT_EQ(FileErrorMessage("a", -1), "Fehler beim Öffnen der Datei\n\na\n\nUnbekannter Fehler Nr. -1");
  EXPECT_STREQ(FileErrorTexts[47], "Unix only");
  EXPECT_STREQ(FileErrorTexts[24], "no child process");
}

}  // namespace
}  // namespace ferolith
