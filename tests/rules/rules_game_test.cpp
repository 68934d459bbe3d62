// The flow of phases, what the rules report after each, and the adjudicate command.
#include "rules/rules_game.h"

#include <gtest/gtest.h>

#include <sstream>

#include "protocol/tokens.h"
#include "rules/adjudicate_command.h"
#include "support/boards.h"
#include "support/datc.h"

namespace quorvel {
namespace {

using namespace tok;
using testing::Datc;
using testing::parse;

TEST(RulesGame, PhasesNobodyHasToPlayAreSkipped) {
  Datc d("SPR", "FRA: A PAR; GER: A MUN", "FRA: PAR; GER: MUN");
  d.orders({"FRA: A PAR - BUR"});
  d.process();
  EXPECT_EQ(d.season(), FAL);
  // Nobody is dislodged and no centre changes hands: straight to the next spring.
  d.process();
  EXPECT_EQ(d.season(), SPR);
  EXPECT_EQ(d.game.position().year, 1902);
}

TEST(RulesGame, AnAutumnCaptureLeadsToAWinterAndItsCentres) {
  Datc d("FAL", "FRA: A BUR; GER: A MUN");
  d.orders({"FRA: A BUR - BEL"});
  const auto outcome = d.game.process();
  EXPECT_TRUE(outcome.centres_updated);
  EXPECT_EQ(d.season(), WIN);
  EXPECT_EQ(d.game.position().owners[static_cast<std::size_t>(testing::province("BEL"))], FRA);
  EXPECT_TRUE(d.game.has_decisions(FRA.subtoken()));
  EXPECT_EQ(d.game.missing_message(FRA.subtoken()), parse("MIS ( -3 )"));
  EXPECT_TRUE(d.game.orders_missing(FRA.subtoken()));
  d.orders({"FRA: build A PAR", "FRA: waive", "FRA: waive"});
  EXPECT_FALSE(d.game.orders_missing(FRA.subtoken()));
  EXPECT_EQ(d.game.missing_message(FRA.subtoken()), parse("MIS"));
}

// A waive that arrives after its winter was processed is a race, not garbage.
TEST(RulesGame, OrdersOfAnotherSeasonAreNotTheRightSeason) {
  Datc spring("SPR", "FRA: A PAR");
  EXPECT_EQ(spring.order("FRA: waive"), NRS);
  EXPECT_EQ(spring.order("FRA: build A BRE"), NRS);
  EXPECT_EQ(spring.game.submit(FRA.subtoken(), parse("( FRA AMY PAR ) ( HLD )")), Token());
  Datc winter("WIN", "FRA: A BUR", "FRA: PAR BEL");
  EXPECT_EQ(winter.order("FRA: A BUR H"), NRS);
  EXPECT_EQ(winter.order("FRA: A BUR - PAR"), NRS);
  EXPECT_EQ(winter.order("FRA: waive"), MBV);
}

TEST(RulesGame, MissingOrdersOfEachPhase) {
  Datc d("SPR", "ENG: F NTH, A YOR; GER: F HEL, F SKA, F DEN");
  EXPECT_EQ(d.game.missing_message(ENG.subtoken()), parse("MIS ( ENG FLT NTH ) ( ENG AMY YOR )"));
  d.orders({"ENG: F NTH H", "GER: F HEL - NTH", "GER: F SKA S F HEL - NTH"});
  EXPECT_EQ(d.game.missing_message(ENG.subtoken()), parse("MIS ( ENG AMY YOR )"));
  EXPECT_TRUE(d.game.orders_missing(GER.subtoken()));
  d.process();
  ASSERT_EQ(d.season(), SUM);
  EXPECT_FALSE(d.game.has_decisions(GER.subtoken()));
  EXPECT_EQ(d.game.missing_message(ENG.subtoken()),
            parse("MIS ( ENG FLT NTH MRT ( ECH NWG BEL EDI HOL LON NWY ) )"));
}

TEST(RulesGame, ResultsNameEveryOrderWithItsOutcome) {
  Datc d("SPR", "ENG: F NTH, F LON; FRA: F ECH, A PIC");
  d.orders({"ENG: F NTH - ECH", "ENG: F LON S F NTH - ECH", "FRA: F ECH H"});
  const auto outcome = d.game.process();
  std::vector<std::string> texts;
  for (const TokenMessage& ord : outcome.results)
    texts.push_back(ord.to_text());
  EXPECT_EQ(texts,
            (std::vector<std::string>{
                "ORD ( SPR 1901 ) ( ( FRA FLT ECH ) HLD ) ( SUC RET ) ",
                "ORD ( SPR 1901 ) ( ( ENG FLT NTH ) MTO ECH ) ( SUC ) ",
                "ORD ( SPR 1901 ) ( ( FRA AMY PIC ) HLD ) ( SUC ) ",
                "ORD ( SPR 1901 ) ( ( ENG FLT LON ) SUP ( ENG FLT NTH ) MTO ECH ) ( SUC ) "}));
}

// A copy played on with orders already checked, as a look ahead plays it: the same
// results as values, no messages, and the original game untouched.
TEST(RulesGame, ACopyPlaysOnWithCheckedOrdersAndLeavesTheGameAsItWas) {
  Datc d("SPR", "ENG: F NTH, F LON; FRA: F ECH, A PIC");
  d.orders({"ENG: F NTH - ECH", "ENG: F LON S F NTH - ECH", "FRA: F ECH H"});
  rules::RulesGame copy = d.game;
  copy.set_movement_orders(d.game.orders());
  copy.keep_result_messages(false);
  const auto outcome = copy.process();
  EXPECT_TRUE(outcome.results.empty());
  ASSERT_EQ(outcome.orders.size(), 4u);
  EXPECT_EQ(outcome.orders.front().result, SUC);
  EXPECT_TRUE(outcome.orders.front().dislodged);
  EXPECT_EQ(copy.season(), SUM);
  EXPECT_EQ(&copy.map(), &d.game.map());
  EXPECT_EQ(d.season(), SPR);
  EXPECT_EQ(d.game.process().results.size(), 4u);
  EXPECT_EQ(d.game.position().units.size(), copy.position().units.size());
}

TEST(RulesGame, MoreThanHalfTheCentresWins) {
  Datc d("FAL", "FRA: A BUR",
         "FRA: BRE MAR PAR SPA POR BEL HOL KIE BER MUN DEN SWE NWY LON LVP EDI; ENG: TUN");
  d.orders({"FRA: A BUR - MUN"});
  EXPECT_EQ(d.game.process().winner, -1);
  Datc win("FAL", "FRA: A BUR, A PIC",
           "FRA: BRE MAR PAR SPA POR HOL KIE BER MUN DEN SWE NWY LON LVP EDI TUN RUM; ENG: BEL");
  win.orders({"FRA: A PIC - BEL"});
  EXPECT_EQ(win.game.process().winner, FRA.subtoken());
  EXPECT_EQ(win.game.winner(), FRA.subtoken());
}

TEST(AdjudicateCommand, OnePhaseFromText) {
  std::istringstream in(
      "NOW ( FAL 1901 ) ( FRA AMY BUR ) ( GER AMY MUN )\n"
      "SCO ( FRA BRE MAR PAR ) ( GER BER KIE MUN ) ( UNO BEL )\n"
      "SUB ( ( FRA AMY BUR ) MTO BEL ) ( ( GER AMY MUN ) MTO TYR ) ( ( GER AMY MUN ) MTO LON )\n");
  std::ostringstream out;
  std::ostringstream err;
  EXPECT_EQ(rules::run_adjudicate(in, out, err), 0);
  EXPECT_EQ(out.str(),
            "ORD ( FAL 1901 ) ( ( FRA AMY BUR ) MTO BEL ) ( SUC )\n"
            "ORD ( FAL 1901 ) ( ( GER AMY MUN ) MTO TYR ) ( SUC )\n"
            "SCO ( FRA PAR BEL BRE MAR ) ( GER MUN BER KIE ) ( UNO BUD MOS SER VIE WAR ANK CON "
            "DEN EDI GRE HOL LON LVP NAP NWY POR ROM RUM SEV SMY SWE TRI TUN VEN BUL SPA STP )\n"
            "NOW ( WIN 1901 ) ( GER AMY TYR ) ( FRA AMY BEL )\n");
  EXPECT_EQ(err.str(), "THX ( ( GER AMY MUN ) MTO LON ) ( FAR )\n");
}

TEST(AdjudicateCommand, BadInputIsRefusedWithExitStatusTwo) {
  for (const char* bad : {"SCO ( FRA PAR )\n", "NOW ( SPR 1901 ) ( FRA AMY PAR\n",
                          "NOW ( SPR 1901 ) ( FRA AMY PAR )\nNOW ( SPR 1901 )\n",
                          "NOW ( SPR 1901 ) ( FRA FLT PAR )\nSCO ( FRA PAR )\n",
                          "NOW ( SPR 1901 ) ( FRA AMY PAR )\nSCO ( FRA PAR )\nHLO ( FRA )\n",
                          "NOW ( SPR 1901 ) ( FRA AMY PAR )\nSCO ( FRA PAR )\nSUB ( FRA )\n", ""}) {
    std::istringstream in(bad);
    std::ostringstream out;
    std::ostringstream err;
    EXPECT_EQ(rules::run_adjudicate(in, out, err), 2) << bad;
    EXPECT_EQ(out.str(), "") << bad;
    EXPECT_NE(err.str().find("adjudicate: "), std::string::npos) << bad;
  }
}

TEST(AdjudicateCommand, AWinnerEndsWithSlo) {
  std::istringstream in(
      "NOW ( FAL 1901 ) ( FRA AMY BUR ) ( FRA AMY PIC )\n"
      "SCO ( FRA BRE MAR PAR SPA POR HOL KIE BER MUN DEN SWE NWY LON LVP EDI TUN RUM ) ( ENG BEL "
      ")\n"
      "SUB ( ( FRA AMY PIC ) MTO BEL )\n");
  std::ostringstream out;
  std::ostringstream err;
  EXPECT_EQ(rules::run_adjudicate(in, out, err), 0);
  EXPECT_NE(out.str().find("\nSLO ( FRA )\n"), std::string::npos) << out.str();
}

}  // namespace
}  // namespace quorvel
