// The legality check of the property test must itself refuse what a server refuses.
#include "support/order_legality.h"

#include <gtest/gtest.h>

#include "support/boards.h"

namespace quorvel {
namespace {

using testing::parse;

std::vector<std::string> faults_of(const GameBoard& board, const std::string& submission) {
  return testing::order_faults(board, parse(submission));
}

TEST(OrderLegality, AcceptsLegalOrdersOfEveryKind) {
  auto board = testing::standard_board("ENG");
  ASSERT_EQ(board->set_position(parse("NOW ( SPR 1901 ) ( ENG AMY YOR ) ( ENG FLT NTH ) "
                                      "( ENG FLT ECH ) ( ENG FLT ( STP NCS ) ) ( FRA AMY PIC )")),
            -1);
  const auto faults = faults_of(*board,
                                "SUB ( ( ENG AMY YOR ) CTO BEL VIA ( NTH ) ) "
                                "( ( ENG FLT NTH ) CVY ( ENG AMY YOR ) CTO BEL ) "
                                "( ( ENG FLT ECH ) SUP ( ENG AMY YOR ) MTO BEL ) "
                                "( ( ENG FLT ( STP NCS ) ) MTO NWY )");
  EXPECT_TRUE(faults.empty()) << faults.front();
}

TEST(OrderLegality, RefusesMovementFaults) {
  auto board = testing::standard_board("ENG");
  ASSERT_EQ(board->set_position(parse("NOW ( SPR 1901 ) ( ENG AMY YOR ) ( ENG FLT NTH ) "
                                      "( ENG FLT ( STP NCS ) ) ( FRA AMY PIC )")),
            -1);
  for (const char* bad :
       {"SUB ( ( ENG AMY YOR ) MTO BEL ) ( ( ENG FLT NTH ) HLD ) ( ( ENG FLT ( STP NCS ) ) HLD )",
        "SUB ( ( ENG AMY YOR ) HLD ) ( ( ENG FLT NTH ) HLD ) ( ( ENG FLT ( STP NCS ) ) MTO BAL )",
        "SUB ( ( ENG AMY YOR ) HLD ) ( ( ENG FLT NTH ) HLD ) ( ( ENG FLT ( STP SCS ) ) HLD )",
        "SUB ( ( ENG AMY YOR ) HLD ) ( ( ENG FLT NTH ) SUP ( FRA AMY BUR ) ) "
        "( ( ENG FLT ( STP NCS ) ) HLD )",
        "SUB ( ( ENG AMY YOR ) HLD ) ( ( ENG FLT NTH ) SUP ( FRA AMY PIC ) MTO PAR ) "
        "( ( ENG FLT ( STP NCS ) ) HLD )",
        "SUB ( ( ENG AMY YOR ) CTO BEL VIA ( NTH ) ) ( ( ENG FLT NTH ) HLD ) "
        "( ( ENG FLT ( STP NCS ) ) HLD )",
        "SUB ( ( ENG AMY YOR ) HLD ) ( ( ENG FLT NTH ) HLD )"}) {
    EXPECT_FALSE(faults_of(*board, bad).empty()) << bad;
  }
}

TEST(OrderLegality, RefusesRetreatAndAdjustmentFaults) {
  auto board = testing::standard_board("ENG");
  ASSERT_EQ(
      board->set_position(parse("NOW ( AUT 1901 ) ( ENG AMY BEL MRT ( PIC HOL ) ) "
                                "( FRA AMY BEL ) ( ENG AMY RUH MRT ( HOL ) ) ( GER AMY RUH )")),
      -1);
  EXPECT_TRUE(faults_of(*board, "SUB ( ( ENG AMY BEL ) RTO PIC ) ( ( ENG AMY RUH ) DSB )").empty());
  EXPECT_FALSE(faults_of(*board, "SUB ( ( ENG AMY BEL ) RTO BUR )").empty());
  EXPECT_FALSE(
      faults_of(*board, "SUB ( ( ENG AMY BEL ) RTO HOL ) ( ( ENG AMY RUH ) RTO HOL )").empty());

  ASSERT_EQ(board->set_centres(parse("SCO ( ENG LON LVP EDI BEL )")), -1);
  ASSERT_EQ(board->set_position(parse("NOW ( WIN 1901 ) ( ENG AMY EDI )")), -1);
  ASSERT_EQ(board->adjustment_count, -3);
  EXPECT_TRUE(faults_of(*board, "SUB ( ( ENG FLT LON ) BLD ) ( ENG WVE ) ( ENG WVE )").empty());
  EXPECT_FALSE(faults_of(*board, "SUB ( ( ENG AMY EDI ) BLD )").empty());
  EXPECT_FALSE(faults_of(*board, "SUB ( ( ENG AMY BEL ) BLD )").empty());
  EXPECT_FALSE(faults_of(*board, "SUB ( ( ENG FLT LON ) BLD ) ( ( ENG AMY LON ) BLD )").empty());
  EXPECT_FALSE(faults_of(*board, "SUB ( ENG WVE ) ( ENG WVE ) ( ENG WVE ) ( ENG WVE )").empty());

  ASSERT_EQ(
      board->set_position(parse("NOW ( WIN 1901 ) ( ENG AMY EDI ) ( ENG AMY YOR ) "
                                "( ENG AMY WAL ) ( ENG FLT NTH ) ( ENG FLT ECH ) ( ENG FLT IRI )")),
      -1);
  ASSERT_EQ(board->adjustment_count, 2);
  EXPECT_FALSE(faults_of(*board, "SUB ( ( ENG FLT IRI ) REM )").empty());
  EXPECT_TRUE(faults_of(*board, "SUB ( ( ENG FLT IRI ) REM ) ( ( ENG AMY WAL ) REM )").empty());
}

}  // namespace
}  // namespace quorvel
