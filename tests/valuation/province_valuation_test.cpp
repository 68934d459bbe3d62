#include "valuation/province_valuation.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "base/truncate.h"
#include "protocol/tokens.h"
#include "support/boards.h"
#include "support/temp_dir.h"

namespace quorvel {
namespace {

using namespace tok;
using testing::parse;
using testing::province;

Location at(const std::string& name, Token coast) {
  return Location{province(name), coast};
}

class ProvinceValuationTest : public ::testing::Test {
 protected:
  // The standard map, the bot playing power, the settings given as ini text.
  void set_up(const std::string& power, const std::string& settings = "") {
    board = testing::standard_board(power);
    valuation = std::make_unique<ProvinceValuation>(*board);
    if (!settings.empty()) {
      testing::write_file(dir / "settings.ini", settings);
      valuation->setFileName((dir / "settings.ini").string());
      ASSERT_TRUE(valuation->load());
    }
    problems = valuation->setupMap();
  }
  void position(const std::string& sco, const std::string& now) {
    ASSERT_EQ(board->set_centres(parse(sco)), -1);
    ASSERT_EQ(board->set_position(parse(now)), -1);
    valuation->evaluateTurn();
  }

  testing::TempDir dir;
  std::vector<std::string> problems;
  testing::WorkingDirectory cwd{dir.path()};
  std::unique_ptr<GameBoard> board;
  std::unique_ptr<ProvinceValuation> valuation;
};

TEST_F(ProvinceValuationTest, DistancesOverTheMap) {
  set_up("FRA");
  EXPECT_EQ(valuation->stepsFrom(at("PAR", AMY), province("MUN")), 2);
  EXPECT_EQ(valuation->stepsFrom(at("PAR", AMY), province("PAR")), 0);
  EXPECT_EQ(valuation->stepsFrom(at("NTH", FLT), province("EDI")), 1);
  EXPECT_EQ(valuation->stepsFrom(at("PAR", AMY), province("NTH")), 1000);
  EXPECT_EQ(valuation->stepsFrom(at("MOS", AMY), province("MAO")), 1000);
  // Coasts: a fleet on the north coast of St Petersburg is far from the Baltic.
  EXPECT_EQ(valuation->stepsFrom(at("STP", NCS), province("NWY")), 1);
  EXPECT_EQ(valuation->stepsFrom(at("STP", NCS), province("BAL")), 3);
  EXPECT_EQ(valuation->stepsFrom(at("STP", SCS), province("BAL")), 2);
  EXPECT_EQ(valuation->stepsFrom(at("STP", FLT), province("BAL")), 1000);
  EXPECT_EQ(valuation->stepsFrom(at("PAR", AMY), -1), 1000);
  EXPECT_EQ(valuation->stepsFrom(at("PAR", AMY), 75), 1000);
  EXPECT_EQ(valuation->locations().size(), 120u);
}

TEST_F(ProvinceValuationTest, NeighboursAcrossEveryCoast) {
  set_up("FRA");
  const std::vector<int> expected{province("GAS"), province("GOL"), province("MAO"),
                                  province("MAR"), province("WES"), province("POR")};
  std::vector<int> sorted = expected;
  std::sort(sorted.begin(), sorted.end());
  EXPECT_EQ(valuation->neighbours(province("SPA")), sorted);
  EXPECT_TRUE(valuation->neighbours(200).empty());
}

TEST_F(ProvinceValuationTest, NearestEnemiesAndTheDominantOne) {
  set_up("ENG");
  position("SCO ( FRA BRE MAR PAR ) ( GER BER KIE MUN DEN ) ( ENG LON )",
           "NOW ( SPR 1901 ) ( ENG AMY BEL ) ( FRA AMY PIC ) ( FRA AMY BUR ) ( GER AMY HOL ) "
           "( GER AMY RUH ) ( GER AMY KIE )");
  const int bel = province("BEL");
  EXPECT_EQ(valuation->ownDistance(bel), 0);
  EXPECT_EQ(valuation->enemyDistance(bel), 1);
  EXPECT_EQ(
      valuation->nearestEnemyUnits(bel),
      (std::vector<Location>{at("BUR", AMY), at("RUH", AMY), at("PIC", AMY), at("HOL", AMY)}));
  EXPECT_EQ(valuation->enemyThreatCount(bel), 4);
  // Two each; Germany holds more centres.
  EXPECT_EQ(valuation->dominantEnemy(bel), GER.subtoken());
  // A bot unit in the province and an enemy next to it: both sides count as 1.
  EXPECT_EQ(valuation->provinceClass(bel), kNearBorderClass);
  EXPECT_EQ(valuation->provinceClass(province("LON")), kFarBorderClass);
  EXPECT_EQ(valuation->provinceClass(province("YOR")), kFarBorderClass);
  EXPECT_EQ(valuation->provinceClass(province("MUN")), kLostClass);
  EXPECT_EQ(valuation->enemyThreatCount(province("MUN")), 3);
  EXPECT_EQ(valuation->enemyDistance(province("SPA")), 2);
  EXPECT_EQ(valuation->enemyThreatCount(province("SPA")), 0);

  // An enemy standing in the province counts twice but gives way to the power next to it.
  const int pic = province("PIC");
  EXPECT_EQ(valuation->enemyDistance(pic), 0);
  EXPECT_EQ(valuation->dominantEnemy(pic), FRA.subtoken());
}

TEST_F(ProvinceValuationTest, UnreachableProvincesKeepNoEnemiesOfTheLastTurn) {
  set_up("ENG");
  position(testing::kStartSco, "NOW ( SPR 1901 ) ( ENG AMY LVP ) ( FRA FLT ECH )");
  const int nth = province("NTH");
  EXPECT_EQ(valuation->nearestEnemyUnits(nth), (std::vector<Location>{at("ECH", FLT)}));
  position(testing::kStartSco, "NOW ( FAL 1901 ) ( ENG AMY LVP ) ( GER AMY MUN )");
  EXPECT_EQ(valuation->enemyDistance(nth), 1000);
  EXPECT_EQ(valuation->dominantEnemy(nth), GER.subtoken());
  EXPECT_EQ(valuation->nearestEnemyUnits(nth), (std::vector<Location>{at("MUN", AMY)}));
}

TEST_F(ProvinceValuationTest, FearGrowsWithCentres) {
  set_up("ENG", "[FearFactor]\nstartValue=1\nendValue=3\n");
  position(testing::kStartSco, testing::kStartNow);
  // The curve spans (34 + 1) / 2 = 17 centres.
  EXPECT_DOUBLE_EQ(valuation->fearFactor(RUS.subtoken()), 1.0 + 2.0 * 4 / 17);
  EXPECT_DOUBLE_EQ(valuation->fearFactor(FRA.subtoken()), 1.0 + 2.0 * 3 / 17);
}

TEST_F(ProvinceValuationTest, MinorityFactorsOnlyInWinter) {
  set_up("ENG", "[MinorityAdjustment]\ntolerance=0\n");
  position(testing::kStartSco, "NOW ( FAL 1901 ) ( ENG FLT NTH ) ( ENG FLT LON )");
  EXPECT_EQ(valuation->armyFactor(), 1.0);
  EXPECT_EQ(valuation->fleetFactor(), 1.0);
  position(testing::kStartSco, "NOW ( WIN 1901 ) ( ENG FLT NTH ) ( ENG FLT LON )");
  EXPECT_DOUBLE_EQ(valuation->armyFactor(), 5.0);
  EXPECT_NEAR(valuation->fleetFactor(), 1.0, 1e-12);
  position(testing::kStartSco, "NOW ( WIN 1901 ) ( FRA FLT BRE )");
  EXPECT_NEAR(valuation->armyFactor(), 1.0, 1e-12);
  EXPECT_NEAR(valuation->fleetFactor(), 1.0, 1e-12);
}

TEST_F(ProvinceValuationTest, TableValuesOfProvinces) {
  set_up("ENG",
         "[OwnValues]\nsc=10\nenemysclost=5\nhc=100\nborder=3\n[FearFactor]\n"
         "startValue=2\nendValue=2\n");
  position(testing::kStartSco,
           "NOW ( SPR 1901 ) ( ENG AMY YOR ) ( FRA AMY BEL ) ( FRA AMY PAR ) ( GER AMY MUN )");
  // Enemy-owned and lost: (10 + 5) times the fear of the nearest enemy.
  EXPECT_EQ(valuation->provinceValue(province("PAR")), 30);
  // The bot's own home centre, nearer to the bot: no border term.
  EXPECT_EQ(valuation->provinceValue(province("LON")), 100);
  // No centre: only the border term, here the outer one (neither side is nearer).
  EXPECT_EQ(valuation->ownedNeighbours(province("NTH")), 3);  // Edi, Lon, Yor
  EXPECT_EQ(valuation->provinceValue(province("NTH")), 3 * 3);
  EXPECT_EQ(valuation->provinceValue(province("BUR")), 0);
}

TEST_F(ProvinceValuationTest, OccupationSumsSpreadValuesByDistance) {
  const std::string tables = "[DistOccValues]\nsc=100\nhc=40\n[OwnValues]\nsc=100\nhc=40\n";
  set_up("FRA", tables + "[ExtraOccValues]\n");
  position(testing::kStartSco, testing::kStartNow);
  const ValueDistribution& vd = valuation->valueDistribution();
  for (const Location& place : {at("PAR", AMY), at("STP", SCS), at("NTH", FLT), at("BUL", ECS)}) {
    int expected = 0;
    for (int q = 0; q < 75; ++q) {
      const int steps = valuation->stepsFrom(place, q);
      if (steps < 1000) expected += truncate_to_int(vd.at(steps) * valuation->provinceValue(q));
    }
    EXPECT_EQ(valuation->occupationValue(place), expected);
  }
  EXPECT_EQ(valuation->occupationValue(at("PAR", FLT)), 0);
}

TEST_F(ProvinceValuationTest, ExtraTermAndSafeNeighbours) {
  set_up("FRA", "[DistOccValues]\nsc=100\n[ExtraOccValues]\nsc=7\n");
  position(testing::kStartSco, testing::kStartNow);
  // Burgundy touches Munich's army: not safe. Picardy and Gascony are.
  const Location bur = at("BUR", AMY);
  int best = 0;
  for (const Location& next : valuation->adjacentLocations(bur)) {
    if (valuation->enemyDistance(next.province) > 1) {
      best = std::max(best, valuation->occupationValue(next));
    }
  }
  EXPECT_EQ(valuation->bestSafeNeighbourValue(bur), best);
  EXPECT_GT(best, 0);
  EXPECT_EQ(valuation->enemyDistance(province("MUN")), 0);
}

TEST_F(ProvinceValuationTest, FleetsAtSeaCarryArmiesValue) {
  set_up("ENG", "[DistOccValues]\nsc=100\n[ValueDistribution]\nconvoy=0\n");
  position(testing::kStartSco, "NOW ( SPR 1901 ) ( ENG FLT NTH ) ( ENG AMY YOR )");
  std::vector<int> land;
  int best = 0;
  for (int q : valuation->neighbours(province("NTH"))) {
    if (!valuation->isLandProvince(q)) continue;
    land.push_back(q);
    best = std::max(best, valuation->occupationValue({q, AMY}));
  }
  std::vector<int> plain;
  for (int q : land)
    plain.push_back(valuation->occupationValue({q, AMY}));

  valuation->setValue("ValueDistribution", "convoy", "0.5", true);
  valuation->setupMap();
  valuation->evaluateTurn();
  // Each coast the fleet touches moves halfway to the best of them; fleets stay as they are.
  for (std::size_t i = 0; i < land.size(); ++i) {
    const int expected = plain[i] <= best ? truncate_to_int(best * 0.5 + plain[i] * 0.5) : plain[i];
    EXPECT_EQ(valuation->occupationValue({land[i], AMY}), expected)
        << board->province_text(land[i]);
  }
  EXPECT_GT(land.size(), 5u);
}

TEST_F(ProvinceValuationTest, ASecondMapDefinitionGivesTheSameTables) {
  set_up("ENG", "[OwnValues]\nsc=10\nborder=2\n");
  valuation->setupMap();
  EXPECT_EQ(valuation->ownValues().weights[0], 10);
  EXPECT_EQ(valuation->ownValues().inner_border, 2);
  EXPECT_EQ(valuation->locations().size(), 120u);
  EXPECT_EQ(valuation->neighbours(province("SPA")).size(), 6u);
}

TEST_F(ProvinceValuationTest, UnknownTableKeysAreReportedAsErrorLines) {
  set_up("ENG", "[DistOccValues]\nscx=1\n[OwnValues]\nenemyscx=2\n");
  EXPECT_EQ(problems,
            (std::vector<std::string>{"Unknown key 'scx' in ini-file, section [DistOccValues].",
                                      "Unknown key 'enemyscx' in ini-file, section [OwnValues]."}));
}

}  // namespace
}  // namespace quorvel
