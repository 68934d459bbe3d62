#include "tuning/spsa.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <random>
#include <sstream>

#include "settings/builtin_settings.h"
#include "support/temp_dir.h"
#include "tuning/tuned_settings.h"
#include "tuning/tuning_run.h"

namespace quorvel::tuning {
namespace {

// A noisy bowl in eight dimensions with its top at a known point, one coordinate on the
// bound: SPSA gets close within a few hundred steps, with both points of a step seeing
// the same noise as the arena's common seeds give them.
TEST(Spsa, FindsTheTopOfANoisyBowl) {
  const std::vector<double> top{0.2, 0.8, 0.5, 0.35, 0.65, 0.1, 0.9, 1.0};
  std::mt19937 rng(3);
  std::normal_distribution<double> noise(0.0, 0.05);
  auto value = [&](const std::vector<double>& x, double shared) {
    double sum = 0;
    for (std::size_t i = 0; i < x.size(); ++i)
      sum -= (x[i] - top[i]) * (x[i] - top[i]);
    return 10 * sum + shared + noise(rng) * 0.2;
  };
  Spsa spsa(std::vector<double>(top.size(), 0.5), SpsaGains{0.5, 0.1, 20, 0.602, 0.101}, 7);
  for (int k = 0; k < 600; ++k) {
    const Spsa::Probe probe = spsa.probe(k);
    const double shared = noise(rng);
    spsa.update(k, probe, value(probe.plus, shared), value(probe.minus, shared));
    for (double x : spsa.point())
      ASSERT_TRUE(x >= 0 && x <= 1);
  }
  for (std::size_t i = 0; i < top.size(); ++i)
    EXPECT_NEAR(spsa.point()[i], top[i], 0.06) << i;
}

TEST(TunedSettings, ValuesSurviveTheWayThroughAStoreAndTheUnitCube) {
  IniStore base;
  base.setValue("Mutation", "Probability", "0.1", true);
  base.setValue("OwnValues", "sc", "60", true);
  base.setValue("DistOccValues", "enemysclost", "25", true);
  base.setValue("DistOccValues", "mysc", "30", true);
  base.setValue("Annealing", "iterations", "30", true);
  const std::vector<double> values = values_of(base);
  ASSERT_EQ(values.size(), tuned_settings().size());
  // "sc=60" gives 60 to neutral, own and enemy centres alike.
  auto at = [&](const std::string& section, const std::string& key) {
    for (std::size_t i = 0; i < tuned_settings().size(); ++i) {
      if (tuned_settings()[i].section == section && tuned_settings()[i].key == key)
        return values[i];
    }
    ADD_FAILURE() << section << "." << key;
    return 0.0;
  };
  EXPECT_EQ(at("OwnValues", "neutralsc"), 60);
  EXPECT_EQ(at("OwnValues", "myhc"), 0);
  EXPECT_EQ(at("DistOccValues", "mysc"), 30);
  EXPECT_EQ(at("Annealing", "iterations"), 30);
  EXPECT_DOUBLE_EQ(at("PlanEvaluation", "attack"), 0.8);  // the default when absent

  const IniStore rebuilt = with_values(base, values);
  EXPECT_EQ(values_of(rebuilt), values);
  EXPECT_EQ(rebuilt.getValue("Mutation", "Probability", ""), "0.1");
  EXPECT_EQ(rebuilt.getValue("OwnValues", "sc", "none"), "none");  // tables hold tuned keys
  const std::vector<double> back = from_unit(to_unit(values));
  ASSERT_EQ(back.size(), values.size());
  for (std::size_t i = 0; i < values.size(); ++i)
    EXPECT_NEAR(back[i], values[i], 1e-9) << tuned_settings()[i].key;
}

// Options of a small run whose files go to the directory.
TuningOptions small_run(const std::filesystem::path& dir) {
  TuningOptions options;
  options.csv = (dir / "progress.csv").string();
  options.best = (dir / "best.ini").string();
  options.chart = (dir / "chart.svg").string();
  options.games = 2;
  return options;
}

// A run resumes from its CSV; a file that is not one is left as it is, and nothing is
// played or written.
TEST(TuningRun, AProgressFileOfAnotherKindIsLeftAlone) {
  ::quorvel::testing::TempDir dir;
  const std::string foreign = "name,score\nanna,3\n";
  ::quorvel::testing::write_file(dir / "progress.csv", foreign);
  TuningOptions options = small_run(dir.path());
  std::ostringstream said;
  EXPECT_EQ(run_tuning(options, said), 2);
  EXPECT_NE(said.str().find("not a progress file"), std::string::npos) << said.str();
  EXPECT_EQ(::quorvel::testing::read_file(dir / "progress.csv"), foreign);
  EXPECT_FALSE(std::filesystem::exists(dir / "best.ini"));
  EXPECT_FALSE(std::filesystem::exists(dir / "chart.svg"));
}

// Settings beyond the tuner's bounds, or progress of a run with other options: refused
// before any game, nothing written.
TEST(TuningRun, StartSettingsAndProgressMustFitTheRun) {
  ::quorvel::testing::TempDir dir;
  TuningOptions options = small_run(dir.path());
  options.max_games = 4;

  IniStore wild = builtin_settings();
  wild.setValue("Annealing", "iterations", "100000", true);
  wild.setFileName((dir / "wild.ini").string());
  ASSERT_TRUE(wild.save());
  options.start = wild.getFileName();
  std::ostringstream said;
  EXPECT_EQ(run_tuning(options, said), 2);
  EXPECT_NE(said.str().find("wild.ini: [Annealing] iterations = 100000 is outside the tuner's "
                            "bounds"),
            std::string::npos)
      << said.str();
  EXPECT_FALSE(std::filesystem::exists(dir / "progress.csv"));
  // The search's too: a budget beyond what a crowded phase may take.
  IniStore slow = builtin_settings();
  slow.setValue("Search", "budgetMilliseconds", "500", true);
  slow.setFileName((dir / "slow.ini").string());
  ASSERT_TRUE(slow.save());
  options.start = slow.getFileName();
  std::ostringstream told;
  EXPECT_EQ(run_tuning(options, told), 2);
  EXPECT_NE(told.str().find("slow.ini: [Search] budgetMilliseconds = 500 is outside the tuner's "
                            "bounds 0 to 50"),
            std::string::npos)
      << told.str();
  EXPECT_FALSE(std::filesystem::exists(dir / "progress.csv"));

  options.start.clear();
  std::ostringstream first;
  ASSERT_EQ(run_tuning(options, first), 0) << first.str();
  const std::string progress = ::quorvel::testing::read_file(dir / "progress.csv");
  options.seed = 2;
  options.max_games = 8;
  std::ostringstream other;
  EXPECT_EQ(run_tuning(options, other), 2);
  EXPECT_NE(other.str().find("is the progress of another run (games=2 seed=1"), std::string::npos)
      << other.str();
  EXPECT_EQ(::quorvel::testing::read_file(dir / "progress.csv"), progress);
  options.seed = 1;
  std::ostringstream same;
  EXPECT_EQ(run_tuning(options, same), 0) << same.str();
  EXPECT_NE(same.str().find("Resuming from"), std::string::npos);
  EXPECT_NE(same.str().find("Objective per 25 steps: "), std::string::npos) << same.str();

  // Resumed with its budget spent: nothing played, nothing claimed, how the run stands.
  std::ostringstream spent;
  EXPECT_EQ(run_tuning(options, spent), 2);
  EXPECT_NE(spent.str().find("the budget allows no step\nObjective per 25 steps: "),
            std::string::npos)
      << spent.str();
  EXPECT_EQ(spent.str().find("Settings reached"), std::string::npos) << spent.str();
}

// With press the negotiation's weights are tuned too, in games against honest negotiators;
// the progress of such a run is not another run's.
TEST(TuningRun, WithPressTheNegotiationIsTunedAndItsProgressKeptApart) {
  ::quorvel::testing::TempDir dir;
  TuningOptions options = small_run(dir.path());
  options.max_games = 4;
  options.press = 20;
  std::ostringstream said;
  ASSERT_EQ(run_tuning(options, said), 0) << said.str();
  const std::string progress = ::quorvel::testing::read_file(dir / "progress.csv");
  EXPECT_NE(progress.find(",Press.partnerFear,"), std::string::npos);
  EXPECT_EQ(tuned_settings(true).size(), tuned_settings().size() + 12);
  const std::string best = ::quorvel::testing::read_file(dir / "best.ini");
  EXPECT_NE(best.find("half against six honest negotiators"), std::string::npos) << best;
  EXPECT_NE(best.find("at press level 20"), std::string::npos) << best;
  EXPECT_NE(best.find("[Openings]"), std::string::npos) << "untuned sections stay";
  EXPECT_NE(::quorvel::testing::read_file(dir / "progress.csv.run").find("press=20"),
            std::string::npos);

  options.press = 0;
  options.max_games = 8;
  std::ostringstream silent;
  EXPECT_EQ(run_tuning(options, silent), 2);
  EXPECT_NE(silent.str().find("not a progress file"), std::string::npos) << silent.str();
  EXPECT_EQ(::quorvel::testing::read_file(dir / "progress.csv"), progress);

  IniStore wild = builtin_settings();
  wild.setValue("Press", "leaderShare", "0.9", true);
  wild.setFileName((dir / "wild.ini").string());
  ASSERT_TRUE(wild.save());
  options.start = wild.getFileName();
  options.csv = (dir / "other.csv").string();
  std::ostringstream plain;
  EXPECT_EQ(run_tuning(options, plain), 0) << "press weights are not tuned without press";
  options.press = 10;
  options.csv = (dir / "third.csv").string();
  std::ostringstream beyond;
  EXPECT_EQ(run_tuning(options, beyond), 2);
  EXPECT_NE(beyond.str().find("[Press] leaderShare = 0.9 is outside the tuner's bounds"),
            std::string::npos)
      << beyond.str();
}

}  // namespace
}  // namespace quorvel::tuning
