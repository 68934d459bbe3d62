// The adjudicator test cases, sections 6.G (convoying to adjacent places) and 6.H
// (retreating). The order syntax says whether an army goes by convoy (CTO ... VIA) or
// over land (MTO), so intent is never guessed.
#include <gtest/gtest.h>

#include "protocol/tokens.h"
#include "support/datc.h"

namespace quorvel {
namespace {

using namespace tok;
using testing::Datc;

TEST(Datc6G, G01_TwoUnitsCanSwapPlacesByConvoy) {
  Datc d("SPR", "ENG: A NWY, F SKA; RUS: A SWE");
  d.orders({"ENG: A NWY - SWE via SKA", "ENG: F SKA C A NWY - SWE", "RUS: A SWE - NWY"});
  d.process();
  EXPECT_TRUE(d.has("ENG: A SWE"));
  EXPECT_TRUE(d.has("RUS: A NWY"));
}

TEST(Datc6G, G02_KidnappingAnArmy) {
  Datc d("SPR", "ENG: A NWY; RUS: F SWE; GER: F SKA");
  d.orders({"ENG: A NWY - SWE", "RUS: F SWE - NWY", "GER: F SKA C A NWY - SWE"});
  d.process();
  EXPECT_TRUE(d.has("ENG: A NWY"));
  EXPECT_TRUE(d.has("RUS: F SWE"));
  EXPECT_EQ(d.result("GER: F SKA"), NSO);
}

TEST(Datc6G, G03_KidnappingWithADisruptedConvoy) {
  Datc d("SPR", "FRA: F BRE, A PIC, A BUR, F MAO; ENG: F ECH");
  d.orders({"FRA: F BRE - ECH", "FRA: A PIC - BEL", "FRA: A BUR S A PIC - BEL",
            "FRA: F MAO S F BRE - ECH", "ENG: F ECH C A PIC - BEL"});
  d.process();
  EXPECT_TRUE(d.has("FRA: A BEL"));
  EXPECT_TRUE(d.dislodged("ENG: F ECH"));
}

TEST(Datc6G, G04_KidnappingWithADisruptedConvoyAndOppositeMove) {
  Datc d("SPR", "FRA: F BRE, A PIC, A BUR, F MAO; ENG: F ECH, A BEL");
  d.orders({"FRA: F BRE - ECH", "FRA: A PIC - BEL", "FRA: A BUR S A PIC - BEL",
            "FRA: F MAO S F BRE - ECH", "ENG: F ECH C A PIC - BEL", "ENG: A BEL - PIC"});
  d.process();
  EXPECT_TRUE(d.has("FRA: A BEL"));
  EXPECT_TRUE(d.dislodged("ENG: A BEL"));
  EXPECT_TRUE(d.dislodged("ENG: F ECH"));
}

TEST(Datc6G, G05_SwappingWithIntent) {
  Datc d("SPR", "ITA: A ROM, F TYS; TUR: A APU, F ION");
  d.orders({"ITA: A ROM - APU", "ITA: F TYS C A APU - ROM", "TUR: A APU - ROM via ION TYS",
            "TUR: F ION C A APU - ROM"});
  d.process();
  EXPECT_TRUE(d.has("ITA: A APU"));
  EXPECT_TRUE(d.has("TUR: A ROM"));
}

TEST(Datc6G, G06_SwappingWithUnintendedIntent) {
  Datc d("SPR", "ENG: A LVP, F ECH; GER: A EDI; FRA: F IRI, F NTH; RUS: F NWG, F NAO");
  d.orders({"ENG: A LVP - EDI", "ENG: F ECH C A LVP - EDI", "GER: A EDI - LVP", "FRA: F IRI H",
            "FRA: F NTH H", "RUS: F NWG C A LVP - EDI", "RUS: F NAO C A LVP - EDI"});
  d.process();
  EXPECT_TRUE(d.has("ENG: A LVP"));
  EXPECT_TRUE(d.has("GER: A EDI"));
}

TEST(Datc6G, G07_SwappingWithIllegalIntent) {
  Datc d("SPR", "ENG: F SKA, F NWY; RUS: A SWE, F GOB");
  d.orders({"ENG: F SKA C A SWE - NWY", "ENG: F NWY - SWE"});
  EXPECT_EQ(d.order("RUS: A SWE - NWY via GOB"), FAR);
  d.orders({"RUS: F GOB C A SWE - NWY"});
  d.process();
  EXPECT_TRUE(d.has("ENG: F NWY"));
  EXPECT_TRUE(d.has("RUS: A SWE"));
}

TEST(Datc6G, G08_ExplicitConvoyThatIsntThere) {
  Datc d("SPR", "FRA: A BEL; ENG: F NTH, A HOL");
  d.orders({"FRA: A BEL - HOL via NTH", "ENG: F NTH - HEL", "ENG: A HOL - KIE"});
  d.process();
  EXPECT_TRUE(d.has("FRA: A BEL"));
  EXPECT_EQ(d.result("FRA: A BEL"), DSR);
  EXPECT_TRUE(d.has("ENG: F HEL"));
  EXPECT_TRUE(d.has("ENG: A KIE"));
}

TEST(Datc6G, G09_SwappedOrDislodged) {
  Datc d("SPR", "ENG: A NWY, F SKA, F FIN; RUS: A SWE");
  d.orders({"ENG: A NWY - SWE via SKA", "ENG: F SKA C A NWY - SWE", "ENG: F FIN S A NWY - SWE",
            "RUS: A SWE - NWY"});
  d.process();
  EXPECT_TRUE(d.has("ENG: A SWE"));
  EXPECT_TRUE(d.has("RUS: A NWY"));
  EXPECT_FALSE(d.dislodged("RUS: A SWE"));
}

TEST(Datc6G, G10_SwappedOrAHeadToHeadBattle) {
  Datc d("SPR", "ENG: A NWY, F DEN, F FIN; GER: F SKA; RUS: A SWE, F BAR; FRA: F NWG, F NTH");
  d.orders({"ENG: A NWY - SWE", "ENG: F DEN S A NWY - SWE", "ENG: F FIN S A NWY - SWE",
            "GER: F SKA C A NWY - SWE", "RUS: A SWE - NWY", "RUS: F BAR S A SWE - NWY",
            "FRA: F NWG - NWY", "FRA: F NTH S F NWG - NWY"});
  d.process();
  EXPECT_TRUE(d.has("ENG: A SWE"));
  EXPECT_TRUE(d.dislodged("RUS: A SWE"));
  EXPECT_TRUE(d.has("FRA: F NWY"));
}

TEST(Datc6G, G11_AConvoyToAnAdjacentPlaceWithAParadox) {
  Datc d("SPR", "ENG: F NWY, F NTH; RUS: A SWE, F SKA, F BAR");
  d.orders({"ENG: F NWY S F NTH - SKA", "ENG: F NTH - SKA", "RUS: A SWE - NWY via SKA",
            "RUS: F SKA C A SWE - NWY", "RUS: F BAR S A SWE - NWY"});
  d.process();
  EXPECT_TRUE(d.dislodged("RUS: F SKA"));
  EXPECT_TRUE(d.has("ENG: F SKA"));
  EXPECT_TRUE(d.has("RUS: A SWE"));
}

TEST(Datc6G, G12_SwappingTwoUnitsWithTwoConvoys) {
  Datc d("SPR", "ENG: A LVP, F NAO, F NWG; GER: A EDI, F NTH, F ECH, F IRI");
  d.orders({"ENG: A LVP - EDI via NAO NWG", "ENG: F NAO C A LVP - EDI", "ENG: F NWG C A LVP - EDI",
            "GER: A EDI - LVP via NTH ECH IRI", "GER: F NTH C A EDI - LVP",
            "GER: F ECH C A EDI - LVP", "GER: F IRI C A EDI - LVP"});
  d.process();
  EXPECT_TRUE(d.has("ENG: A EDI"));
  EXPECT_TRUE(d.has("GER: A LVP"));
}

TEST(Datc6G, G13_SupportCutOnAttackOnItselfViaConvoy) {
  Datc d("SPR", "AUS: F ADR, A TRI; ITA: A VEN, F ALB");
  d.orders({"AUS: F ADR C A TRI - VEN", "AUS: A TRI - VEN via ADR", "ITA: A VEN S F ALB - TRI",
            "ITA: F ALB - TRI"});
  d.process();
  EXPECT_TRUE(d.dislodged("AUS: A TRI"));
  EXPECT_TRUE(d.has("ITA: F TRI"));
  EXPECT_TRUE(d.has("ITA: A VEN"));
}

TEST(Datc6G, G14_BounceByConvoyToAdjacentPlace) {
  Datc d("SPR", "ENG: A NWY, F DEN, F FIN; FRA: F NWG, F NTH; GER: F SKA; RUS: A SWE, F BAR");
  d.orders({"ENG: A NWY - SWE", "ENG: F DEN S A NWY - SWE", "ENG: F FIN S A NWY - SWE",
            "FRA: F NWG - NWY", "FRA: F NTH S F NWG - NWY", "GER: F SKA C A SWE - NWY",
            "RUS: A SWE - NWY via SKA", "RUS: F BAR S A SWE - NWY"});
  d.process();
  EXPECT_TRUE(d.has("ENG: A SWE"));
  EXPECT_TRUE(d.dislodged("RUS: A SWE"));
  EXPECT_TRUE(d.has("FRA: F NWG"));
}

TEST(Datc6G, G15_BounceAndDislodgeWithDoubleConvoy) {
  Datc d("SPR", "ENG: F NTH, A HOL, A YOR, A LON; FRA: F ECH, A BEL");
  d.orders({"ENG: F NTH C A LON - BEL", "ENG: A HOL S A LON - BEL", "ENG: A YOR - LON",
            "ENG: A LON - BEL via NTH", "FRA: F ECH C A BEL - LON", "FRA: A BEL - LON via ECH"});
  d.process();
  EXPECT_TRUE(d.has("ENG: A BEL"));
  EXPECT_TRUE(d.dislodged("FRA: A BEL"));
  EXPECT_TRUE(d.has("ENG: A YOR"));
}

TEST(Datc6G, G16_TheTwoUnitInOneAreaBugMovingByConvoy) {
  Datc d("SPR", "ENG: A NWY, A DEN, F BAL, F NTH; RUS: A SWE, F SKA, F NWG");
  d.orders({"ENG: A NWY - SWE", "ENG: A DEN S A NWY - SWE", "ENG: F BAL S A NWY - SWE",
            "ENG: F NTH - NWY", "RUS: A SWE - NWY via SKA", "RUS: F SKA C A SWE - NWY",
            "RUS: F NWG S A SWE - NWY"});
  d.process();
  EXPECT_TRUE(d.has("ENG: A SWE"));
  EXPECT_TRUE(d.has("RUS: A NWY"));
  EXPECT_TRUE(d.has("ENG: F NTH"));
}

TEST(Datc6G, G17_TheTwoUnitInOneAreaBugMovingOverLand) {
  Datc d("SPR", "ENG: A NWY, A DEN, F BAL, F SKA, F NTH; RUS: A SWE, F NWG");
  d.orders({"ENG: A NWY - SWE via SKA", "ENG: A DEN S A NWY - SWE", "ENG: F BAL S A NWY - SWE",
            "ENG: F SKA C A NWY - SWE", "ENG: F NTH - NWY", "RUS: A SWE - NWY",
            "RUS: F NWG S A SWE - NWY"});
  d.process();
  EXPECT_TRUE(d.has("ENG: A SWE"));
  EXPECT_TRUE(d.has("RUS: A NWY"));
  EXPECT_TRUE(d.has("ENG: F NTH"));
}

TEST(Datc6G, G18_TheTwoUnitInOneAreaBugWithDoubleConvoy) {
  Datc d("SPR", "ENG: F NTH, A HOL, A YOR, A LON, A RUH; FRA: F ECH, A BEL, A WAL");
  d.orders({"ENG: F NTH C A LON - BEL", "ENG: A HOL S A LON - BEL", "ENG: A YOR - LON",
            "ENG: A LON - BEL via NTH", "ENG: A RUH S A LON - BEL", "FRA: F ECH C A BEL - LON",
            "FRA: A BEL - LON via ECH", "FRA: A WAL S A BEL - LON"});
  d.process();
  EXPECT_TRUE(d.has("ENG: A BEL"));
  EXPECT_TRUE(d.has("FRA: A LON"));
  EXPECT_TRUE(d.has("ENG: A YOR"));
}

TEST(Datc6G, G20_ExplicitConvoyToAdjacentProvinceDisrupted) {
  Datc d("SPR", "FRA: A BRE, F MAO; ENG: F ECH, F IRI");
  d.orders({"FRA: A BRE - GAS via MAO", "FRA: F MAO C A BRE - GAS", "ENG: F ECH S F IRI - MAO",
            "ENG: F IRI - MAO"});
  d.process();
  EXPECT_TRUE(d.dislodged("FRA: F MAO"));
  EXPECT_TRUE(d.has("FRA: A BRE"));
}

TEST(Datc6H, H01_NoSupportsDuringRetreat) {
  Datc d("SPR", "AUS: F TRI, A SER; TUR: F GRE; ITA: A VEN, A TYR, F ION, F AEG");
  d.orders({"AUS: F TRI H", "AUS: A SER H", "TUR: F GRE H", "ITA: A VEN S A TYR - TRI",
            "ITA: A TYR - TRI", "ITA: F ION - GRE", "ITA: F AEG S F ION - GRE"});
  d.process();
  ASSERT_EQ(d.season(), SUM);
  d.orders({"AUS: F TRI R ALB", "TUR: F GRE R ALB"});
  EXPECT_NE(d.order("AUS: A SER S F TRI - ALB"), MBV);
  d.process();
  EXPECT_FALSE(d.has("AUS: F ALB"));
  EXPECT_FALSE(d.has("TUR: F ALB"));
  EXPECT_EQ(d.result("AUS: F TRI"), BNC);
}

TEST(Datc6H, H02_NoSupportsFromRetreatingUnit) {
  Datc d("SPR", "ENG: A LVP, F YOR, F NWY; GER: A KIE, A RUH; RUS: F EDI, A SWE, A FIN, F HOL");
  d.orders({"ENG: A LVP - EDI", "ENG: F YOR S A LVP - EDI", "ENG: F NWY H",
            "GER: A KIE S A RUH - HOL", "GER: A RUH - HOL", "RUS: F EDI H",
            "RUS: A SWE S A FIN - NWY", "RUS: A FIN - NWY", "RUS: F HOL H"});
  d.process();
  ASSERT_EQ(d.season(), SUM);
  d.orders({"ENG: F NWY R NTH", "RUS: F EDI R NTH"});
  EXPECT_NE(d.order("RUS: F HOL S F EDI - NTH"), MBV);
  d.process();
  EXPECT_FALSE(d.has("ENG: F NTH"));
  EXPECT_FALSE(d.has("RUS: F NTH"));
}

TEST(Datc6H, H03_NoConvoyDuringRetreat) {
  Datc d("SPR", "ENG: F NTH, A HOL; GER: F KIE, A RUH");
  d.orders({"ENG: F NTH H", "ENG: A HOL H", "GER: F KIE S A RUH - HOL", "GER: A RUH - HOL"});
  d.process();
  ASSERT_EQ(d.season(), SUM);
  EXPECT_EQ(d.order("ENG: A HOL R YOR"), NVR);
  EXPECT_NE(d.order("ENG: F NTH C A HOL - YOR"), MBV);
  d.process();
  EXPECT_FALSE(d.has("ENG: A YOR"));
  EXPECT_EQ(d.game.position().unit_count(ENG.subtoken()), 1);
}

TEST(Datc6H, H04_NoOtherMovesDuringRetreat) {
  Datc d("SPR", "ENG: F NTH, A HOL; GER: F KIE, A RUH");
  d.orders({"ENG: F NTH H", "ENG: A HOL H", "GER: F KIE S A RUH - HOL", "GER: A RUH - HOL"});
  d.process();
  d.orders({"ENG: A HOL R BEL"});
  EXPECT_EQ(d.order("ENG: F NTH - NWG"), NRN);
  d.process();
  EXPECT_TRUE(d.has("ENG: A BEL"));
  EXPECT_TRUE(d.has("ENG: F NTH"));
}

TEST(Datc6H, H05_AUnitMayNotRetreatToTheAreaFromWhichItIsAttacked) {
  Datc d("SPR", "RUS: F CON, F BLA; TUR: F ANK");
  d.orders({"RUS: F CON S F BLA - ANK", "RUS: F BLA - ANK", "TUR: F ANK H"});
  d.process();
  EXPECT_EQ(d.retreats("TUR: F ANK"), (std::set<std::string>{"ARM"}));
  EXPECT_EQ(d.order("TUR: F ANK R BLA"), NVR);
  d.process();
  EXPECT_EQ(d.game.position().unit_count(TUR.subtoken()), 0);
}

TEST(Datc6H, H06_UnitMayNotRetreatToAContestedArea) {
  Datc d("SPR", "AUS: A BUD, A TRI; GER: A MUN, A SIL; ITA: A VIE");
  d.orders({"AUS: A BUD S A TRI - VIE", "AUS: A TRI - VIE", "GER: A MUN - BOH", "GER: A SIL - BOH",
            "ITA: A VIE H"});
  d.process();
  EXPECT_FALSE(d.retreats("ITA: A VIE").count("BOH"));
  EXPECT_EQ(d.order("ITA: A VIE R BOH"), NVR);
  d.process();
  EXPECT_EQ(d.game.position().unit_count(ITA.subtoken()), 0);
}

TEST(Datc6H, H07_MultipleRetreatToSameAreaWillDisbandUnits) {
  Datc d("SPR", "AUS: A BUD, A TRI; GER: A MUN, A SIL; ITA: A VIE, A BOH");
  d.orders({"AUS: A BUD S A TRI - VIE", "AUS: A TRI - VIE", "GER: A MUN S A SIL - BOH",
            "GER: A SIL - BOH", "ITA: A VIE H", "ITA: A BOH H"});
  d.process();
  d.orders({"ITA: A BOH R TYR", "ITA: A VIE R TYR"});
  d.process();
  EXPECT_EQ(d.game.position().unit_count(ITA.subtoken()), 0);
}

TEST(Datc6H, H08_TripleRetreatToSameAreaWillDisbandUnits) {
  Datc d("SPR", "ENG: A LVP, F YOR, F NWY; GER: A KIE, A RUH; RUS: F EDI, A SWE, A FIN, F HOL");
  d.orders({"ENG: A LVP - EDI", "ENG: F YOR S A LVP - EDI", "ENG: F NWY H",
            "GER: A KIE S A RUH - HOL", "GER: A RUH - HOL", "RUS: F EDI H",
            "RUS: A SWE S A FIN - NWY", "RUS: A FIN - NWY", "RUS: F HOL H"});
  d.process();
  d.orders({"ENG: F NWY R NTH", "RUS: F EDI R NTH", "RUS: F HOL R NTH"});
  d.process();
  EXPECT_FALSE(d.has("ENG: F NTH"));
  EXPECT_FALSE(d.has("RUS: F NTH"));
  EXPECT_EQ(d.game.position().unit_count(RUS.subtoken()), 2);
}

TEST(Datc6H, H09_DislodgedUnitWillNotMakeAttackersAreaContested) {
  Datc d("SPR", "ENG: F HEL, F DEN; GER: A BER, F KIE, A SIL; RUS: A PRU");
  d.orders({"ENG: F HEL - KIE", "ENG: F DEN S F HEL - KIE", "GER: A BER - PRU", "GER: F KIE H",
            "GER: A SIL S A BER - PRU", "RUS: A PRU - BER"});
  d.process();
  d.orders({"GER: F KIE R BER"});
  d.process();
  EXPECT_TRUE(d.has("GER: F BER"));
}

TEST(Datc6H, H10_NotRetreatingToAttackerDoesNotMeanContested) {
  Datc d("SPR", "ENG: A KIE; GER: A BER, A MUN, A PRU; RUS: A WAR, A SIL");
  d.orders({"ENG: A KIE H", "GER: A BER - KIE", "GER: A MUN S A BER - KIE", "GER: A PRU H",
            "RUS: A WAR - PRU", "RUS: A SIL S A WAR - PRU"});
  d.process();
  EXPECT_EQ(d.order("ENG: A KIE R BER"), NVR);
  d.orders({"GER: A PRU R BER"});
  d.process();
  EXPECT_TRUE(d.has("GER: A BER"));
  EXPECT_EQ(d.game.position().unit_count(ENG.subtoken()), 0);
}

TEST(Datc6H, H11_RetreatWhenDislodgedByAdjacentConvoy) {
  Datc d("SPR", "FRA: A GAS, A BUR, F MAO, F WES, F GOL; ITA: A MAR");
  d.orders({"FRA: A GAS - MAR via MAO WES GOL", "FRA: A BUR S A GAS - MAR",
            "FRA: F MAO C A GAS - MAR", "FRA: F WES C A GAS - MAR", "FRA: F GOL C A GAS - MAR",
            "ITA: A MAR H"});
  d.process();
  ASSERT_TRUE(d.dislodged("ITA: A MAR"));
  d.orders({"ITA: A MAR R GAS"});
  d.process();
  EXPECT_TRUE(d.has("ITA: A GAS"));
}

TEST(Datc6H, H13_NoRetreatWithConvoyInMainPhase) {
  Datc d("SPR", "ENG: A PIC, F ECH; FRA: A PAR, A BRE");
  d.orders(
      {"ENG: A PIC H", "ENG: F ECH C A PIC - LON", "FRA: A PAR - PIC", "FRA: A BRE S A PAR - PIC"});
  d.process();
  EXPECT_EQ(d.order("ENG: A PIC R LON"), NVR);
  d.process();
  EXPECT_EQ(d.game.position().unit_count(ENG.subtoken()), 1);
}

TEST(Datc6H, H14_NoRetreatWithSupportInMainPhase) {
  Datc d("SPR", "ENG: A PIC, F ECH; FRA: A PAR, A BRE, A BUR; GER: A MUN, A MAR");
  d.orders({"ENG: A PIC H", "ENG: F ECH S A PIC - BEL", "FRA: A PAR - PIC",
            "FRA: A BRE S A PAR - PIC", "FRA: A BUR H", "GER: A MUN S A MAR - BUR",
            "GER: A MAR - BUR"});
  d.process();
  d.orders({"ENG: A PIC R BEL", "FRA: A BUR R BEL"});
  d.process();
  EXPECT_FALSE(d.has("ENG: A BEL"));
  EXPECT_FALSE(d.has("FRA: A BEL"));
}

TEST(Datc6H, H15_NoCoastalCrawlInRetreat) {
  Datc d("SPR", "ENG: F POR; FRA: F SPA/SC, F MAO");
  d.orders({"ENG: F POR H", "FRA: F SPA/SC - POR", "FRA: F MAO S F SPA/SC - POR"});
  d.process();
  // Neither coast of Spain, the attacker's origin, is open: with no retreat at all the
  // fleet is disbanded at once and no retreat phase follows.
  EXPECT_TRUE(d.dislodged("ENG: F POR"));
  EXPECT_EQ(d.season(), FAL);
  EXPECT_EQ(d.game.position().unit_count(ENG.subtoken()), 0);
}

TEST(Datc6H, H16_ContestedForBothCoasts) {
  Datc d("SPR", "FRA: F MAO, F GAS, F WES; ITA: F TUN, F TYS");
  d.orders({"FRA: F MAO - SPA/NC", "FRA: F GAS - SPA/NC", "FRA: F WES H",
            "ITA: F TUN S F TYS - WES", "ITA: F TYS - WES"});
  d.process();
  EXPECT_EQ(d.order("FRA: F WES R SPA/SC"), NVR);
  d.process();
  EXPECT_TRUE(d.has("ITA: F WES"));
  EXPECT_FALSE(d.has("FRA: F SPA/SC"));
}

}  // namespace
}  // namespace quorvel
