#include "base/whole_file.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "support/temp_dir.h"

namespace quorvel {
namespace {

std::string contents(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

// A reader of the path finds the old file or the new one whole, whatever happens between.
TEST(WholeFile, ReplacesTheOldFileOnlyWhenCommitted) {
  testing::TempDir dir;
  const std::filesystem::path path = dir / "page.html";
  ASSERT_TRUE(write_whole_file(path.string(), "old"));
  {
    WholeFile file(path.string());
    file.write("new, ");
    EXPECT_EQ(contents(path), "old");
  }  // dropped unfinished
  EXPECT_EQ(contents(path), "old");
  EXPECT_FALSE(std::filesystem::exists(path.string() + ".partial"));

  WholeFile file(path.string());
  file.write("new, ");
  file.write("in pieces");
  ASSERT_TRUE(file.commit());
  EXPECT_EQ(contents(path), "new, in pieces");
  EXPECT_FALSE(std::filesystem::exists(path.string() + ".partial"));

  std::string error;
  WholeFile nowhere((dir / "no" / "page.html").string());
  nowhere.write("text");
  EXPECT_FALSE(nowhere.commit(&error));
  EXPECT_NE(error.find("page.html: cannot be written: "), std::string::npos) << error;
}

}  // namespace
}  // namespace quorvel
