#include <gtest/gtest.h>

#include "game/game_board.h"
#include "protocol/tokens.h"
#include "support/boards.h"

namespace quorvel {
namespace {

using namespace tok;
using testing::parse;
using testing::province;

std::unique_ptr<GameBoard> board_at(const std::string& now) {
  auto board = testing::standard_board("ENG");
  EXPECT_EQ(board->set_centres(parse(testing::kStartSco)), -1);
  EXPECT_EQ(board->set_position(parse(now)), -1);
  return board;
}

void expect_submission(const GameBoard& board, const std::string& expected) {
  EXPECT_EQ(board.build_submission(), parse(expected)) << board.build_submission().to_text();
}

TEST(OrderSubmission, SpringMovesAndHolds) {
  auto board = board_at("NOW ( SPR 1901 ) ( ENG AMY LVP ) ( ENG FLT ( STP NCS ) ) ( FRA AMY PAR )");
  expect_submission(*board, "SUB");
  EXPECT_TRUE(board->order_hold(province("LVP")));
  EXPECT_TRUE(board->order_move(province("STP"), {province("NWY"), FLT}));
  EXPECT_FALSE(board->order_hold(province("LON")));
  // Stored for another power's unit, never submitted.
  EXPECT_TRUE(board->order_move(province("PAR"), {province("BUR"), AMY}));
  expect_submission(*board, "SUB ( ( ENG AMY LVP ) HLD ) ( ( ENG FLT ( STP NCS ) ) MTO NWY )");

  // The next position drops every order.
  ASSERT_EQ(board->set_position(parse("NOW ( FAL 1901 ) ( ENG AMY LVP )")), -1);
  expect_submission(*board, "SUB");
}

TEST(OrderSubmission, SupportsNameProvincesOnly) {
  auto board = board_at("NOW ( SPR 1901 ) ( ENG FLT MAO ) ( ENG FLT WES ) ( ENG AMY GAS )");
  board->order_move(province("MAO"), {province("SPA"), NCS});
  board->order_support_move(province("WES"), province("MAO"), province("SPA"));
  board->order_support_hold(province("GAS"), province("MAO"));
  expect_submission(*board,
                    "SUB ( ( ENG FLT MAO ) MTO ( SPA NCS ) ) "
                    "( ( ENG FLT WES ) SUP ( ENG FLT MAO ) MTO SPA ) "
                    "( ( ENG AMY GAS ) SUP ( ENG FLT MAO ) )");
}

TEST(OrderSubmission, Convoys) {
  auto board = board_at(
      "NOW ( SPR 1901 ) ( ENG AMY LON ) ( ENG FLT ECH ) ( ENG FLT NTH ) "
      "( ENG AMY YOR )");
  const int channel[] = {province("ECH")};
  board->order_move_by_convoy(province("LON"), province("BRE"), 1, channel);
  board->order_convoy(province("ECH"), province("LON"), province("BRE"));
  const int two_seas[] = {province("NTH"), province("ECH")};
  board->order_move_by_convoy(province("YOR"), province("PIC"), 2, two_seas);
  expect_submission(*board,
                    "SUB ( ( ENG FLT ECH ) CVY ( ENG AMY LON ) CTO BRE ) "
                    "( ( ENG AMY YOR ) CTO PIC VIA ( NTH ECH ) ) "
                    "( ( ENG AMY LON ) CTO BRE VIA ( ECH ) )");
}

TEST(OrderSubmission, OrdersNamingAMissingUnitHold) {
  auto board = board_at("NOW ( SPR 1901 ) ( ENG FLT NTH )");
  board->order_support_hold(province("NTH"), province("HOL"));
  expect_submission(*board, "SUB ( ( ENG FLT NTH ) HLD )");
  board->order_convoy(province("NTH"), province("YOR"), province("HOL"));
  expect_submission(*board, "SUB ( ( ENG FLT NTH ) HLD )");
}

TEST(OrderSubmission, RetreatsAndDisbands) {
  auto board = board_at(
      "NOW ( AUT 1901 ) ( ENG FLT MAO MRT ( ( SPA SCS ) POR ) ) "
      "( ENG AMY BEL MRT ( PIC ) ) ( ENG AMY HOL ) ( FRA FLT MAO )");
  EXPECT_FALSE(board->order_retreat(province("HOL"), {province("KIE"), AMY}));
  EXPECT_TRUE(board->order_retreat(province("MAO"), {province("SPA"), SCS}));
  EXPECT_TRUE(board->order_disband(province("BEL")));
  board->order_hold(province("HOL"));
  expect_submission(*board, "SUB ( ( ENG FLT MAO ) RTO ( SPA SCS ) ) ( ( ENG AMY BEL ) DSB )");
}

TEST(OrderSubmission, BuildsAndWaives) {
  auto board = board_at("NOW ( WIN 1901 ) ( ENG FLT NTH )");
  board->add_waives(2);
  expect_submission(*board, "SUB ( ENG WVE ) ( ENG WVE )");

  board->order_build({province("LON"), AMY});
  board->order_build({province("LON"), FLT});
  board->order_build({province("STP"), NCS});
  expect_submission(*board,
                    "SUB ( ( ENG FLT LON ) BLD ) ( ( ENG FLT ( STP NCS ) ) BLD ) "
                    "( ENG WVE ) ( ENG WVE )");
}

TEST(OrderSubmission, RemovalsAndTheLastKindWins) {
  auto board = board_at("NOW ( WIN 1901 ) ( ENG FLT NTH ) ( ENG AMY YOR )");
  EXPECT_TRUE(board->order_remove(province("NTH")));
  EXPECT_TRUE(board->order_remove(province("NTH")));
  EXPECT_FALSE(board->order_remove(province("LON")));
  EXPECT_EQ(board->units.size(), 2u);
  expect_submission(*board, "SUB ( ( ENG FLT NTH ) REM )");
  board->order_build({province("LVP"), AMY});
  expect_submission(*board, "SUB ( ( ENG FLT NTH ) BLD ) ( ( ENG AMY LVP ) BLD )");
}

}  // namespace
}  // namespace quorvel
