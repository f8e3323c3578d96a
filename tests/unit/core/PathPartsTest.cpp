#include <gtest/gtest.h>

#include "core/AccessCount.h"
#include "core/PathParts.h"

namespace ferolith {
namespace {

TEST(PathParts, SplitsDirectoryNameAndExtension) {
  const PathParts parts = SplitPath("/home/ute/chips/test.hex");
  EXPECT_EQ(parts.drive, "");
  EXPECT_EQ(parts.directory, "/home/ute/chips/");
  EXPECT_EQ(parts.name, "test");
  EXPECT_EQ(parts.extension, ".hex");
  EXPECT_EQ(JoinPath(parts), "/home/ute/chips/test.hex");
}

TEST(PathParts, TakesTheLastDotOfTheFileNameOnly) {
  const PathParts parts = SplitPath("/a.b/c.tar.gz");
  EXPECT_EQ(parts.directory, "/a.b/");
  EXPECT_EQ(parts.name, "c.tar");
  EXPECT_EQ(parts.extension, ".gz");
  const PathParts bare = SplitPath("/a.b/noext");
  EXPECT_EQ(bare.name, "noext");
  EXPECT_EQ(bare.extension, "");
}

TEST(PathParts, DirectoryWithoutTrailingSeparatorLosesItsLastComponent) {
  const PathParts parts = SplitPath("/data/chips");
  EXPECT_EQ(parts.directory, "/data/");
  EXPECT_EQ(parts.name, "chips");
}

TEST(PathParts, ReplacingTheExtensionBuildsTheCompanionPath) {
  PathParts parts = SplitPath("/w/prog.HEX");
  parts.extension = ".rex";
  EXPECT_EQ(JoinPath(parts), "/w/prog.rex");
  parts.extension = "bin";  // a bare extension gets its dot
  EXPECT_EQ(JoinPath(parts), "/w/prog.bin");

  // A path that is its own companion, as the file system compares names.
  EXPECT_TRUE(SamePathText("/w/prog.rex", "/w/prog.rex"));
  EXPECT_FALSE(SamePathText("/w/prog.rex", "/w/prog.rexx"));
#ifdef _WIN32
  EXPECT_TRUE(SamePathText("C:\\W\\Prog.REX", "c:\\w\\prog.rex"));
#else
  EXPECT_FALSE(SamePathText("/w/prog.REX", "/w/prog.rex"));
#endif
}

TEST(PathParts, JoinDirectoryAddsOneSeparatorOnlyWhereMissing) {
  // The separator added is the platform's: a backslash on Windows.
  EXPECT_EQ(JoinDirectory("/work", "KALVENOR.INI"), std::string("/work") + PathSeparator() + "KALVENOR.INI");
  EXPECT_EQ(JoinDirectory("/", "KALVENOR.INI"), "/KALVENOR.INI");
  EXPECT_EQ(JoinDirectory("", "KALVENOR.INI"), "KALVENOR.INI");
}

TEST(AccessCount, IsTimeOverCorrectionButNeverZero) {
  EXPECT_EQ(AccessCount(1000, 85), 11u);
  EXPECT_EQ(AccessCount(200000, 85), 2352u);
  EXPECT_EQ(AccessCount(300000, 85), 3529u);
  EXPECT_EQ(AccessCount(400000, 85), 4705u);
  EXPECT_EQ(AccessCount(0, 85), 1u);
  EXPECT_EQ(AccessCount(50, 85), 1u);
  EXPECT_EQ(AccessCount(170, 85), 2u);
  EXPECT_EQ(AccessCount(0xFFFFFFFFu, 1), 0xFFFFFFFFu);
}

}  // namespace
}  // namespace ferolith
