#include "base/whole_file.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "support/temp_dir.h"

namespace quorvel {
namespace {

// A reader of the path finds the old file or the new one whole, whatever happens between.
TEST(WholeFile, ReplacesTheOldFileOnlyWhenCommitted) {
  testing::TempDir dir;
  const std::filesystem::path path = dir / "page.html";
  ASSERT_TRUE(write_whole_file(path.string(), "old"));
  {
    WholeFile file(path.string());
    file.write("new, ");
    EXPECT_EQ(testing::read_file(path), "old");
  }  // dropped unfinished
  EXPECT_EQ(testing::read_file(path), "old");
  EXPECT_FALSE(std::filesystem::exists(path.string() + ".partial"));

  WholeFile file(path.string());
  file.write("new, ");
  file.write("in pieces");
  ASSERT_TRUE(file.commit());
  EXPECT_EQ(testing::read_file(path), "new, in pieces");
  EXPECT_FALSE(std::filesystem::exists(path.string() + ".partial"));

  std::string error;
  WholeFile nowhere((dir / "no" / "page.html").string());
  nowhere.write("text");
  EXPECT_FALSE(nowhere.commit(&error));
  EXPECT_NE(error.find("page.html: cannot be written: "), std::string::npos) << error;
}

}  // namespace
}  // namespace quorvel
