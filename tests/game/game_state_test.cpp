#include <gtest/gtest.h>

#include <set>

#include "game/game_board.h"
#include "protocol/tokens.h"
#include "support/boards.h"

namespace quorvel {
namespace {

using namespace tok;
using testing::parse;
using testing::province;
using testing::standard_board;
using testing::token_index;

TEST(GameState, PositionWaitsForAMap) {
  GameBoard board;
  EXPECT_EQ(board.set_position(parse("NOW ( SPR 1901 ) ( ENG AMY LON )")), -1);
  EXPECT_TRUE(board.units.empty());
  EXPECT_EQ(board.season, Token());
  EXPECT_EQ(board.set_centres(parse(testing::kStartSco)), 0);
}

TEST(GameState, OwnPowerGivesHomeCentres) {
  const auto board = standard_board("ENG");
  EXPECT_EQ(board->own_power, ENG);
  EXPECT_EQ(board->own_home_centres,
            (std::set<int>{province("EDI"), province("LON"), province("LVP")}));
  board->set_own_power(UNO);
  EXPECT_TRUE(board->own_home_centres.empty());
}

TEST(GameState, StartingPositionOfAllPowers) {
  const auto board = standard_board("RUS");
  ASSERT_EQ(board->set_centres(parse(testing::kStartSco)), -1);
  ASSERT_EQ(board->set_position(parse(testing::kStartNow)), -1);
  EXPECT_EQ(board->season, SPR);
  EXPECT_EQ(board->year, 1901);
  EXPECT_EQ(board->units.size(), 22u);
  EXPECT_EQ(board->own_units.size(), 4u);
  EXPECT_EQ(board->own_centres.size(), 4u);
  EXPECT_EQ(board->adjustment_count, 0);
  const UnitRecord& stp = board->units.at(province("STP"));
  EXPECT_EQ(stp.location.coast, SCS);
  EXPECT_EQ(stp.unit_type, FLT);
  EXPECT_EQ(stp.power, RUS.subtoken());
  EXPECT_EQ(stp.order, OrderKind::kNone);
  EXPECT_EQ(board->units.at(province("MOS")).location.coast, AMY);
  EXPECT_EQ(board->units.at(province("SEV")).location.coast, FLT);
  EXPECT_TRUE(board->buildable_home_centres.empty());
}

TEST(GameState, UnitLocationFaults) {
  const auto board = standard_board("ENG");
  ASSERT_EQ(board->set_position(parse("NOW ( SPR 1901 ) ( ENG FLT ( STP NCS ) )")), -1);
  EXPECT_EQ(board->units.at(province("STP")).location, (Location{province("STP"), NCS}));
  EXPECT_TRUE(board->own_units.count(province("STP")));

  const std::string army_on_coast = "NOW ( SPR 1901 ) ( ENG AMY LON ) ( FRA AMY ( SPA NCS ) )";
  EXPECT_EQ(board->set_position(parse(army_on_coast)), token_index(army_on_coast, "(", 4));
  // The units read before the fault stay.
  EXPECT_EQ(board->units.size(), 1u);

  const std::string fleet_inland = "NOW ( SPR 1901 ) ( TUR FLT MOS )";
  EXPECT_EQ(board->set_position(parse(fleet_inland)), token_index(fleet_inland, "MOS"));
  const std::string no_coast = "NOW ( SPR 1901 ) ( RUS FLT STP )";
  EXPECT_EQ(board->set_position(parse(no_coast)), token_index(no_coast, "STP"));
  const std::string coast_of_other = "NOW ( SPR 1901 ) ( RUS FLT ( STP ECS ) )";
  EXPECT_EQ(board->set_position(parse(coast_of_other)), token_index(coast_of_other, "(", 3));
  const std::string not_a_unit = "NOW ( SPR 1901 ) ( RUS NCS STP )";
  EXPECT_EQ(board->set_position(parse(not_a_unit)), token_index(not_a_unit, "NCS"));
  const std::string short_unit = "NOW ( SPR 1901 ) ( RUS AMY )";
  EXPECT_EQ(board->set_position(parse(short_unit)), token_index(short_unit, "RUS"));
  EXPECT_EQ(board->set_position(parse("HLO ( SPR 1901 )")), 0);

  // A power or province index beyond the map is refused before it is used.
  const TokenMessage far_power =
      NOW & (SPR + Token::from_number(1901)) & (Token(CATEGORY_POWER, 9) + AMY + LON);
  EXPECT_EQ(board->set_position(far_power), 6);
  const TokenMessage far_province =
      NOW & (SPR + Token::from_number(1901)) & (ENG + AMY + Token(0x50, 200));
  EXPECT_EQ(board->set_position(far_province), 8);
}

TEST(GameState, DislodgedUnitsAndTheirRetreats) {
  const auto board = standard_board("AUS");
  ASSERT_EQ(board->set_position(parse("NOW ( SUM 1901 ) ( AUS AMY SER MRT ( ALB BUD ) ) "
                                      "( TUR AMY SER ) ( TUR FLT AEG MRT ( ( BUL SCS ) GRE ) )")),
            -1);
  const UnitRecord& ser = board->dislodged_units.at(province("SER"));
  EXPECT_EQ(ser.retreat_options,
            (std::set<Location>{{province("ALB"), AMY}, {province("BUD"), AMY}}));
  EXPECT_EQ(board->units.at(province("SER")).power, TUR.subtoken());
  EXPECT_EQ(board->own_dislodged_units, std::set<int>{province("SER")});
  EXPECT_TRUE(board->own_units.empty());
  EXPECT_EQ(board->dislodged_units.at(province("AEG")).retreat_options,
            (std::set<Location>{{province("BUL"), SCS}, {province("GRE"), FLT}}));

  const std::string no_mrt = "NOW ( SUM 1901 ) ( AUS AMY SER HLD ( ALB ) )";
  EXPECT_EQ(board->set_position(parse(no_mrt)), token_index(no_mrt, "HLD"));
  EXPECT_TRUE(board->dislodged_units.at(province("SER")).retreat_options.empty());
}

TEST(GameState, WinterUnitsTakeTheirProvinces) {
  const auto board = standard_board("ENG");
  ASSERT_EQ(board->set_centres(parse(testing::kStartSco)), -1);
  ASSERT_EQ(board->set_position(parse("NOW ( FAL 1901 ) ( ENG AMY HOL )")), -1);
  EXPECT_EQ(board->provinces[static_cast<std::size_t>(province("HOL"))].owner, UNO);
  ASSERT_EQ(board->set_position(parse("NOW ( WIN 1901 ) ( ENG AMY HOL ) ( ENG FLT NTH )")), -1);
  EXPECT_EQ(board->provinces[static_cast<std::size_t>(province("HOL"))].owner, ENG);
  EXPECT_EQ(board->provinces[static_cast<std::size_t>(province("NTH"))].owner, ENG);
  // Until the next SCO the bot's centres are those it was told.
  EXPECT_EQ(board->own_centres.size(), 3u);
}

TEST(GameState, AdjustmentCountAndBuildableCentres) {
  const auto board = standard_board("ENG");
  ASSERT_EQ(board->set_centres(parse("SCO ( ENG EDI LON LVP HOL ) ( UNO BEL )")), -1);
  ASSERT_EQ(board->set_position(parse("NOW ( WIN 1901 ) ( ENG AMY HOL ) ( ENG FLT NTH ) "
                                      "( ENG AMY YOR ) ( ENG FLT ECH ) ( ENG AMY WAL )")),
            -1);
  EXPECT_EQ(board->adjustment_count, 1);

  ASSERT_EQ(board->set_centres(parse("SCO ( ENG EDI LON LVP HOL BEL )")), -1);
  ASSERT_EQ(board->set_position(parse("NOW ( WIN 1901 ) ( ENG AMY HOL ) ( ENG FLT EDI ) "
                                      "( ENG AMY BEL ) ( FRA AMY LVP MRT ( WAL ) )")),
            -1);
  EXPECT_EQ(board->adjustment_count, -2);
  // A dislodged unit does not block a build.
  EXPECT_EQ(board->buildable_home_centres, (std::set<int>{province("LON"), province("LVP")}));
}

TEST(GameState, CentresFromSco) {
  const auto board = standard_board("ENG");
  ASSERT_EQ(board->set_centres(parse(testing::kStartSco)), -1);
  EXPECT_EQ(board->own_centres, (std::set<int>{province("EDI"), province("LON"), province("LVP")}));
  EXPECT_EQ(board->provinces[static_cast<std::size_t>(province("MOS"))].owner, RUS);

  const TokenMessage far = SCO & (FRA + BEL + Token(0x55, 80) + HOL);
  EXPECT_EQ(board->set_centres(far), 4);
  EXPECT_EQ(board->provinces[static_cast<std::size_t>(province("BEL"))].owner, FRA);
  EXPECT_EQ(board->provinces[static_cast<std::size_t>(province("HOL"))].owner, UNO);
  EXPECT_TRUE(board->own_centres.empty());
  EXPECT_EQ(board->set_centres(parse("NOW ( ENG LON )")), 0);
}

TEST(GameState, BeforeHelloNoCentreIsTheBots) {
  const auto board = standard_board();
  ASSERT_EQ(board->set_centres(parse(testing::kStartSco)), -1);
  ASSERT_EQ(board->set_centres(SCO & (Token::from_number(0) + LON)), -1);
  EXPECT_TRUE(board->own_centres.empty());
  ASSERT_EQ(board->set_position(parse(testing::kStartNow)), -1);
  // Power index 0 matches the empty own power's sub-token.
  EXPECT_EQ(board->own_units.size(), 3u);
}

}  // namespace
}  // namespace quorvel
