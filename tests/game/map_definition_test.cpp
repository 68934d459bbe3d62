#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <set>
#include <string>

#include "game/game_board.h"
#include "protocol/tokens.h"
#include "support/messages.h"

namespace quorvel {
namespace {

using namespace tok;
using testing::parse;
using testing::token_index;

std::unique_ptr<GameBoard> standard_board() {
  auto board = std::make_unique<GameBoard>();
  EXPECT_EQ(board->set_map(testing::standard_map_message()), -1);
  return board;
}

std::set<Token> keys_of(const MapProvince& province) {
  std::set<Token> keys;
  for (const auto& [key, destinations] : province.adjacency)
    keys.insert(key);
  return keys;
}

const MapProvince& at(const GameBoard& board, Token province) {
  return board.provinces[static_cast<std::size_t>(province.subtoken())];
}

// Three provinces, numbered BOH 0, BUR 1, GAL 2, for two powers.
const std::string kSmallPowers = "MDF ( AUS ENG ) ";
const std::string kSmallProvinces = "( ( ( AUS BOH ) ( ENG BUR ) ) ( GAL ) ) ";
const std::string kSmallAdjacency =
    "( ( BOH ( AMY BUR GAL ) ) ( BUR ( AMY BOH ) ) ( GAL ( AMY BOH ) ) )";

int set_map_text(GameBoard& board, const std::string& text) {
  return board.set_map(parse(text));
}

TEST(MapDefinition, StandardMapLoads) {
  const auto board = standard_board();
  EXPECT_EQ(board->province_count, 75);
  EXPECT_EQ(board->power_count, 7);
  int centres = 0;
  for (int p = 0; p < 75; ++p) {
    EXPECT_TRUE(board->provinces[static_cast<std::size_t>(p)].defined);
    EXPECT_EQ(board->provinces[static_cast<std::size_t>(p)].token.subtoken(), p);
    centres += board->provinces[static_cast<std::size_t>(p)].is_supply_centre;
  }
  EXPECT_FALSE(board->provinces[75].defined);
  EXPECT_EQ(centres, 34);

  EXPECT_EQ(at(*board, LON).home_powers, std::set<int>{ENG.subtoken()});
  EXPECT_EQ(at(*board, LON).owner, ENG);
  EXPECT_TRUE(at(*board, BEL).home_powers.empty());
  EXPECT_EQ(at(*board, BEL).owner, UNO);
  EXPECT_EQ(at(*board, NTH).owner, UNO);
  EXPECT_FALSE(at(*board, NTH).is_supply_centre);
  EXPECT_FALSE(at(*board, NTH).has_army_moves);
  EXPECT_TRUE(at(*board, BOH).has_army_moves);
}

TEST(MapDefinition, BicoastalProvincesHaveAFleetListPerCoast) {
  const auto board = standard_board();
  EXPECT_EQ(keys_of(at(*board, STP)), (std::set<Token>{AMY, NCS, SCS}));
  EXPECT_EQ(keys_of(at(*board, SPA)), (std::set<Token>{AMY, NCS, SCS}));
  EXPECT_EQ(keys_of(at(*board, BUL)), (std::set<Token>{AMY, ECS, SCS}));
  EXPECT_EQ(keys_of(at(*board, LON)), (std::set<Token>{AMY, FLT}));
  EXPECT_EQ(keys_of(at(*board, NTH)), (std::set<Token>{FLT}));

  auto loc = [](Token province, Token coast) { return Location{province.subtoken(), coast}; };
  EXPECT_EQ(at(*board, STP).adjacency.at(NCS), (std::set<Location>{loc(BAR, FLT), loc(NWY, FLT)}));
  EXPECT_EQ(at(*board, STP).adjacency.at(SCS),
            (std::set<Location>{loc(GOB, FLT), loc(FIN, FLT), loc(LVN, FLT)}));
  EXPECT_EQ(at(*board, BUL).adjacency.at(ECS),
            (std::set<Location>{loc(BLA, FLT), loc(CON, FLT), loc(RUM, FLT)}));
  EXPECT_EQ(at(*board, SPA).adjacency.at(NCS),
            (std::set<Location>{loc(GAS, FLT), loc(MAO, FLT), loc(POR, FLT)}));
  EXPECT_TRUE(at(*board, MAO).adjacency.at(FLT).count(loc(SPA, NCS)));
  EXPECT_TRUE(at(*board, MAO).adjacency.at(FLT).count(loc(SPA, SCS)));
  EXPECT_TRUE(at(*board, STP).adjacency.at(AMY).count(loc(MOS, AMY)));
}

TEST(MapDefinition, ASecondDefinitionReplacesTheFirst) {
  GameBoard board;
  ASSERT_EQ(set_map_text(board, kSmallPowers + kSmallProvinces + kSmallAdjacency), -1);
  EXPECT_EQ(board.province_count, 3);
  EXPECT_EQ(board.power_count, 2);
  ASSERT_EQ(board.set_map(testing::standard_map_message()), -1);
  ASSERT_EQ(board.set_map(testing::standard_map_message()), -1);
  EXPECT_EQ(board.province_count, 75);
  EXPECT_EQ(at(board, BOH).adjacency.at(AMY).size(), 5u);
  ASSERT_EQ(set_map_text(board, kSmallPowers + kSmallProvinces + kSmallAdjacency), -1);
  EXPECT_EQ(board.province_count, 3);
  EXPECT_FALSE(board.provinces[3].defined);
  EXPECT_EQ(at(board, BOH).adjacency.at(AMY).size(), 2u);
}

TEST(MapDefinition, ShapeAndPowerFaults) {
  GameBoard board;
  EXPECT_EQ(set_map_text(board, kSmallPowers + kSmallProvinces), 0);
  EXPECT_EQ(set_map_text(board, "HLO ( AUS ENG ) " + kSmallProvinces + kSmallAdjacency), 0);
  EXPECT_EQ(board.power_count, -1);
  // The category is not checked: any token with sub-tokens 0 and 1 names two powers.
  EXPECT_EQ(set_map_text(board, "MDF ( AMY FLT ) " + kSmallProvinces + kSmallAdjacency), -1);
}

// Each fault is answered with the position of the token at fault: its text and which
// occurrence of that text in the message.
TEST(MapDefinition, FaultsAnswerTheirPosition) {
  const std::string p = kSmallPowers, v = kSmallProvinces, a = kSmallAdjacency;
  struct Case {
    std::string text;
    const char* token;
    int occurrence;
  };
  const Case cases[] = {
      {"MDF ( AUS ENG AUS ) " + v + a, "AUS", 2},
      // ENG is not among the powers of the map.
      {"MDF ( AUS TUR ) " + v + a, "ENG", 1},
      {p + "( ( ( AUS BOH ) ( ENG BUR ) ) ( GAL BUR ) ) " + a, "BUR", 2},
      {p + "( ( ( ( AUS BOH ) BUR ) ) ( GAL ) ) " + a, "AUS", 2},
      {p + "( ( ( ( AUS TUR ) BUR ) ) ( GAL ) ) " + a, "TUR", 1},
      {p + "( ( ( AUS BOH HLD ) ) ( GAL ) ) " + a, "HLD", 1},
      {p + "( ( ( AUS BOH ) ) ( GAL 5 ) ) " + a, "5", 1},
      {p + v + "( ( RUH ( AMY BOH ) ) )", "RUH", 1},
      {p + v + "( ( BOH ( AMY BUR ) ) ( BOH ( FLT BUR ) ) )", "BOH", 3},
      {p + v + "( ( BOH ( AMY BUR ) ( AMY GAL ) ) )", "AMY", 2},
      {p + v + "( ( BOH ( HLD BUR ) ) )", "HLD", 1},
      {p + v + "( ( BOH ( ( FLT AMY ) BUR ) ) )", "(", 10},
      // A destination off the map could only ever give refused orders.
      {p + v + "( ( BOH ( AMY BUR RUH ) ) )", "RUH", 1},
  };
  for (const Case& c : cases) {
    GameBoard board;
    EXPECT_EQ(set_map_text(board, c.text), token_index(c.text, c.token, c.occurrence)) << c.text;
  }
  // What was read before a fault stays: the provinces, the adjacency lists.
  GameBoard board;
  set_map_text(board, p + v + "( ( BOH ( AMY BUR ) ) ( BOH ( FLT BUR ) ) )");
  EXPECT_EQ(board.province_count, 3);
  EXPECT_EQ(at(board, BOH).adjacency.size(), 1u);
  set_map_text(board, "MDF ( AUS ENG AUS ) " + v + a);
  EXPECT_EQ(board.power_count, 2);
}

// What servers send for variants: powers and provinces named from the standard tokens
// with gaps between them, and no non-centres list when it would be empty.
TEST(MapDefinition, VariantsNameSomeOfTheStandardTokens) {
  GameBoard board;
  ASSERT_EQ(set_map_text(board,
                         "MDF ( TUR FRA ) ( ( ( FRA PAR ) ( TUR ANK ) ( UNO VIE ) ) ) "
                         "( ( PAR ( AMY VIE ) ) ( VIE ( AMY PAR ANK ) ) "
                         "( ANK ( AMY VIE ) ) )"),
            -1);
  EXPECT_EQ(board.power_count, TUR.subtoken() + 1);
  EXPECT_EQ(board.named_power_count(), 2);
  EXPECT_TRUE(board.has_power(FRA.subtoken()));
  EXPECT_FALSE(board.has_power(ENG.subtoken()));
  EXPECT_FALSE(board.has_power(TUR.subtoken() + 1));
  EXPECT_EQ(board.province_count, std::max({PAR.subtoken(), VIE.subtoken(), ANK.subtoken()}) + 1);
  for (int p = 0; p < board.province_count; ++p) {
    const bool named = p == PAR.subtoken() || p == VIE.subtoken() || p == ANK.subtoken();
    EXPECT_EQ(board.on_map(p), named) << p;
  }
  EXPECT_EQ(at(board, ANK).owner, TUR);
  EXPECT_EQ(at(board, VIE).owner, UNO);
  EXPECT_TRUE(at(board, VIE).is_supply_centre);

  // A power or a province of the standard set that the variant lacks is still a fault:
  // as a home power, as a destination, in a position.
  const std::string home = "MDF ( TUR FRA ) ( ( ( AUS VIE ) ) ) ( )";
  EXPECT_EQ(set_map_text(board, home), token_index(home, "AUS"));
  const std::string move = "MDF ( FRA ) ( ( ( FRA PAR ) ) ) ( ( PAR ( AMY BUR ) ) )";
  EXPECT_EQ(set_map_text(board, move), token_index(move, "BUR"));
  ASSERT_EQ(set_map_text(board,
                         "MDF ( FRA ) ( ( ( FRA PAR BRE ) ) ) "
                         "( ( PAR ( AMY BRE ) ) ( BRE ( AMY PAR ) ) )"),
            -1);
  EXPECT_EQ(board.set_position(parse("NOW ( SPR 1901 ) ( FRA AMY PAR ) ( ENG AMY BRE )")), 11);
  EXPECT_EQ(board.set_position(parse("NOW ( SPR 1901 ) ( FRA AMY BUR )")), 8);
  EXPECT_EQ(board.set_centres(parse("SCO ( FRA PAR GAS )")), 4);
}

TEST(MapDefinition, CentreEntriesSetHomePowersAndOwners) {
  GameBoard board;
  ASSERT_EQ(set_map_text(board,
                         "MDF ( AUS ENG FRA ) ( ( ( ( ENG FRA ) BOH ) ( UNO BUR ) "
                         "( AUS GAL ) ) ( ) ) " +
                             kSmallAdjacency),
            -1);
  EXPECT_EQ(at(board, BOH).home_powers, (std::set<int>{1, 2}));
  EXPECT_EQ(at(board, BOH).owner, FRA);
  EXPECT_TRUE(at(board, BUR).home_powers.empty());
  EXPECT_EQ(at(board, BUR).owner, UNO);
  EXPECT_EQ(at(board, GAL).owner, AUS);
  EXPECT_TRUE(at(board, GAL).is_supply_centre);
}

TEST(MapDefinition, AdjacencyLists) {
  GameBoard board;
  ASSERT_EQ(set_map_text(board, kSmallPowers + kSmallProvinces +
                                    "( ( BOH ( ( FLT NCS ) BUR ( GAL SCS ) ) ( AMY GAL ) ) )"),
            -1);
  EXPECT_EQ(at(board, BOH).adjacency.at(NCS),
            (std::set<Location>{{BUR.subtoken(), FLT}, {GAL.subtoken(), SCS}}));
  EXPECT_EQ(at(board, BOH).adjacency.at(AMY), (std::set<Location>{{GAL.subtoken(), AMY}}));
  EXPECT_TRUE(at(board, BOH).has_army_moves);
  EXPECT_FALSE(at(board, BUR).has_army_moves);
}

TEST(MapDefinition, ProvinceAndLocationTexts) {
  const auto board = standard_board();
  EXPECT_EQ(board->province_text(LON.subtoken()), "Lon");
  EXPECT_EQ(board->province_text(NTH.subtoken()), "NTH");
  EXPECT_EQ(board->location_text({STP.subtoken(), NCS}), "Stp/nc");
  EXPECT_EQ(board->location_text({BUL.subtoken(), ECS}), "Bul/ec");
  EXPECT_EQ(board->location_text({NTH.subtoken(), FLT}), "NTH");
  EXPECT_EQ(board->location_text({STP.subtoken(), NEC}), "Stp");
  EXPECT_EQ(board->location_text({LON.subtoken(), AMY}), "Lon");
  EXPECT_EQ(board->province_text(200), "???");
  EXPECT_EQ(board->province_text(-1), "???");
}

}  // namespace
}  // namespace quorvel
