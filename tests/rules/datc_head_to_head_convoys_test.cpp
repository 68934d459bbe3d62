// The adjudicator test cases, sections 6.E (head to head battles and beleaguered
// garrisons) and 6.F (convoys). Convoy paradoxes follow the Szykman rule.
#include <gtest/gtest.h>

#include "protocol/tokens.h"
#include "support/datc.h"

namespace quorvel {
namespace {

using namespace tok;
using testing::Datc;

TEST(Datc6E, E01_DislodgedUnitHasNoEffectOnAttackersArea) {
  Datc d("SPR", "GER: A BER, F KIE, A SIL; RUS: A PRU");
  d.orders(
      {"GER: A BER - PRU", "GER: F KIE - BER", "GER: A SIL S A BER - PRU", "RUS: A PRU - BER"});
  d.process();
  EXPECT_TRUE(d.has("GER: A PRU"));
  EXPECT_TRUE(d.has("GER: F BER"));
  EXPECT_TRUE(d.dislodged("RUS: A PRU"));
}

TEST(Datc6E, E02_NoSelfDislodgementInHeadToHeadBattle) {
  Datc d("SPR", "GER: A BER, F KIE, A MUN");
  d.orders({"GER: A BER - KIE", "GER: F KIE - BER", "GER: A MUN S A BER - KIE"});
  d.process();
  EXPECT_TRUE(d.has("GER: A BER"));
  EXPECT_TRUE(d.has("GER: F KIE"));
}

TEST(Datc6E, E03_NoHelpInDislodgingOwnUnit) {
  Datc d("SPR", "GER: A BER, A MUN; ENG: F KIE");
  d.orders({"GER: A BER - KIE", "GER: A MUN S F KIE - BER", "ENG: F KIE - BER"});
  d.process();
  EXPECT_TRUE(d.has("GER: A BER"));
  EXPECT_TRUE(d.has("ENG: F KIE"));
}

TEST(Datc6E, E04_NonDislodgedLoserHasStillEffect) {
  Datc d(
      "SPR",
      "GER: F HOL, F HEL, F SKA; FRA: F NTH, F BEL; ENG: F EDI, F YOR, F NWG; AUS: A KIE, A RUH");
  d.orders({"GER: F HOL - NTH", "GER: F HEL S F HOL - NTH", "GER: F SKA S F HOL - NTH",
            "FRA: F NTH - HOL", "FRA: F BEL S F NTH - HOL", "ENG: F EDI S F NWG - NTH",
            "ENG: F YOR S F NWG - NTH", "ENG: F NWG - NTH", "AUS: A KIE S A RUH - HOL",
            "AUS: A RUH - HOL"});
  d.process();
  EXPECT_TRUE(d.has("GER: F HOL"));
  EXPECT_TRUE(d.has("FRA: F NTH"));
  EXPECT_TRUE(d.has("ENG: F NWG"));
  EXPECT_TRUE(d.has("AUS: A RUH"));
}

TEST(Datc6E, E05_LoserDislodgedByAnotherArmyHasStillEffect) {
  Datc d("SPR",
         "GER: F HOL, F HEL, F SKA; FRA: F NTH, F BEL; ENG: F EDI, F YOR, F NWG, F LON; "
         "AUS: A KIE, A RUH");
  d.orders({"GER: F HOL - NTH", "GER: F HEL S F HOL - NTH", "GER: F SKA S F HOL - NTH",
            "FRA: F NTH - HOL", "FRA: F BEL S F NTH - HOL", "ENG: F EDI S F NWG - NTH",
            "ENG: F YOR S F NWG - NTH", "ENG: F NWG - NTH", "ENG: F LON S F NWG - NTH",
            "AUS: A KIE S A RUH - HOL", "AUS: A RUH - HOL"});
  d.process();
  EXPECT_TRUE(d.dislodged("FRA: F NTH"));
  EXPECT_TRUE(d.has("ENG: F NTH"));
  EXPECT_TRUE(d.has("GER: F HOL"));
  EXPECT_TRUE(d.has("AUS: A RUH"));
}

TEST(Datc6E, E06_NotDislodgedBecauseOfOwnSupportHasStillEffect) {
  Datc d("SPR", "GER: F HOL, F HEL; FRA: F NTH, F BEL, F ECH; AUS: A KIE, A RUH");
  d.orders({"GER: F HOL - NTH", "GER: F HEL S F HOL - NTH", "FRA: F NTH - HOL",
            "FRA: F BEL S F NTH - HOL", "FRA: F ECH S F HOL - NTH", "AUS: A KIE S A RUH - HOL",
            "AUS: A RUH - HOL"});
  d.process();
  EXPECT_TRUE(d.has("GER: F HOL"));
  EXPECT_TRUE(d.has("FRA: F NTH"));
  EXPECT_TRUE(d.has("AUS: A RUH"));
}

TEST(Datc6E, E07_NoSelfDislodgementWithBeleagueredGarrison) {
  Datc d("SPR", "ENG: F NTH, F YOR; GER: F HOL, F HEL; RUS: F SKA, F NWY");
  d.orders({"ENG: F NTH H", "ENG: F YOR S F NWY - NTH", "GER: F HOL S F HEL - NTH",
            "GER: F HEL - NTH", "RUS: F SKA S F NWY - NTH", "RUS: F NWY - NTH"});
  d.process();
  EXPECT_TRUE(d.has("ENG: F NTH"));
  EXPECT_TRUE(d.has("GER: F HEL"));
  EXPECT_TRUE(d.has("RUS: F NWY"));
}

TEST(Datc6E, E08_NoSelfDislodgementWithBeleagueredGarrisonAndHeadToHeadBattle) {
  Datc d("SPR", "ENG: F NTH, F YOR; GER: F HOL, F HEL; RUS: F SKA, F NWY");
  d.orders({"ENG: F NTH - NWY", "ENG: F YOR S F NWY - NTH", "GER: F HOL S F HEL - NTH",
            "GER: F HEL - NTH", "RUS: F SKA S F NWY - NTH", "RUS: F NWY - NTH"});
  d.process();
  EXPECT_TRUE(d.has("ENG: F NTH"));
  EXPECT_TRUE(d.has("GER: F HEL"));
  EXPECT_TRUE(d.has("RUS: F NWY"));
}

TEST(Datc6E, E09_AlmostSelfDislodgementWithBeleagueredGarrison) {
  Datc d("SPR", "ENG: F NTH, F YOR; GER: F HOL, F HEL; RUS: F SKA, F NWY");
  d.orders({"ENG: F NTH - NWG", "ENG: F YOR S F NWY - NTH", "GER: F HOL S F HEL - NTH",
            "GER: F HEL - NTH", "RUS: F SKA S F NWY - NTH", "RUS: F NWY - NTH"});
  d.process();
  EXPECT_TRUE(d.has("ENG: F NWG"));
  EXPECT_TRUE(d.has("RUS: F NTH"));
  EXPECT_TRUE(d.has("GER: F HEL"));
}

TEST(Datc6E, E10_AlmostCircularMovementWithNoSelfDislodgementWithBeleagueredGarrison) {
  Datc d("SPR", "ENG: F NTH, F YOR; GER: F HOL, F HEL, F DEN; RUS: F SKA, F NWY");
  d.orders({"ENG: F NTH - DEN", "ENG: F YOR S F NWY - NTH", "GER: F HOL S F HEL - NTH",
            "GER: F HEL - NTH", "GER: F DEN - HEL", "RUS: F SKA S F NWY - NTH",
            "RUS: F NWY - NTH"});
  d.process();
  EXPECT_TRUE(d.has("ENG: F NTH"));
  EXPECT_TRUE(d.has("GER: F HEL"));
  EXPECT_TRUE(d.has("GER: F DEN"));
  EXPECT_TRUE(d.has("RUS: F NWY"));
}

TEST(Datc6E,
     E11_NoSelfDislodgementWithBeleagueredGarrisonUnitSwapWithAdjacentConvoyingAndTwoCoasts) {
  Datc d("SPR", "FRA: A SPA, F MAO, F GOL; GER: A MAR, A GAS; ITA: F POR, F WES");
  d.orders({"FRA: A SPA - POR via MAO", "FRA: F MAO C A SPA - POR", "FRA: F GOL S F POR - SPA",
            "GER: A MAR S A GAS - SPA", "GER: A GAS - SPA", "ITA: F POR - SPA/NC",
            "ITA: F WES S F POR - SPA"});
  d.process();
  EXPECT_TRUE(d.has("FRA: A POR"));
  EXPECT_TRUE(d.has("ITA: F SPA/NC"));
  EXPECT_TRUE(d.has("GER: A GAS"));
}

TEST(Datc6E, E12_SupportOnAttackOnOwnUnitCanBeUsedForOtherMeans) {
  Datc d("SPR", "AUS: A BUD, A SER; ITA: A VIE; RUS: A GAL, A RUM");
  d.orders({"AUS: A BUD - RUM", "AUS: A SER S A VIE - BUD", "ITA: A VIE - BUD", "RUS: A GAL - BUD",
            "RUS: A RUM S A GAL - BUD"});
  d.process();
  EXPECT_TRUE(d.has("AUS: A BUD"));
  EXPECT_TRUE(d.has("ITA: A VIE"));
  EXPECT_TRUE(d.has("RUS: A GAL"));
}

TEST(Datc6E, E13_ThreeWayBeleagueredGarrison) {
  Datc d("SPR", "ENG: F EDI, F YOR; FRA: F BEL, F ECH; GER: F NTH; RUS: F NWG, F NWY");
  d.orders({"ENG: F EDI S F YOR - NTH", "ENG: F YOR - NTH", "FRA: F BEL - NTH",
            "FRA: F ECH S F BEL - NTH", "GER: F NTH H", "RUS: F NWG - NTH",
            "RUS: F NWY S F NWG - NTH"});
  d.process();
  EXPECT_TRUE(d.has("GER: F NTH"));
  EXPECT_TRUE(d.has("ENG: F YOR"));
  EXPECT_TRUE(d.has("FRA: F BEL"));
  EXPECT_TRUE(d.has("RUS: F NWG"));
}

TEST(Datc6E, E14_IllegalHeadToHeadBattleCanStillDefend) {
  Datc d("SPR", "ENG: A LVP; RUS: F EDI");
  d.orders({"ENG: A LVP - EDI"});
  EXPECT_EQ(d.order("RUS: F EDI - LVP"), FAR);
  d.process();
  EXPECT_TRUE(d.has("ENG: A LVP"));
  EXPECT_TRUE(d.has("RUS: F EDI"));
}

TEST(Datc6E, E15_TheFriendlyHeadToHeadBattle) {
  Datc d(
      "SPR",
      "ENG: F HOL, A RUH; FRA: A KIE, A MUN, A SIL; GER: A BER, F DEN, F HEL; RUS: F BAL, A PRU");
  d.orders({"ENG: F HOL S A RUH - KIE", "ENG: A RUH - KIE", "FRA: A KIE - BER",
            "FRA: A MUN S A KIE - BER", "FRA: A SIL S A KIE - BER", "GER: A BER - KIE",
            "GER: F DEN S A BER - KIE", "GER: F HEL S A BER - KIE", "RUS: F BAL S A PRU - BER",
            "RUS: A PRU - BER"});
  d.process();
  EXPECT_TRUE(d.has("FRA: A KIE"));
  EXPECT_TRUE(d.has("GER: A BER"));
  EXPECT_TRUE(d.has("ENG: A RUH"));
  EXPECT_TRUE(d.has("RUS: A PRU"));
}

TEST(Datc6F, F01_NoConvoyInCoastalAreas) {
  Datc d("SPR", "TUR: A GRE, F AEG, F CON, F BLA");
  EXPECT_EQ(d.order("TUR: A GRE - SEV via AEG CON BLA"), NAS);
  EXPECT_EQ(d.order("TUR: F CON C A GRE - SEV"), NAS);
  d.orders({"TUR: F AEG C A GRE - SEV", "TUR: F BLA C A GRE - SEV"});
  d.process();
  EXPECT_TRUE(d.has("TUR: A GRE"));
}

TEST(Datc6F, F02_AnArmyBeingConvoyedCanBounceAsNormal) {
  Datc d("SPR", "ENG: F ECH, A LON; FRA: A PAR");
  d.orders({"ENG: F ECH C A LON - BRE", "ENG: A LON - BRE via ECH", "FRA: A PAR - BRE"});
  d.process();
  EXPECT_TRUE(d.has("ENG: A LON"));
  EXPECT_TRUE(d.has("FRA: A PAR"));
}

TEST(Datc6F, F03_AnArmyBeingConvoyedCanReceiveSupport) {
  Datc d("SPR", "ENG: F ECH, A LON, F MAO; FRA: A PAR");
  d.orders({"ENG: F ECH C A LON - BRE", "ENG: A LON - BRE via ECH", "ENG: F MAO S A LON - BRE",
            "FRA: A PAR - BRE"});
  d.process();
  EXPECT_TRUE(d.has("ENG: A BRE"));
  EXPECT_TRUE(d.has("FRA: A PAR"));
}

TEST(Datc6F, F04_AnAttackedConvoyIsNotDisrupted) {
  Datc d("SPR", "ENG: F NTH, A LON; GER: F SKA");
  d.orders({"ENG: F NTH C A LON - HOL", "ENG: A LON - HOL via NTH", "GER: F SKA - NTH"});
  d.process();
  EXPECT_TRUE(d.has("ENG: A HOL"));
  EXPECT_TRUE(d.has("ENG: F NTH"));
}

TEST(Datc6F, F05_ABeleagueredConvoyIsNotDisrupted) {
  Datc d("SPR", "ENG: F NTH, A LON; FRA: F ECH, F BEL; GER: F SKA, F DEN");
  d.orders({"ENG: F NTH C A LON - HOL", "ENG: A LON - HOL via NTH", "FRA: F ECH - NTH",
            "FRA: F BEL S F ECH - NTH", "GER: F SKA - NTH", "GER: F DEN S F SKA - NTH"});
  d.process();
  EXPECT_TRUE(d.has("ENG: A HOL"));
  EXPECT_TRUE(d.has("ENG: F NTH"));
}

TEST(Datc6F, F06_DislodgedConvoyDoesNotCutSupport) {
  Datc d("SPR", "ENG: F NTH, A LON; GER: A HOL, A BEL, F HEL, F SKA; FRA: A PIC, A BUR");
  d.orders({"ENG: F NTH C A LON - HOL", "ENG: A LON - HOL via NTH", "GER: A HOL S A BEL",
            "GER: A BEL S A HOL", "GER: F HEL S F SKA - NTH", "GER: F SKA - NTH",
            "FRA: A PIC - BEL", "FRA: A BUR S A PIC - BEL"});
  d.process();
  EXPECT_TRUE(d.dislodged("ENG: F NTH"));
  EXPECT_TRUE(d.has("ENG: A LON"));
  EXPECT_TRUE(d.has("GER: A BEL"));
  EXPECT_TRUE(d.has("FRA: A PIC"));
}

TEST(Datc6F, F07_DislodgedConvoyDoesNotCauseContestedArea) {
  Datc d("SPR", "ENG: F NTH, A LON; GER: F HEL, F SKA");
  d.orders({"ENG: F NTH C A LON - HOL", "ENG: A LON - HOL via NTH", "GER: F HEL S F SKA - NTH",
            "GER: F SKA - NTH"});
  d.process();
  ASSERT_TRUE(d.dislodged("ENG: F NTH"));
  EXPECT_TRUE(d.retreats("ENG: F NTH").count("HOL"));
  d.orders({"ENG: F NTH R HOL"});
  d.process();
  EXPECT_TRUE(d.has("ENG: F HOL"));
}

TEST(Datc6F, F08_DislodgedConvoyDoesNotCauseABounce) {
  Datc d("SPR", "ENG: F NTH, A LON; GER: F HEL, F SKA, A BEL");
  d.orders({"ENG: F NTH C A LON - HOL", "ENG: A LON - HOL via NTH", "GER: F HEL S F SKA - NTH",
            "GER: F SKA - NTH", "GER: A BEL - HOL"});
  d.process();
  EXPECT_TRUE(d.has("GER: A HOL"));
  EXPECT_TRUE(d.has("ENG: A LON"));
}

TEST(Datc6F, F09_DislodgeOfMultiRouteConvoy) {
  Datc d("SPR", "ENG: F ECH, F NTH, A LON; FRA: F BRE, F MAO");
  d.orders({"ENG: F ECH C A LON - BEL", "ENG: F NTH C A LON - BEL", "ENG: A LON - BEL via ECH",
            "FRA: F BRE S F MAO - ECH", "FRA: F MAO - ECH"});
  d.process();
  EXPECT_TRUE(d.dislodged("ENG: F ECH"));
  EXPECT_TRUE(d.has("ENG: A BEL"));
}

TEST(Datc6F, F10_DislodgeOfMultiRouteConvoyWithForeignFleet) {
  Datc d("SPR", "ENG: F NTH, A LON; GER: F ECH; FRA: F BRE, F MAO");
  d.orders({"ENG: F NTH C A LON - BEL", "ENG: A LON - BEL via ECH", "GER: F ECH C A LON - BEL",
            "FRA: F BRE S F MAO - ECH", "FRA: F MAO - ECH"});
  d.process();
  EXPECT_TRUE(d.dislodged("GER: F ECH"));
  EXPECT_TRUE(d.has("ENG: A BEL"));
}

TEST(Datc6F, F11_DislodgeOfMultiRouteConvoyWithOnlyForeignFleets) {
  Datc d("SPR", "ENG: A LON; GER: F ECH; RUS: F NTH; FRA: F BRE, F MAO");
  d.orders({"ENG: A LON - BEL via ECH", "GER: F ECH C A LON - BEL", "RUS: F NTH C A LON - BEL",
            "FRA: F BRE S F MAO - ECH", "FRA: F MAO - ECH"});
  d.process();
  EXPECT_TRUE(d.dislodged("GER: F ECH"));
  EXPECT_TRUE(d.has("ENG: A BEL"));
}

TEST(Datc6F, F12_DislodgedConvoyingFleetNotOnRoute) {
  Datc d("SPR", "ENG: F ECH, A LON, F IRI; FRA: F NAO, F MAO");
  d.orders({"ENG: F ECH C A LON - BEL", "ENG: A LON - BEL via ECH", "ENG: F IRI C A LON - BEL",
            "FRA: F NAO S F MAO - IRI", "FRA: F MAO - IRI"});
  d.process();
  EXPECT_TRUE(d.dislodged("ENG: F IRI"));
  EXPECT_TRUE(d.has("ENG: A BEL"));
}

TEST(Datc6F, F13_TheUnwantedAlternative) {
  Datc d("SPR", "ENG: A LON, F NTH; FRA: F ECH; GER: F HOL, F DEN");
  d.orders({"ENG: A LON - BEL via NTH", "ENG: F NTH C A LON - BEL", "FRA: F ECH C A LON - BEL",
            "GER: F HOL S F DEN - NTH", "GER: F DEN - NTH"});
  d.process();
  EXPECT_TRUE(d.dislodged("ENG: F NTH"));
  EXPECT_TRUE(d.has("ENG: A BEL"));
}

TEST(Datc6F, F14_SimpleConvoyParadox) {
  Datc d("SPR", "ENG: F LON, F WAL; FRA: A BRE, F ECH");
  d.orders({"ENG: F LON S F WAL - ECH", "ENG: F WAL - ECH", "FRA: A BRE - LON via ECH",
            "FRA: F ECH C A BRE - LON"});
  d.process();
  EXPECT_TRUE(d.dislodged("FRA: F ECH"));
  EXPECT_TRUE(d.has("ENG: F ECH"));
  EXPECT_TRUE(d.has("FRA: A BRE"));
  EXPECT_EQ(d.result("ENG: F LON"), SUC);
}

TEST(Datc6F, F15_SimpleConvoyParadoxWithAdditionalConvoy) {
  Datc d("SPR", "ENG: F LON, F WAL; FRA: A BRE, F ECH; ITA: F IRI, F MAO, A NAF");
  d.orders({"ENG: F LON S F WAL - ECH", "ENG: F WAL - ECH", "FRA: A BRE - LON via ECH",
            "FRA: F ECH C A BRE - LON", "ITA: F IRI C A NAF - WAL", "ITA: F MAO C A NAF - WAL",
            "ITA: A NAF - WAL via MAO IRI"});
  d.process();
  EXPECT_TRUE(d.dislodged("FRA: F ECH"));
  EXPECT_TRUE(d.has("ENG: F ECH"));
  EXPECT_TRUE(d.has("ITA: A WAL"));
}

TEST(Datc6F, F16_PandinsParadox) {
  Datc d("SPR", "ENG: F LON, F WAL; FRA: A BRE, F ECH; GER: F NTH, F BEL");
  d.orders({"ENG: F LON S F WAL - ECH", "ENG: F WAL - ECH", "FRA: A BRE - LON via ECH",
            "FRA: F ECH C A BRE - LON", "GER: F NTH S F BEL - ECH", "GER: F BEL - ECH"});
  d.process();
  EXPECT_TRUE(d.has("FRA: F ECH"));
  EXPECT_TRUE(d.has("ENG: F WAL"));
  EXPECT_TRUE(d.has("GER: F BEL"));
  EXPECT_TRUE(d.has("FRA: A BRE"));
}

TEST(Datc6F, F17_PandinsExtendedParadox) {
  Datc d("SPR", "ENG: F LON, F WAL; FRA: A BRE, F ECH, F YOR; GER: F NTH, F BEL");
  d.orders({"ENG: F LON S F WAL - ECH", "ENG: F WAL - ECH", "FRA: A BRE - LON via ECH",
            "FRA: F ECH C A BRE - LON", "FRA: F YOR S A BRE - LON", "GER: F NTH S F BEL - ECH",
            "GER: F BEL - ECH"});
  d.process();
  EXPECT_TRUE(d.has("FRA: F ECH"));
  EXPECT_TRUE(d.has("ENG: F LON"));
  EXPECT_TRUE(d.has("ENG: F WAL"));
  EXPECT_TRUE(d.has("GER: F BEL"));
}

TEST(Datc6F, F18_BetrayalParadox) {
  Datc d("SPR", "ENG: F NTH, A LON, F ECH; FRA: F BEL; GER: F HEL, F SKA");
  d.orders({"ENG: F NTH C A LON - BEL", "ENG: A LON - BEL via NTH", "ENG: F ECH S A LON - BEL",
            "FRA: F BEL S F NTH", "GER: F HEL S F SKA - NTH", "GER: F SKA - NTH"});
  d.process();
  EXPECT_TRUE(d.has("ENG: F NTH"));
  EXPECT_TRUE(d.has("ENG: A LON"));
  EXPECT_TRUE(d.has("FRA: F BEL"));
  EXPECT_TRUE(d.has("GER: F SKA"));
}

TEST(Datc6F, F19_MultiRouteConvoyDisruptionParadox) {
  Datc d("SPR", "FRA: A TUN, F TYS, F ION; ITA: F NAP, F ROM");
  d.orders({"FRA: A TUN - NAP via TYS", "FRA: F TYS C A TUN - NAP", "FRA: F ION C A TUN - NAP",
            "ITA: F NAP S F ROM - TYS", "ITA: F ROM - TYS"});
  d.process();
  EXPECT_TRUE(d.has("FRA: A TUN"));
  EXPECT_TRUE(d.has("FRA: F TYS"));
  EXPECT_TRUE(d.has("ITA: F ROM"));
}

TEST(Datc6F, F20_UnwantedMultiRouteConvoyParadox) {
  Datc d("SPR", "FRA: A TUN, F TYS; ITA: F NAP, F ION; TUR: F AEG, F EAS");
  d.orders({"FRA: A TUN - NAP via TYS", "FRA: F TYS C A TUN - NAP", "ITA: F NAP S F ION",
            "ITA: F ION C A TUN - NAP", "TUR: F AEG S F EAS - ION", "TUR: F EAS - ION"});
  d.process();
  EXPECT_TRUE(d.dislodged("ITA: F ION"));
  EXPECT_TRUE(d.has("TUR: F ION"));
  EXPECT_TRUE(d.has("FRA: A TUN"));
}

TEST(Datc6F, F21_DadsArmyConvoy) {
  Datc d("SPR", "RUS: A EDI, F NWG, A NWY; FRA: F IRI, F MAO; ENG: A LVP, F NAO, F CLY");
  d.orders({"RUS: A EDI S A NWY - CLY", "RUS: F NWG C A NWY - CLY", "RUS: A NWY - CLY via NWG",
            "FRA: F IRI S F MAO - NAO", "FRA: F MAO - NAO", "ENG: A LVP - CLY via NAO",
            "ENG: F NAO C A LVP - CLY", "ENG: F CLY S F NAO"});
  d.process();
  EXPECT_TRUE(d.dislodged("ENG: F CLY"));
  EXPECT_TRUE(d.has("RUS: A CLY"));
  EXPECT_TRUE(d.dislodged("ENG: F NAO"));
  EXPECT_TRUE(d.has("ENG: A LVP"));
}

TEST(Datc6F, F22_SecondOrderParadoxWithTwoResolutions) {
  Datc d("SPR", "ENG: F EDI, F LON; FRA: A BRE, F ECH; GER: F BEL, F PIC; RUS: A NWY, F NTH");
  d.orders({"ENG: F EDI - NTH", "ENG: F LON S F EDI - NTH", "FRA: A BRE - LON via ECH",
            "FRA: F ECH C A BRE - LON", "GER: F BEL S F PIC - ECH", "GER: F PIC - ECH",
            "RUS: A NWY - BEL via NTH", "RUS: F NTH C A NWY - BEL"});
  d.process();
  EXPECT_TRUE(d.dislodged("RUS: F NTH"));
  EXPECT_TRUE(d.has("ENG: F NTH"));
  EXPECT_TRUE(d.dislodged("FRA: F ECH"));
  EXPECT_TRUE(d.has("GER: F ECH"));
  EXPECT_TRUE(d.has("FRA: A BRE"));
  EXPECT_TRUE(d.has("RUS: A NWY"));
}

TEST(Datc6F, F23_SecondOrderParadoxWithTwoExclusiveConvoys) {
  Datc d("SPR",
         "ENG: F EDI, F YOR; FRA: A BRE, F ECH; GER: F BEL, F LON; ITA: F MAO, F IRI; "
         "RUS: A NWY, F NTH");
  d.orders({"ENG: F EDI - NTH", "ENG: F YOR S F EDI - NTH", "FRA: A BRE - LON via ECH",
            "FRA: F ECH C A BRE - LON", "GER: F BEL S F ECH", "GER: F LON S F NTH",
            "ITA: F MAO - ECH", "ITA: F IRI S F MAO - ECH", "RUS: A NWY - BEL via NTH",
            "RUS: F NTH C A NWY - BEL"});
  d.process();
  EXPECT_TRUE(d.has("RUS: F NTH"));
  EXPECT_TRUE(d.has("FRA: F ECH"));
  EXPECT_TRUE(d.has("ENG: F EDI"));
  EXPECT_TRUE(d.has("ITA: F MAO"));
  EXPECT_TRUE(d.has("FRA: A BRE"));
  EXPECT_TRUE(d.has("RUS: A NWY"));
}

TEST(Datc6F, F24_SecondOrderParadoxWithNoResolution) {
  Datc d("SPR", "ENG: F EDI, F LON, F IRI, F MAO; FRA: A BRE, F ECH, F BEL; RUS: A NWY, F NTH");
  d.orders({"ENG: F EDI - NTH", "ENG: F LON S F EDI - NTH", "ENG: F IRI - ECH",
            "ENG: F MAO S F IRI - ECH", "FRA: A BRE - LON via ECH", "FRA: F ECH C A BRE - LON",
            "FRA: F BEL S F ECH", "RUS: A NWY - BEL via NTH", "RUS: F NTH C A NWY - BEL"});
  d.process();
  EXPECT_TRUE(d.dislodged("RUS: F NTH"));
  EXPECT_TRUE(d.has("ENG: F NTH"));
  EXPECT_TRUE(d.has("FRA: F ECH"));
  EXPECT_TRUE(d.has("ENG: F IRI"));
  EXPECT_TRUE(d.has("FRA: A BRE"));
  EXPECT_TRUE(d.has("RUS: A NWY"));
}

}  // namespace
}  // namespace quorvel
