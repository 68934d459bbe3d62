#include "settings/ini_store.h"

#include <gtest/gtest.h>

#include <string>

#include "support/temp_dir.h"

namespace quorvel {
namespace {

using testing::read_file;
using testing::write_file;

class IniStoreTest : public ::testing::Test {
 protected:
  // Loads the text as a file; answers what load answered.
  bool load(const std::string& text) {
    write_file(dir / "Quorvel.ini", text);
    store.setFileName((dir / "Quorvel.ini").string());
    return store.load();
  }
  std::string saved() {
    EXPECT_TRUE(store.save());
    return read_file(dir / "Quorvel.ini");
  }

  testing::TempDir dir;
  IniStore store;
};

TEST_F(IniStoreTest, LookUpsIgnoreCaseAndConvertOnEveryRead) {
  ASSERT_TRUE(load("[Annealing]\r\niterations=30\nstartValue=0.5abc\n"));
  EXPECT_EQ(store.getInt("annealing", "ITERATIONS", 20), 30);
  EXPECT_EQ(store.getInt("Annealing", "missing", 20), 20);
  EXPECT_EQ(store.getInt("Nowhere", "iterations", 7), 7);
  EXPECT_DOUBLE_EQ(store.getDouble("ANNEALING", "startvalue", 1.0), 0.5);
  EXPECT_DOUBLE_EQ(store.getDouble("Annealing", "missing", 0.25), 0.25);
  EXPECT_TRUE(store.getFlag("Annealing", "iterations", false));
  // Getters never add what they did not find.
  EXPECT_EQ(store.keyCount("Annealing"), 2);
  EXPECT_EQ(store.sectionCount(), 1);
}

TEST_F(IniStoreTest, KeysAndValuesAreTakenAsTheyStand) {
  ASSERT_TRUE(load("[S]\niterations = 30\na=b=c\nx=1 ; note\ny=  -12z\nz=\n"));
  EXPECT_EQ(store.getInt("S", "iterations", 20), 20);
  EXPECT_EQ(store.getValue("S", "iterations ", ""), " 30");
  EXPECT_EQ(store.getInt("S", "iterations ", 0), 30);
  EXPECT_EQ(store.getValue("S", "a", ""), "b=c");
  EXPECT_EQ(store.getValue("S", "x", ""), "1 ; note");
  EXPECT_EQ(store.getInt("S", "x", 0), 1);
  EXPECT_EQ(store.getInt("S", "y", 0), -12);
  EXPECT_EQ(store.getInt("S", "z", 5), 0);
  EXPECT_DOUBLE_EQ(store.getDouble("S", "z", 5.0), 0.0);
}

TEST_F(IniStoreTest, NumbersConvertOnlyFromDecimalText) {
  EXPECT_EQ(IniStore::toInt("  +42abc"), 42);
  EXPECT_EQ(IniStore::toInt("99999999999"), 2147483647);
  EXPECT_EQ(IniStore::toInt("abc"), 0);
  EXPECT_DOUBLE_EQ(IniStore::toDouble(" -1.5e2x"), -150.0);
  EXPECT_DOUBLE_EQ(IniStore::toDouble(".25"), 0.25);
  EXPECT_DOUBLE_EQ(IniStore::toDouble("3e"), 3.0);
  EXPECT_DOUBLE_EQ(IniStore::toDouble("nan"), 0.0);
  EXPECT_DOUBLE_EQ(IniStore::toDouble("inf"), 0.0);
  EXPECT_DOUBLE_EQ(IniStore::toDouble("0x10"), 0.0);
}

TEST_F(IniStoreTest, SectionHeaders) {
  ASSERT_TRUE(load("[A]x\nk=1\n[B\nk=2\n]x[\nk=3\n"));
  EXPECT_EQ(store.sectionCount(), 1);
  EXPECT_EQ(store.sectionName(0), "A");
  EXPECT_EQ(store.getInt("A", "k", 0), 3);
}

TEST_F(IniStoreTest, KeysBeforeAnyHeaderFormAnUnnamedSection) {
  ASSERT_TRUE(load("k=1\n;about k\n[S]\n"));
  EXPECT_EQ(store.sectionName(0), "");
  EXPECT_EQ(store.getInt("", "k", 0), 1);
  EXPECT_EQ(saved(), "[]\n;about k\nk=1\n\n[S]\n\n");
}

TEST_F(IniStoreTest, CommentsAreKeptAndWrittenBeforeTheKeys) {
  ASSERT_TRUE(load("#c\n\n[S]\nk=1\n# after k\nj=2;x\n[T]\n;t\n"));
  EXPECT_EQ(saved(), ";c\n\n[S]\n; after k\nk=1\nj=2;x\n\n[T]\n;t\n\n");
  // What was saved loads to the same store.
  IniStore again((dir / "Quorvel.ini").string());
  ASSERT_TRUE(again.load());
  ASSERT_TRUE(again.save());
  EXPECT_EQ(read_file(dir / "Quorvel.ini"), ";c\n\n[S]\n; after k\nk=1\nj=2;x\n\n[T]\n;t\n\n");
}

TEST_F(IniStoreTest, DuplicateHeadersKeepBothFirstMatchWins) {
  ASSERT_TRUE(load("[S]\na=1\n[s]\na=2\nb=3\n"));
  EXPECT_EQ(store.sectionCount(), 2);
  EXPECT_EQ(store.getInt("S", "a", 0), 2);
  EXPECT_EQ(store.keyCount("S"), 2);
  EXPECT_EQ(store.keyAt("S", 1), "b");
  EXPECT_EQ(saved(), "[S]\na=2\nb=3\n\n[s]\n\n");
}

TEST_F(IniStoreTest, ANonPrintableFirstCharacterEndsTheLoad) {
  ::testing::internal::CaptureStdout();
  EXPECT_FALSE(load("[S]\na=1\n\tb=2\nc=3\n"));
  EXPECT_EQ(::testing::internal::GetCapturedStdout(), "Failing on char 9\n");
  EXPECT_EQ(store.getInt("S", "a", 0), 1);
  EXPECT_EQ(store.keyCount("S"), 1);

  IniStore bom;
  write_file(dir / "bom.ini", "\xEF\xBB\xBF[S]\n");
  bom.setFileName((dir / "bom.ini").string());
  ::testing::internal::CaptureStdout();
  EXPECT_FALSE(bom.load());
  EXPECT_EQ(::testing::internal::GetCapturedStdout(), "Failing on char -17\n");
}

TEST_F(IniStoreTest, AFileWithoutSectionsFailsButKeepsItsComments) {
  EXPECT_FALSE(load(";only a comment\n\njunk\n"));
  EXPECT_EQ(store.sectionCount(), 0);
  store.setFileName((dir / "out.ini").string());
  ASSERT_TRUE(store.save());
  EXPECT_EQ(read_file(dir / "out.ini"), ";only a comment\n\n");
  IniStore missing((dir / "missing.ini").string());
  EXPECT_FALSE(missing.load());
}

TEST_F(IniStoreTest, SettersCreateOnlyWhenAsked) {
  EXPECT_FALSE(store.setValue("S", "k", "1", false));
  EXPECT_TRUE(store.setValue("S", "k", "1", true));
  EXPECT_FALSE(store.setValue("S", "j", "2", false));
  EXPECT_TRUE(store.setValue("s", "K", "3", false));
  store.setInt("S", "i", -7);
  store.setDouble("S", "r", 5.25);
  EXPECT_EQ(store.valueAt(0, 0), "3");
  EXPECT_EQ(store.valueAt(0, 1), "-7");
  EXPECT_EQ(store.valueAt(0, 2), "5.250000");
  EXPECT_EQ(store.valueAt(0, 3), "");
  EXPECT_EQ(store.valueAt(1, 0), "");
  EXPECT_EQ(store.keyCount(5), 0);
  EXPECT_EQ(store.keyAt("T", 0), "");
  EXPECT_EQ(store.keyAt("S", 9), "");
}

TEST_F(IniStoreTest, AFailedSaveLeavesTheOldFileAlone) {
  ASSERT_TRUE(load("[S]\nk=1\n"));
  std::filesystem::remove(dir / "Quorvel.ini");
  // A directory in the file's place cannot be replaced.
  std::filesystem::create_directory(dir / "Quorvel.ini");
  EXPECT_FALSE(store.save());
  EXPECT_TRUE(std::filesystem::is_directory(dir / "Quorvel.ini"));
  EXPECT_FALSE(std::filesystem::exists(dir / "Quorvel.ini.tmp"));

  store.setFileName((dir / "no-such-dir" / "Quorvel.ini").string());
  EXPECT_FALSE(store.save());
}

}  // namespace
}  // namespace quorvel
