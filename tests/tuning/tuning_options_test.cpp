// tune and learn read their options as the arena does: a value after a blank or after "=".
#include <gtest/gtest.h>

#include "tuning/learning_run.h"
#include "tuning/tuning_run.h"

namespace quorvel::tuning {
namespace {

TEST(TuningOptions, ValuesAfterABlankOrAnEqualsSignAndTheSameErrors) {
  const auto tune = parse_tuning_options({"--games=40", "--minutes", "2.5", "--csv", "x.csv"});
  EXPECT_EQ(tune.error, "");
  EXPECT_EQ(tune.options.games, 40);
  EXPECT_DOUBLE_EQ(tune.options.minutes, 2.5);
  EXPECT_EQ(tune.options.csv, "x.csv");
  EXPECT_EQ(tune.options.press, 0);
  EXPECT_EQ(parse_tuning_options({"--press=20"}).options.press, 20);
  EXPECT_EQ(parse_tuning_options({"--press", "-1"}).error, "bad value '-1' for --press");
  EXPECT_EQ(parse_tuning_options({"--press", "5"}).error, "bad value '5' for --press");
  EXPECT_EQ(parse_tuning_options({"--minutes", "0"}).error, "bad value '0' for --minutes");
  EXPECT_EQ(parse_tuning_options({"--best"}).error, "option --best needs a value");

  const auto learn = parse_learning_options({"--games", "9", "--out=l.ini"});
  EXPECT_EQ(learn.error, "");
  EXPECT_EQ(learn.options.games, 9);
  EXPECT_EQ(learn.options.out, "l.ini");
  EXPECT_EQ(parse_learning_options({"--compare-games", "6"}).error,
            "bad value '6' for --compare-games");
  EXPECT_EQ(parse_learning_options({"games", "9"}).error, "unknown option games");
}

}  // namespace
}  // namespace quorvel::tuning
