// Checking and repairing text from outside: UTF-8 or else Windows-1252.
#include <gtest/gtest.h>

#include "core/Utf8Text.h"

namespace ferolith {
namespace {

TEST(Utf8Text, OnlyWellFormedUtf8IsValid) {
  for (const char* valid : {"", "Maß", "Pr\xC3\xBC" "fung", "\xE2\x82\xAC", "\xF0\x9F\x94\xA7"}) {
    EXPECT_TRUE(IsValidUtf8(valid)) << valid;
  }
  // A lone Windows-1252 byte, a cut sequence, an overlong form, a
  // surrogate, a code point above U+10FFFF, a stray continuation byte.
  for (const char* invalid : {"Pr\xFC" "fung", "\xC3", "\xE2\x82", "\xC0\xAF", "\xED\xA0\x80", "\xF4\x90\x80\x80",
                              "\x80"}) {
    EXPECT_FALSE(IsValidUtf8(invalid)) << invalid;
  }
}

TEST(Utf8Text, InvalidTextIsReadAsWindows1252) {
  EXPECT_EQ(Utf8OrWindows1252("Pr\xFC" "fung Ma\xDF \x80 \x81 \x9F"),
            "Pr\xC3\xBC" "fung Ma\xC3\x9F \xE2\x82\xAC \xC2\x81 \xC5\xB8");
  EXPECT_EQ(Utf8OrWindows1252("Pr\xC3\xBC" "fung"), "Pr\xC3\xBC" "fung");
  // Whatever the bytes, the result is UTF-8.
  std::string every;
  for (int b = 1; b < 256; ++b) every += static_cast<char>(b);
  EXPECT_TRUE(IsValidUtf8(Utf8OrWindows1252(every)));
}

TEST(Utf8Text, FirstCharactersNeverCutsOneApart) {
  EXPECT_EQ(FirstCharacters("a\xC3\xBC\xE2\x82\xAC" "b", 3), "a\xC3\xBC\xE2\x82\xAC");
  EXPECT_EQ(FirstCharacters("a\xC3\xBC", 1), "a");
  EXPECT_EQ(FirstCharacters("\xF0\x9F\x94\xA7x", 1), "\xF0\x9F\x94\xA7");
  EXPECT_EQ(FirstCharacters("abc", 5), "abc");
  EXPECT_EQ(FirstCharacters("abc", 0), "");
}

}  // namespace
}  // namespace ferolith
