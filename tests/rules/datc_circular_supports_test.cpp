// The adjudicator test cases, sections 6.C (circular movement) and 6.D (supports and
// dislodges).
#include <gtest/gtest.h>

#include "protocol/tokens.h"
#include "support/datc.h"

namespace quorvel {
namespace {

using namespace tok;
using testing::Datc;

TEST(Datc6C, C01_ThreeArmyCircularMovement) {
  Datc d("SPR", "TUR: F ANK, A CON, A SMY");
  d.orders({"TUR: F ANK - CON", "TUR: A CON - SMY", "TUR: A SMY - ANK"});
  d.process();
  EXPECT_TRUE(d.has("TUR: F CON"));
  EXPECT_TRUE(d.has("TUR: A SMY"));
  EXPECT_TRUE(d.has("TUR: A ANK"));
}

TEST(Datc6C, C02_ThreeArmyCircularMovementWithSupport) {
  Datc d("SPR", "TUR: F ANK, A CON, A SMY, A BUL");
  d.orders(
      {"TUR: F ANK - CON", "TUR: A CON - SMY", "TUR: A SMY - ANK", "TUR: A BUL S F ANK - CON"});
  d.process();
  EXPECT_TRUE(d.has("TUR: F CON"));
  EXPECT_TRUE(d.has("TUR: A SMY"));
  EXPECT_TRUE(d.has("TUR: A ANK"));
}

TEST(Datc6C, C03_ADisruptedThreeArmyCircularMovement) {
  Datc d("SPR", "TUR: F ANK, A CON, A SMY, A BUL");
  d.orders({"TUR: F ANK - CON", "TUR: A CON - SMY", "TUR: A SMY - ANK", "TUR: A BUL - CON"});
  d.process();
  EXPECT_TRUE(d.has("TUR: F ANK"));
  EXPECT_TRUE(d.has("TUR: A CON"));
  EXPECT_TRUE(d.has("TUR: A SMY"));
  EXPECT_TRUE(d.has("TUR: A BUL"));
}

TEST(Datc6C, C04_ACircularMovementWithAttackedConvoy) {
  Datc d("SPR", "AUS: A TRI, A SER; TUR: A BUL, F AEG, F ION, F ADR; ITA: F NAP");
  d.orders({"AUS: A TRI - SER", "AUS: A SER - BUL", "TUR: A BUL - TRI via AEG ION ADR",
            "TUR: F AEG C A BUL - TRI", "TUR: F ION C A BUL - TRI", "TUR: F ADR C A BUL - TRI",
            "ITA: F NAP - ION"});
  d.process();
  EXPECT_TRUE(d.has("AUS: A SER"));
  EXPECT_TRUE(d.has("AUS: A BUL"));
  EXPECT_TRUE(d.has("TUR: A TRI"));
  EXPECT_TRUE(d.has("ITA: F NAP"));
}

TEST(Datc6C, C05_ADisruptedCircularMovementDueToDislodgedConvoy) {
  Datc d("SPR", "AUS: A TRI, A SER; TUR: A BUL, F AEG, F ION, F ADR; ITA: F NAP, F TUN");
  d.orders({"AUS: A TRI - SER", "AUS: A SER - BUL", "TUR: A BUL - TRI via AEG ION ADR",
            "TUR: F AEG C A BUL - TRI", "TUR: F ION C A BUL - TRI", "TUR: F ADR C A BUL - TRI",
            "ITA: F NAP - ION", "ITA: F TUN S F NAP - ION"});
  d.process();
  EXPECT_TRUE(d.has("AUS: A TRI"));
  EXPECT_TRUE(d.has("AUS: A SER"));
  EXPECT_TRUE(d.has("TUR: A BUL"));
  EXPECT_TRUE(d.dislodged("TUR: F ION"));
  EXPECT_TRUE(d.has("ITA: F ION"));
}

TEST(Datc6C, C06_TwoArmiesWithTwoConvoys) {
  Datc d("SPR", "ENG: F NTH, A LON; FRA: F ECH, A BEL");
  d.orders({"ENG: F NTH C A LON - BEL", "ENG: A LON - BEL via NTH", "FRA: F ECH C A BEL - LON",
            "FRA: A BEL - LON via ECH"});
  d.process();
  EXPECT_TRUE(d.has("ENG: A BEL"));
  EXPECT_TRUE(d.has("FRA: A LON"));
}

TEST(Datc6C, C07_DisruptedUnitSwap) {
  Datc d("SPR", "ENG: F NTH, A LON; FRA: F ECH, A BEL, A BUR");
  d.orders({"ENG: F NTH C A LON - BEL", "ENG: A LON - BEL via NTH", "FRA: F ECH C A BEL - LON",
            "FRA: A BEL - LON via ECH", "FRA: A BUR - BEL"});
  d.process();
  EXPECT_TRUE(d.has("ENG: A LON"));
  EXPECT_TRUE(d.has("FRA: A BEL"));
  EXPECT_TRUE(d.has("FRA: A BUR"));
}

TEST(Datc6D, D01_SupportedHoldCanPreventDislodgement) {
  Datc d("SPR", "AUS: F ADR, A TRI; ITA: A VEN, A TYR");
  d.orders({"AUS: F ADR S A TRI - VEN", "AUS: A TRI - VEN", "ITA: A VEN H", "ITA: A TYR S A VEN"});
  d.process();
  EXPECT_TRUE(d.has("ITA: A VEN"));
  EXPECT_TRUE(d.has("AUS: A TRI"));
}

TEST(Datc6D, D02_AMoveCutsSupportOnHold) {
  Datc d("SPR", "AUS: F ADR, A TRI, A VIE; ITA: A VEN, A TYR");
  d.orders({"AUS: F ADR S A TRI - VEN", "AUS: A TRI - VEN", "AUS: A VIE - TYR", "ITA: A VEN H",
            "ITA: A TYR S A VEN"});
  d.process();
  EXPECT_TRUE(d.has("AUS: A VEN"));
  EXPECT_TRUE(d.dislodged("ITA: A VEN"));
  EXPECT_EQ(d.result("ITA: A TYR"), CUT);
}

TEST(Datc6D, D03_AMoveCutsSupportOnMove) {
  Datc d("SPR", "AUS: F ADR, A TRI; ITA: A VEN, F ION");
  d.orders({"AUS: F ADR S A TRI - VEN", "AUS: A TRI - VEN", "ITA: A VEN H", "ITA: F ION - ADR"});
  d.process();
  EXPECT_TRUE(d.has("ITA: A VEN"));
  EXPECT_TRUE(d.has("AUS: A TRI"));
  EXPECT_EQ(d.result("AUS: F ADR"), CUT);
}

TEST(Datc6D, D04_SupportToHoldOnUnitSupportingAHoldAllowed) {
  Datc d("SPR", "GER: A BER, F KIE; RUS: F BAL, A PRU");
  d.orders(
      {"GER: A BER S F KIE", "GER: F KIE S A BER", "RUS: F BAL S A PRU - BER", "RUS: A PRU - BER"});
  d.process();
  EXPECT_TRUE(d.has("GER: A BER"));
  EXPECT_TRUE(d.has("RUS: A PRU"));
}

TEST(Datc6D, D05_SupportToHoldOnUnitSupportingAMoveAllowed) {
  Datc d("SPR", "GER: A BER, F KIE, A MUN; RUS: F BAL, A PRU");
  d.orders({"GER: A BER S A MUN - SIL", "GER: F KIE S A BER", "GER: A MUN - SIL",
            "RUS: F BAL S A PRU - BER", "RUS: A PRU - BER"});
  d.process();
  EXPECT_TRUE(d.has("GER: A BER"));
  EXPECT_TRUE(d.has("GER: A SIL"));
  EXPECT_TRUE(d.has("RUS: A PRU"));
}

TEST(Datc6D, D06_SupportToHoldOnConvoyingUnitAllowed) {
  Datc d("SPR", "GER: A BER, F BAL, F PRU; RUS: F LVN, F GOB");
  d.orders({"GER: A BER - SWE via BAL", "GER: F BAL C A BER - SWE", "GER: F PRU S F BAL",
            "RUS: F LVN - BAL", "RUS: F GOB S F LVN - BAL"});
  d.process();
  EXPECT_TRUE(d.has("GER: A SWE"));
  EXPECT_TRUE(d.has("GER: F BAL"));
}

TEST(Datc6D, D07_SupportToHoldOnMovingUnitNotAllowed) {
  Datc d("SPR", "GER: F BAL, F PRU; RUS: F LVN, F GOB, A FIN");
  d.orders({"GER: F BAL - SWE", "GER: F PRU S F BAL", "RUS: F LVN - BAL",
            "RUS: F GOB S F LVN - BAL", "RUS: A FIN - SWE"});
  d.process();
  EXPECT_EQ(d.result("GER: F PRU"), NSO);
  EXPECT_TRUE(d.dislodged("GER: F BAL"));
  EXPECT_TRUE(d.has("RUS: F BAL"));
  EXPECT_TRUE(d.has("RUS: A FIN"));
}

TEST(Datc6D, D08_FailedConvoyCanNotReceiveHoldSupport) {
  // The Greek army's move by convoy through a sea whose fleet does not convoy fails;
  // being ordered to move, it cannot be supported to hold.
  Datc d("SPR", "AUS: F ION, A SER, A ALB; TUR: A GRE, A BUL");
  d.orders({"AUS: F ION H", "AUS: A SER S A ALB - GRE", "AUS: A ALB - GRE",
            "TUR: A GRE - NAP via ION", "TUR: A BUL S A GRE"});
  d.process();
  EXPECT_TRUE(d.dislodged("TUR: A GRE"));
  EXPECT_TRUE(d.has("AUS: A GRE"));
}

TEST(Datc6D, D09_SupportToMoveOnHoldingUnitNotAllowed) {
  Datc d("SPR", "ITA: A VEN, A TYR; AUS: A ALB, A TRI");
  d.orders(
      {"ITA: A VEN - TRI", "ITA: A TYR S A VEN - TRI", "AUS: A ALB S A TRI - SER", "AUS: A TRI H"});
  d.process();
  EXPECT_TRUE(d.dislodged("AUS: A TRI"));
  EXPECT_TRUE(d.has("ITA: A TRI"));
}

TEST(Datc6D, D10_SelfDislodgmentProhibited) {
  Datc d("SPR", "GER: A BER, F KIE, A MUN");
  d.orders({"GER: A BER H", "GER: F KIE - BER", "GER: A MUN S F KIE - BER"});
  d.process();
  EXPECT_TRUE(d.has("GER: A BER"));
  EXPECT_TRUE(d.has("GER: F KIE"));
}

TEST(Datc6D, D11_NoSelfDislodgmentOfReturningUnit) {
  Datc d("SPR", "GER: A BER, F KIE, A MUN; RUS: A WAR");
  d.orders(
      {"GER: A BER - PRU", "GER: F KIE - BER", "GER: A MUN S F KIE - BER", "RUS: A WAR - PRU"});
  d.process();
  EXPECT_TRUE(d.has("GER: A BER"));
  EXPECT_TRUE(d.has("GER: F KIE"));
  EXPECT_TRUE(d.has("RUS: A WAR"));
}

TEST(Datc6D, D12_SupportingAForeignUnitToDislodgeOwnUnitProhibited) {
  Datc d("SPR", "AUS: F TRI, A VIE; ITA: A VEN");
  d.orders({"AUS: F TRI H", "AUS: A VIE S A VEN - TRI", "ITA: A VEN - TRI"});
  d.process();
  EXPECT_TRUE(d.has("AUS: F TRI"));
  EXPECT_TRUE(d.has("ITA: A VEN"));
}

TEST(Datc6D, D13_SupportingAForeignUnitToDislodgeAReturningOwnUnitProhibited) {
  Datc d("SPR", "AUS: F TRI, A VIE; ITA: A VEN, F APU");
  d.orders(
      {"AUS: F TRI - ADR", "AUS: A VIE S A VEN - TRI", "ITA: A VEN - TRI", "ITA: F APU - ADR"});
  d.process();
  EXPECT_TRUE(d.has("AUS: F TRI"));
  EXPECT_TRUE(d.has("ITA: A VEN"));
  EXPECT_TRUE(d.has("ITA: F APU"));
}

TEST(Datc6D, D14_SupportingAForeignUnitIsNotEnoughToPreventDislodgement) {
  Datc d("SPR", "AUS: F TRI, A VIE; ITA: A VEN, A TYR, F ADR");
  d.orders({"AUS: F TRI H", "AUS: A VIE S A VEN - TRI", "ITA: A VEN - TRI",
            "ITA: A TYR S A VEN - TRI", "ITA: F ADR S A VEN - TRI"});
  d.process();
  EXPECT_TRUE(d.dislodged("AUS: F TRI"));
  EXPECT_TRUE(d.has("ITA: A TRI"));
}

TEST(Datc6D, D15_DefenderCanNotCutSupportForAttackOnItself) {
  Datc d("SPR", "RUS: F CON, F BLA; TUR: F ANK");
  d.orders({"RUS: F CON S F BLA - ANK", "RUS: F BLA - ANK", "TUR: F ANK - CON"});
  d.process();
  EXPECT_TRUE(d.dislodged("TUR: F ANK"));
  EXPECT_TRUE(d.has("RUS: F ANK"));
}

TEST(Datc6D, D16_ConvoyingAUnitDislodgingAUnitOfSamePowerIsAllowed) {
  Datc d("SPR", "ENG: A LON, F NTH; FRA: F ECH, A BEL");
  d.orders({"ENG: A LON H", "ENG: F NTH C A BEL - LON", "FRA: F ECH S A BEL - LON",
            "FRA: A BEL - LON via NTH"});
  d.process();
  EXPECT_TRUE(d.dislodged("ENG: A LON"));
  EXPECT_TRUE(d.has("FRA: A LON"));
}

TEST(Datc6D, D17_DislodgementCutsSupports) {
  Datc d("SPR", "RUS: F CON, F BLA; TUR: F ANK, A SMY, A ARM");
  d.orders({"RUS: F CON S F BLA - ANK", "RUS: F BLA - ANK", "TUR: F ANK - CON",
            "TUR: A SMY S F ANK - CON", "TUR: A ARM - ANK"});
  d.process();
  EXPECT_TRUE(d.dislodged("RUS: F CON"));
  EXPECT_TRUE(d.has("TUR: F CON"));
  EXPECT_TRUE(d.has("RUS: F BLA"));
  EXPECT_TRUE(d.has("TUR: A ARM"));
}

TEST(Datc6D, D18_ASurvivingUnitWillSustainSupport) {
  Datc d("SPR", "RUS: F CON, F BLA, A BUL; TUR: F ANK, A SMY, A ARM");
  d.orders({"RUS: F CON S F BLA - ANK", "RUS: F BLA - ANK", "RUS: A BUL S F CON",
            "TUR: F ANK - CON", "TUR: A SMY S F ANK - CON", "TUR: A ARM - ANK"});
  d.process();
  EXPECT_TRUE(d.has("RUS: F CON"));
  EXPECT_TRUE(d.has("RUS: F ANK"));
  EXPECT_TRUE(d.dislodged("TUR: F ANK"));
}

TEST(Datc6D, D19_EvenWhenSurvivingIsInAlternativeWay) {
  Datc d("SPR", "RUS: F CON, F BLA, A SMY; TUR: F ANK");
  d.orders({"RUS: F CON S F BLA - ANK", "RUS: F BLA - ANK", "RUS: A SMY S F ANK - CON",
            "TUR: F ANK - CON"});
  d.process();
  EXPECT_TRUE(d.has("RUS: F CON"));
  EXPECT_TRUE(d.has("RUS: F ANK"));
  EXPECT_TRUE(d.dislodged("TUR: F ANK"));
}

TEST(Datc6D, D20_UnitCanNotCutSupportOfItsOwnCountry) {
  Datc d("SPR", "ENG: F LON, F NTH, A YOR; FRA: F ECH");
  d.orders({"ENG: F LON S F NTH - ECH", "ENG: F NTH - ECH", "ENG: A YOR - LON", "FRA: F ECH H"});
  d.process();
  EXPECT_TRUE(d.dislodged("FRA: F ECH"));
  EXPECT_TRUE(d.has("ENG: F ECH"));
}

TEST(Datc6D, D21_DislodgingDoesNotCancelASupportCut) {
  Datc d("SPR", "AUS: F TRI; ITA: A VEN, A TYR; GER: A MUN; RUS: A SIL, A BER");
  d.orders({"AUS: F TRI H", "ITA: A VEN - TRI", "ITA: A TYR S A VEN - TRI", "GER: A MUN - TYR",
            "RUS: A SIL - MUN", "RUS: A BER S A SIL - MUN"});
  d.process();
  EXPECT_TRUE(d.has("AUS: F TRI"));
  EXPECT_TRUE(d.has("ITA: A VEN"));
  EXPECT_TRUE(d.dislodged("GER: A MUN"));
  EXPECT_EQ(d.result("ITA: A TYR"), CUT);
}

TEST(Datc6D, D22_ImpossibleFleetMoveCanNotBeSupported) {
  Datc d("SPR", "GER: F KIE, A BUR; RUS: A MUN, A BER");
  EXPECT_EQ(d.order("GER: F KIE - MUN"), FAR);
  EXPECT_EQ(d.order("GER: A BUR S F KIE - MUN"), FAR);
  d.orders({"RUS: A MUN - KIE", "RUS: A BER S A MUN - KIE"});
  d.process();
  EXPECT_TRUE(d.dislodged("GER: F KIE"));
  EXPECT_TRUE(d.has("RUS: A KIE"));
}

TEST(Datc6D, D23_ImpossibleCoastMoveCanNotBeSupported) {
  Datc d("SPR", "ITA: F GOL, F WES; FRA: F SPA/NC, F MAR");
  d.orders({"ITA: F GOL - SPA/SC", "ITA: F WES S F GOL - SPA"});
  EXPECT_EQ(d.order("FRA: F SPA/NC - GOL"), FAR);
  EXPECT_EQ(d.order("FRA: F MAR S F SPA/NC - GOL"), FAR);
  d.process();
  EXPECT_TRUE(d.dislodged("FRA: F SPA/NC"));
  EXPECT_TRUE(d.has("ITA: F SPA/SC"));
}

TEST(Datc6D, D24_ImpossibleArmyMoveCanNotBeSupported) {
  Datc d("SPR", "FRA: A MAR, F SPA/SC; ITA: F GOL; TUR: F TYS, F WES");
  EXPECT_EQ(d.order("FRA: A MAR - GOL"), FAR);
  EXPECT_EQ(d.order("FRA: F SPA/SC S A MAR - GOL"), FAR);
  d.orders({"ITA: F GOL H", "TUR: F TYS S F WES - GOL", "TUR: F WES - GOL"});
  d.process();
  EXPECT_TRUE(d.dislodged("ITA: F GOL"));
  EXPECT_TRUE(d.has("TUR: F GOL"));
}

TEST(Datc6D, D25_FailingHoldSupportCanBeSupported) {
  Datc d("SPR", "GER: A BER, F KIE; RUS: F BAL, A PRU");
  d.orders(
      {"GER: A BER S A PRU", "GER: F KIE S A BER", "RUS: F BAL S A PRU - BER", "RUS: A PRU - BER"});
  d.process();
  EXPECT_TRUE(d.has("GER: A BER"));
  EXPECT_TRUE(d.has("RUS: A PRU"));
}

TEST(Datc6D, D26_FailingMoveSupportCanBeSupported) {
  Datc d("SPR", "GER: A BER, F KIE; RUS: F BAL, A PRU");
  d.orders({"GER: A BER S A PRU - SIL", "GER: F KIE S A BER", "RUS: F BAL S A PRU - BER",
            "RUS: A PRU - BER"});
  d.process();
  EXPECT_TRUE(d.has("GER: A BER"));
  EXPECT_TRUE(d.has("RUS: A PRU"));
}

TEST(Datc6D, D27_FailingConvoyCanBeSupported) {
  Datc d("SPR", "ENG: F SWE, F DEN; GER: A BER; RUS: F BAL, F PRU");
  d.orders({"ENG: F SWE - BAL", "ENG: F DEN S F SWE - BAL", "GER: A BER H",
            "RUS: F BAL C A BER - LVN", "RUS: F PRU S F BAL"});
  d.process();
  EXPECT_TRUE(d.has("RUS: F BAL"));
  EXPECT_TRUE(d.has("ENG: F SWE"));
}

TEST(Datc6D, D28_ImpossibleMoveAndSupport) {
  Datc d("SPR", "AUS: A BUD; RUS: F RUM; TUR: F BLA, A BUL");
  d.orders({"AUS: A BUD S F RUM"});
  EXPECT_EQ(d.order("RUS: F RUM - HOL"), FAR);
  d.orders({"TUR: F BLA - RUM", "TUR: A BUL S F BLA - RUM"});
  d.process();
  EXPECT_TRUE(d.has("RUS: F RUM"));
  EXPECT_TRUE(d.has("TUR: F BLA"));
}

TEST(Datc6D, D29_MoveToImpossibleCoastAndSupport) {
  Datc d("SPR", "AUS: A BUD; RUS: F RUM; TUR: F BLA, A BUL");
  d.orders({"AUS: A BUD S F RUM"});
  EXPECT_EQ(d.order("RUS: F RUM - BUL/SC"), FAR);
  d.orders({"TUR: F BLA - RUM", "TUR: A BUL S F BLA - RUM"});
  d.process();
  EXPECT_TRUE(d.has("RUS: F RUM"));
  EXPECT_TRUE(d.has("TUR: F BLA"));
}

TEST(Datc6D, D30_MoveWithoutCoastAndSupport) {
  Datc d("SPR", "ITA: F AEG; RUS: F CON; TUR: F BLA, A BUL");
  d.orders({"ITA: F AEG S F CON"});
  EXPECT_EQ(d.order("RUS: F CON - BUL"), CST);
  d.orders({"TUR: F BLA - CON", "TUR: A BUL S F BLA - CON"});
  d.process();
  EXPECT_TRUE(d.has("RUS: F CON"));
  EXPECT_TRUE(d.has("TUR: F BLA"));
}

TEST(Datc6D, D31_ATrickyImpossibleSupport) {
  // The army's move needs a convoy and is no adjacent move: refused. The support is
  // taken (the army could be carried) but supports nothing.
  Datc d("SPR", "AUS: A RUM; TUR: F BLA");
  EXPECT_EQ(d.order("AUS: A RUM - ARM"), FAR);
  d.orders({"TUR: F BLA S A RUM - ARM"});
  d.process();
  EXPECT_TRUE(d.has("AUS: A RUM"));
  EXPECT_EQ(d.result("TUR: F BLA"), NSO);
}

TEST(Datc6D, D32_AMissingFleet) {
  Datc d("SPR", "ENG: F EDI, A LVP; FRA: F LON; GER: A YOR");
  d.orders({"ENG: F EDI S A LVP - YOR", "ENG: A LVP - YOR", "FRA: F LON S A YOR"});
  EXPECT_EQ(d.order("GER: A YOR - HOL"), FAR);
  d.process();
  EXPECT_TRUE(d.has("GER: A YOR"));
  EXPECT_TRUE(d.has("ENG: A LVP"));
}

TEST(Datc6D, D33_UnwantedSupportAllowed) {
  Datc d("SPR", "AUS: A SER, A VIE; RUS: A GAL; TUR: A BUL");
  d.orders(
      {"AUS: A SER - BUD", "AUS: A VIE - BUD", "RUS: A GAL S A SER - BUD", "TUR: A BUL - SER"});
  d.process();
  EXPECT_TRUE(d.has("AUS: A BUD"));
  EXPECT_TRUE(d.has("AUS: A VIE"));
  EXPECT_TRUE(d.has("TUR: A SER"));
}

TEST(Datc6D, D34_SupportTargetingOwnAreaNotAllowed) {
  Datc d("SPR", "GER: A BER, A SIL, F BAL; ITA: A PRU; RUS: A WAR, A LVN");
  d.orders({"GER: A BER - PRU", "GER: A SIL S A BER - PRU", "GER: F BAL S A BER - PRU"});
  EXPECT_EQ(d.order("ITA: A PRU S A LVN - PRU"), FAR);
  d.orders({"RUS: A WAR S A LVN - PRU", "RUS: A LVN - PRU"});
  d.process();
  EXPECT_TRUE(d.dislodged("ITA: A PRU"));
  EXPECT_TRUE(d.has("GER: A PRU"));
  EXPECT_TRUE(d.has("RUS: A LVN"));
}

}  // namespace
}  // namespace quorvel
