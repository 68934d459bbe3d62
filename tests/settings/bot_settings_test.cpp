#include "settings/bot_settings.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "settings/builtin_settings.h"
#include "support/temp_dir.h"

namespace quorvel {
namespace {

using testing::read_file;
using testing::write_file;

class BotSettingsTest : public ::testing::Test {
 protected:
  void load(const std::string& text) {
    write_file(dir / "Quorvel.ini", text);
    store.setFileName("Quorvel.ini");
    ASSERT_TRUE(store.load());
  }

  testing::TempDir dir;
  testing::WorkingDirectory cwd{dir.path()};
  IniStore store;
  RandomSource random;
  LogFiles logs;
};

TEST_F(BotSettingsTest, ZeroProbabilityDrawsNothing) {
  load("[Mutation]\nProbability=0\n[OwnValues]\nsc=10\n");
  RandomSource random(7);
  const int expected = RandomSource(7).next();
  EXPECT_FALSE(mutateSettings(store, random));
  EXPECT_EQ(random.next(), expected);
  EXPECT_EQ(store.getValue("OwnValues", "sc", ""), "10");
}

TEST_F(BotSettingsTest, FullProbabilityAndZeroRangeRewritesRealsOnly) {
  load(
      "[Mutation]\nProbability=1\nRange=0\n[OwnValues]\nsc=10\nhc=-3\n[FearFactor]\n"
      "startValue=1.5\n[PlanEvaluation]\nrewardDisband=5\n[Annealing]\nendValue=2.5\n"
      "[MinorityAdjustment]\nquota=0.4\n");
  RandomSource random(11);
  EXPECT_TRUE(mutateSettings(store, random));
  EXPECT_EQ(store.getValue("OwnValues", "sc", ""), "10");
  EXPECT_EQ(store.getValue("OwnValues", "hc", ""), "-3");
  EXPECT_EQ(store.getValue("FearFactor", "startValue", ""), "1.500000");
  EXPECT_EQ(store.getValue("PlanEvaluation", "rewardDisband", ""), "5.000000");
  EXPECT_EQ(store.getValue("Annealing", "endValue", ""), "2.5");
  EXPECT_EQ(store.getValue("MinorityAdjustment", "quota", ""), "0.4");
  // Keys absent from the file stay absent.
  EXPECT_EQ(store.keyCount("ValueDistribution"), 0);
}

TEST_F(BotSettingsTest, MutationStaysWithinItsRangeAndKeepsSigns) {
  load(
      "[Mutation]\nProbability=0.5\nRange=0.5\n[OwnValues]\nsc=100\nhc=-37\n"
      "[PlanEvaluation]\nattack=0.8\n");
  RandomSource random(2024);
  ASSERT_TRUE(mutateSettings(store, random));
  const int sc = store.getInt("OwnValues", "sc", 0);
  const int hc = store.getInt("OwnValues", "hc", 0);
  const double attack = store.getDouble("PlanEvaluation", "attack", 0);
  EXPECT_TRUE(sc != 100 || hc != -37 || attack != 0.8);
  EXPECT_TRUE(sc >= 66 && sc <= 150) << sc;
  EXPECT_TRUE(hc >= -56 && hc <= -24) << hc;  // multiplicative: no sign change
  EXPECT_TRUE(attack >= 0.8 / 1.5 - 1e-9 && attack <= 0.8 * 1.5 + 1e-9) << attack;
}

TEST_F(BotSettingsTest, NegativeIntegersRoundHalfUp) {
  load("[Mutation]\nProbability=1\nRange=1\n[OwnValues]\nhc=-3\n");
  // A seed whose draws give f = 1 + 500 * 1 / 1000 = 1.5, growing.
  for (unsigned seed = 1; seed < 1000000; ++seed) {
    RandomSource draws(seed);
    draws.next();
    const int size = draws.next() % 1000;
    const bool shrink = draws.next() % 2 == 0;
    if (size != 500 || shrink) continue;
    RandomSource random(seed);
    ASSERT_TRUE(mutateSettings(store, random));
    // -4.5 + 0.5
    EXPECT_EQ(store.getValue("OwnValues", "hc", ""), "-4");
    return;
  }
  FAIL() << "no seed gives the draws";
}

TEST_F(BotSettingsTest, ChangeLogLineHasOneColumnPerKey) {
  load("[OwnValues]\nsc=10\nhc=5\n[PlanEvaluation]\nattack=0.8\n");
  writeChangeLog(store, logs);
  writeChangeLog(store, logs);
  EXPECT_EQ(read_file(dir / "changelog.csv"), "10,5,0.8,\n10,5,0.8,\n");
}

TEST_F(BotSettingsTest, AWinKeepsMutatedSettingsOnly) {
  load("[OwnValues]\nsc=10\n");
  store.setInt("OwnValues", "sc", 11);
  onGameWon(store, false, logs);
  EXPECT_EQ(read_file(dir / "Quorvel.ini"), "[OwnValues]\nsc=10\n");
  EXPECT_FALSE(std::filesystem::exists(dir / "changelog.csv"));
  onGameWon(store, true, logs);
  EXPECT_EQ(read_file(dir / "Quorvel.ini"), "[OwnValues]\nsc=11\n\n");
  EXPECT_EQ(read_file(dir / "changelog.csv"), "11,\n");
}

TEST_F(BotSettingsTest, UnwritableFilesAreReported) {
  load("[OwnValues]\nsc=10\n");
  std::filesystem::remove(dir / "Quorvel.ini");
  std::filesystem::create_directory(dir / "Quorvel.ini");
  onGameWon(store, true, logs);
  EXPECT_EQ(read_file(dir / "changelog.csv"), "10,\n");
  std::filesystem::remove(dir / "changelog.csv");
  std::filesystem::create_directory(dir / "changelog.csv");
  writeChangeLog(store, logs);
  EXPECT_EQ(read_file(dir / "errorlog.txt"),
            "Unable to write ini-File Quorvel.ini\nCouldn't open log file changelog.csv\n");
}

// Without its file the bot plays by the built-in settings and leaves them there, unmutated,
// for its learning; a file that exists, even an empty one, is read as it is.
TEST_F(BotSettingsTest, StartUpWithoutAFileWritesAndPlaysTheBuiltInSettings) {
  const IniStore builtin = builtin_settings();
  ASSERT_GT(builtin.sectionCount(), 0);
  loadSettings(store, random, logs);
  EXPECT_EQ(store.getFileName(), "Quorvel.ini");
  EXPECT_EQ(read_file(dir / "errorlog.txt"), "Unable to read ini-File Quorvel.ini\n");
  IniStore written((dir / "Quorvel.ini").string());
  ASSERT_TRUE(written.load());
  for (int s = 0; s < builtin.sectionCount(); ++s) {
    const std::string& section = builtin.sectionName(s);
    for (int k = 0; k < builtin.keyCount(section); ++k) {
      const std::string key = builtin.keyAt(section, k);
      EXPECT_EQ(written.getValue(section, key, "?"), builtin.getValue(section, key, "!")) << key;
      EXPECT_NE(store.getValue(section, key, "?"), "?") << key;
    }
  }

  write_file(dir / "Quorvel.ini", "");
  IniStore empty;
  const LoadedSettings loaded = loadSettings(empty, random, logs);
  EXPECT_EQ(read_file(dir / "Quorvel.ini"), "");
  EXPECT_EQ(empty.sectionCount(), 0);
  EXPECT_EQ(loaded.annealing.iterations, 20);
}

TEST_F(BotSettingsTest, StartUpReadsTheAnnealingSchedule) {
  write_file(dir / "Quorvel.ini",
             "[Annealing]\niterations=10\nstartValue=30\nendValue=10\ncontinuousEvaluation=0\n");
  IniStore fresh;
  const LoadedSettings loaded = loadSettings(fresh, random, logs);
  EXPECT_EQ(loaded.annealing.iterations, 10);
  EXPECT_FALSE(loaded.annealing.continuousEvaluation);
  EXPECT_DOUBLE_EQ(loaded.annealing.curve.at(0), 30.0);
  EXPECT_DOUBLE_EQ(loaded.annealing.curve.at(5), 20.0);
  EXPECT_DOUBLE_EQ(loaded.annealing.curve.at(10), 10.0);
  EXPECT_FALSE(std::filesystem::exists(dir / "errorlog.txt"));
}

// No section searches not at all; values the search cannot use are brought back to ones
// it can, never to a search that hangs or orders nothing.
TEST_F(BotSettingsTest, SearchSettingsStayUsable) {
  EXPECT_FALSE(readSearchSettings(store).enabled());
  load(
      "[Search]\nbudgetMilliseconds=-5\nownCandidates=0\nsamples=-1\nprior=7\n"
      "iterations=-3\nplanShareFloor=-1\nlookAheadCandidates=-2\nlookAheadSamples=0\n"
      "lookAheadDraws=500\nlookAheadWeight=-4\nbuildValue=-1\n");
  const SearchSettings odd = readSearchSettings(store);
  EXPECT_FALSE(odd.enabled());
  EXPECT_EQ(odd.own_candidates, 1);
  EXPECT_EQ(odd.samples, 1);
  EXPECT_EQ(odd.iterations, 0);
  EXPECT_DOUBLE_EQ(odd.prior, 1.0);
  EXPECT_DOUBLE_EQ(odd.plan_share_floor, 0.0);
  EXPECT_EQ(odd.look_ahead_candidates, 0);
  EXPECT_EQ(odd.look_ahead_samples, 1);
  EXPECT_EQ(odd.look_ahead_draws, 64);
  EXPECT_DOUBLE_EQ(odd.look_ahead_weight, 0.0);
  EXPECT_DOUBLE_EQ(odd.build_value, 0.0);
  load("[Search]\nbudgetMilliseconds=999999999\nbuildValue=1e300\n");
  EXPECT_EQ(readSearchSettings(store).budget_milliseconds, 60000);
  EXPECT_DOUBLE_EQ(readSearchSettings(store).build_value, 10000.0);
}

}  // namespace
}  // namespace quorvel
