// Many random but valid positions on each shipped map, each planned as the bot plans a
// phase; every submission must be one a strict server accepts.
#include <gtest/gtest.h>

#include "base/trace.h"

#include <algorithm>
#include <memory>
#include <ostream>
#include <random>
#include <string>

#include "game/game_board.h"
#include "planning/turn_driver.h"
#include "planning/unit_option_table.h"
#include "protocol/tokens.h"
#include "rules/map_file.h"
#include "settings/bot_settings.h"
#include "support/boards.h"
#include "support/order_legality.h"
#include "valuation/province_valuation.h"

namespace quorvel {
namespace {

using namespace tok;

const Token kSeasons[] = {SPR, SUM, FAL, AUT, WIN};

struct Batch {
  const char* map;
  int batch;
};

void PrintTo(const Batch& batch, std::ostream* out) {
  *out << batch.map << " batch " << batch.batch;
}

class RandomPositions : public ::testing::TestWithParam<Batch> {
 protected:
  void SetUp() override {
    const rules::MapFileReading reading =
        rules::read_map_file(std::string(QUORVEL_DATA_DIR "/maps/") + GetParam().map);
    ASSERT_TRUE(reading.map) << reading.error;
    mdf = reading.map->mdf;
    board = std::make_unique<GameBoard>();
    ASSERT_EQ(board->set_map(mdf), -1);
    for (int power = 0; power < board->power_count; ++power) {
      if (board->has_power(power)) powers.push_back(power);
    }
    valuation = std::make_unique<ProvinceValuation>(*board);
    if (GetParam().batch % 2 == 1) {
      // Weights in every table, so that plans move, support and convoy.
      for (const char* section : {"OwnValues", "DistOccValues", "ExtraOccValues"}) {
        valuation->setValue(section, "sc", "100", true);
        valuation->setValue(section, "hc", "60", true);
        valuation->setValue(section, "enemysclost", "40", true);
        valuation->setValue(section, "border", "5", true);
      }
      valuation->setValue("PlanEvaluation", "rewardDisband", "50", true);
      valuation->setValue("PlanEvaluation", "rewardHoldUnownedSC", "30", true);
      valuation->setValue("ValueDistribution", "convoy", "0.5", true);
    }
    valuation->setupMap();
    options = std::make_unique<UnitOptionTable>(*board, *valuation);
    annealing = readAnnealingSettings(*valuation);
  }

  // A unit of a random power on a random place of province p.
  TokenMessage random_unit(std::mt19937& rng, int p, int power, Location& where) {
    const MapProvince& province = board->provinces[static_cast<std::size_t>(p)];
    auto key = province.adjacency.begin();
    std::advance(key, static_cast<long>(rng() % province.adjacency.size()));
    where = Location{p, key->first};
    const Token type = key->first == AMY ? AMY : FLT;
    TokenMessage place = province.token;
    if (key->first.category() == CATEGORY_COAST) place = (province.token + key->first).enclose();
    return GameBoard::power_token(power) + type + place;
  }

  void play_position(unsigned seed) {
    std::mt19937 rng(seed);
    const auto pick = [&] { return powers[rng() % powers.size()]; };
    const int own = pick();
    board->set_own_power(GameBoard::power_token(own));

    // Densities and centre shares vary, so that winters both build and remove.
    const unsigned own_share = rng() % 60;
    const unsigned density = 5 + rng() % 45;
    TokenMessage sco(SCO);
    // Index power_count stands for nobody.
    std::vector<TokenMessage> owned(static_cast<std::size_t>(board->power_count) + 1);
    for (int p = 0; p < board->province_count; ++p) {
      if (!board->on_map(p) || !board->provinces[static_cast<std::size_t>(p)].is_supply_centre)
        continue;
      const int owner = rng() % 100 < own_share ? own
                        : rng() % 8 == 0        ? board->power_count
                                                : pick();
      owned[static_cast<std::size_t>(owner)] = owned[static_cast<std::size_t>(owner)] +
                                               board->provinces[static_cast<std::size_t>(p)].token;
    }
    for (int power = 0; power <= board->power_count; ++power) {
      if (owned[static_cast<std::size_t>(power)].is_empty()) continue;
      const Token owner = power == board->power_count ? UNO : GameBoard::power_token(power);
      sco = sco & (owner + owned[static_cast<std::size_t>(power)]);
    }
    ASSERT_EQ(board->set_centres(sco), -1) << sco.to_text();

    const Token season = kSeasons[rng() % 5];
    TokenMessage now = NOW & (season + Token::from_number(1901 + static_cast<int>(rng() % 20)));
    std::set<int> occupied;
    for (int p = 0; p < board->province_count; ++p) {
      if (!board->on_map(p) || rng() % 100 >= density) continue;
      Location where;
      const int power = rng() % 3 == 0 ? own : pick();
      now = now & random_unit(rng, p, power, where);
      occupied.insert(p);
    }
    if (season == SUM || season == AUT) {
      for (int p : occupied) {
        if (rng() % 100 >= 30) continue;
        Location where;
        const int power = rng() % 2 == 0 ? own : pick();
        TokenMessage unit = random_unit(rng, p, power, where);
        TokenMessage retreats;
        const auto& moves = board->provinces[static_cast<std::size_t>(p)].adjacency.at(where.coast);
        for (const Location& to : moves) {
          if (occupied.count(to.province) || rng() % 3 == 0) continue;
          const Token province = board->provinces[static_cast<std::size_t>(to.province)].token;
          retreats =
              retreats + (to.coast.category() == CATEGORY_COAST ? (province + to.coast).enclose()
                                                                : TokenMessage(province));
        }
        now = now & ((unit + MRT) & retreats);
      }
    }
    ASSERT_EQ(board->set_position(now), -1) << now.to_text();

    // As the bot handles a position.
    if (board->own_units.empty() && board->own_dislodged_units.empty()) return;
    valuation->evaluateTurn();
    options->rebuild();
    if (board->season != WIN || board->adjustment_count != 0) {
      RandomSource random(seed);
      TraceLog trace;
      trace.switch_on(false);
      planTurn(*board, *options, annealing, random, trace);
    }
    const TokenMessage submission = board->build_submission();
    ++planned;
    if (submission.length() <= 1) return;
    const std::vector<std::string> faults =
        testing::order_faults(now, sco, board->own_power, submission, mdf);
    EXPECT_TRUE(faults.empty()) << "seed " << seed << ", " << board->season.value() << "\n"
                                << now.to_text() << "\n"
                                << sco.to_text() << "\n"
                                << submission.to_text()
                                << "\nfirst fault: " << (faults.empty() ? "" : faults.front());
  }

  TokenMessage mdf;
  std::vector<int> powers;
  std::unique_ptr<GameBoard> board;
  std::unique_ptr<ProvinceValuation> valuation;
  std::unique_ptr<UnitOptionTable> options;
  AnnealingSettings annealing;
  int planned = 0;
};

TEST_P(RandomPositions, EverySubmissionIsLegal) {
  const unsigned first = static_cast<unsigned>(GetParam().batch) * 1000u;
  for (unsigned seed = first; seed < first + 500 && !HasFailure(); ++seed)
    play_position(seed);
  EXPECT_GT(planned, 150);
}

std::vector<Batch> batches() {
  std::vector<Batch> all;
  for (int batch = 0; batch < 8; ++batch)
    all.push_back({"standard.map", batch});
  for (const char* map : {"standard_france_austria.map", "pure.map", "west.map"}) {
    for (int batch = 0; batch < 2; ++batch)
      all.push_back({map, batch});
  }
  return all;
}

INSTANTIATE_TEST_SUITE_P(Maps, RandomPositions, ::testing::ValuesIn(batches()),
                         [](const ::testing::TestParamInfo<Batch>& info) {
                           std::string name = info.param.map;
                           name = name.substr(0, name.find('.'));
                           name.erase(std::remove(name.begin(), name.end(), '_'), name.end());
                           return name + std::to_string(info.param.batch);
                         });

}  // namespace
}  // namespace quorvel
