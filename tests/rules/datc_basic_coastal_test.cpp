// The adjudicator test cases, sections 6.A (basic checks) and 6.B (coastal issues).
// Orders the cases call illegal are refused when submitted, with the note a server gives.
#include <gtest/gtest.h>

#include "protocol/tokens.h"
#include "support/datc.h"
#include "support/messages.h"

namespace quorvel {
namespace {

using namespace tok;
using testing::Datc;

TEST(Datc6A, A01_MovingToAnAreaThatIsNotANeighbour) {
  Datc d("SPR", "ENG: F NTH");
  EXPECT_EQ(d.order("ENG: F NTH - PIC"), FAR);
  d.process();
  EXPECT_TRUE(d.has("ENG: F NTH"));
}

TEST(Datc6A, A02_MoveArmyToSea) {
  Datc d("SPR", "ENG: A LVP");
  EXPECT_EQ(d.order("ENG: A LVP - IRI"), FAR);
  d.process();
  EXPECT_TRUE(d.has("ENG: A LVP"));
}

TEST(Datc6A, A03_MoveFleetToLand) {
  Datc d("SPR", "GER: F KIE");
  EXPECT_EQ(d.order("GER: F KIE - MUN"), FAR);
  d.process();
  EXPECT_TRUE(d.has("GER: F KIE"));
}

TEST(Datc6A, A04_MoveToOwnSector) {
  Datc d("SPR", "GER: F KIE");
  EXPECT_EQ(d.order("GER: F KIE - KIE"), FAR);
  d.process();
  EXPECT_TRUE(d.has("GER: F KIE"));
}

TEST(Datc6A, A05_MoveToOwnSectorWithConvoy) {
  Datc d("SPR", "ENG: F NTH, A YOR, A LVP; GER: F LON, A WAL");
  EXPECT_EQ(d.order("ENG: F NTH C A YOR - YOR"), FAR);
  EXPECT_EQ(d.order("ENG: A YOR - YOR via NTH"), FAR);
  EXPECT_EQ(d.order("ENG: A LVP S A YOR - YOR"), FAR);
  d.orders({"GER: F LON - YOR", "GER: A WAL S F LON - YOR"});
  d.process();
  EXPECT_TRUE(d.has("GER: F YOR"));
  EXPECT_TRUE(d.dislodged("ENG: A YOR"));
}

TEST(Datc6A, A06_OrderingAUnitOfAnotherCountry) {
  Datc d("SPR", "ENG: F LON");
  EXPECT_EQ(d.game.submit(GER.subtoken(), testing::parse("( ENG FLT LON ) MTO NTH")), NYU);
  d.process();
  EXPECT_TRUE(d.has("ENG: F LON"));
}

TEST(Datc6A, A07_OnlyArmiesCanBeConvoyed) {
  Datc d("SPR", "ENG: F LON, F NTH");
  EXPECT_EQ(d.order("ENG: F LON - BEL"), FAR);
  EXPECT_EQ(d.order("ENG: F NTH C A LON - BEL"), NSA);
  d.process();
  EXPECT_TRUE(d.has("ENG: F LON"));
}

TEST(Datc6A, A08_SupportToHoldYourselfIsNotPossible) {
  Datc d("SPR", "ITA: A VEN, A TYR; AUS: F TRI");
  d.orders({"ITA: A VEN - TRI", "ITA: A TYR S A VEN - TRI"});
  EXPECT_EQ(d.order("AUS: F TRI S F TRI"), FAR);
  d.process();
  EXPECT_TRUE(d.has("ITA: A TRI"));
  EXPECT_TRUE(d.dislodged("AUS: F TRI"));
}

TEST(Datc6A, A09_FleetsMustFollowCoastIfNotOnSea) {
  Datc d("SPR", "ITA: F ROM");
  EXPECT_EQ(d.order("ITA: F ROM - VEN"), FAR);
  d.process();
  EXPECT_TRUE(d.has("ITA: F ROM"));
}

TEST(Datc6A, A10_SupportOnUnreachableDestinationNotPossible) {
  Datc d("SPR", "AUS: A VEN; ITA: F ROM, A APU");
  d.orders({"AUS: A VEN H", "ITA: A APU - VEN"});
  EXPECT_EQ(d.order("ITA: F ROM S A APU - VEN"), FAR);
  d.process();
  EXPECT_TRUE(d.has("AUS: A VEN"));
  EXPECT_EQ(d.result("ITA: A APU"), BNC);
}

TEST(Datc6A, A11_SimpleBounce) {
  Datc d("SPR", "AUS: A VIE; ITA: A VEN");
  d.orders({"AUS: A VIE - TYR", "ITA: A VEN - TYR"});
  d.process();
  EXPECT_TRUE(d.has("AUS: A VIE"));
  EXPECT_TRUE(d.has("ITA: A VEN"));
}

TEST(Datc6A, A12_BounceOfThreeUnits) {
  Datc d("SPR", "AUS: A VIE; GER: A MUN; ITA: A VEN");
  d.orders({"AUS: A VIE - TYR", "GER: A MUN - TYR", "ITA: A VEN - TYR"});
  d.process();
  EXPECT_TRUE(d.has("AUS: A VIE"));
  EXPECT_TRUE(d.has("GER: A MUN"));
  EXPECT_TRUE(d.has("ITA: A VEN"));
}

TEST(Datc6B, B01_MovingWithUnspecifiedCoastWhenCoastIsNecessary) {
  Datc d("SPR", "FRA: F POR");
  EXPECT_EQ(d.order("FRA: F POR - SPA"), CST);
  d.process();
  EXPECT_TRUE(d.has("FRA: F POR"));
}

TEST(Datc6B, B02_MovingWithUnspecifiedCoastWhenCoastIsNotNecessary) {
  Datc d("SPR", "FRA: F GAS");
  d.orders({"FRA: F GAS - SPA"});
  d.process();
  EXPECT_TRUE(d.has("FRA: F SPA/NC"));
}

TEST(Datc6B, B03_MovingWithWrongCoastWhenCoastIsNotNecessary) {
  Datc d("SPR", "FRA: F GAS");
  EXPECT_EQ(d.order("FRA: F GAS - SPA/SC"), FAR);
  d.process();
  EXPECT_TRUE(d.has("FRA: F GAS"));
}

TEST(Datc6B, B04_SupportToUnreachableCoastAllowed) {
  Datc d("SPR", "FRA: F GAS, F MAR; ITA: F WES");
  d.orders({"FRA: F GAS - SPA/NC", "FRA: F MAR S F GAS - SPA", "ITA: F WES - SPA/SC"});
  d.process();
  EXPECT_TRUE(d.has("FRA: F SPA/NC"));
  EXPECT_TRUE(d.has("ITA: F WES"));
}

TEST(Datc6B, B05_SupportFromUnreachableCoastNotAllowed) {
  Datc d("SPR", "FRA: F MAR, F SPA/NC; ITA: F GOL");
  d.orders({"FRA: F MAR - GOL", "ITA: F GOL H"});
  EXPECT_EQ(d.order("FRA: F SPA/NC S F MAR - GOL"), FAR);
  d.process();
  EXPECT_TRUE(d.has("ITA: F GOL"));
  EXPECT_TRUE(d.has("FRA: F MAR"));
}

TEST(Datc6B, B06_SupportCanBeCutWithOtherCoast) {
  Datc d("SPR", "ENG: F IRI, F NAO; FRA: F SPA/NC, F MAO; ITA: F GOL");
  d.orders({"ENG: F IRI S F NAO - MAO", "ENG: F NAO - MAO", "FRA: F SPA/NC S F MAO", "FRA: F MAO H",
            "ITA: F GOL - SPA/SC"});
  d.process();
  EXPECT_EQ(d.result("FRA: F SPA/NC"), CUT);
  EXPECT_TRUE(d.dislodged("FRA: F MAO"));
  EXPECT_TRUE(d.has("ENG: F MAO"));
}

TEST(Datc6B, B07_SupportingWithUnspecifiedCoast) {
  // Supports name provinces only: the support is good and the attacks stand off.
  Datc d("SPR", "FRA: F POR, F MAO; ITA: F GOL, F WES");
  d.orders({"FRA: F POR S F MAO - SPA", "FRA: F MAO - SPA/NC", "ITA: F GOL S F WES - SPA",
            "ITA: F WES - SPA/SC"});
  d.process();
  EXPECT_TRUE(d.has("FRA: F MAO"));
  EXPECT_TRUE(d.has("ITA: F WES"));
}

TEST(Datc6B, B08_SupportingWithUnspecifiedCoastWhenOnlyOneCoastIsPossible) {
  Datc d("SPR", "FRA: F POR, F GAS; ITA: F GOL, F WES");
  d.orders({"FRA: F POR S F GAS - SPA", "FRA: F GAS - SPA/NC", "ITA: F GOL S F WES - SPA",
            "ITA: F WES - SPA/SC"});
  d.process();
  EXPECT_TRUE(d.has("FRA: F GAS"));
  EXPECT_TRUE(d.has("ITA: F WES"));
}

TEST(Datc6B, B09_SupportingWithWrongCoast) {
  // The order syntax names no coast in a support, so no support can be for the wrong
  // one: the case's French support counts and both attacks fail (the case has Italy win).
  Datc d("SPR", "FRA: F POR, F MAO; ITA: F GOL, F WES");
  d.orders({"FRA: F POR S F MAO - SPA", "FRA: F MAO - SPA/SC", "ITA: F GOL S F WES - SPA",
            "ITA: F WES - SPA/SC"});
  d.process();
  EXPECT_TRUE(d.has("FRA: F MAO"));
  EXPECT_TRUE(d.has("ITA: F WES"));
}

TEST(Datc6B, B10_UnitOrderedWithWrongCoast) {
  // Units are named exactly in this syntax: a fleet on the south coast named on the
  // north is no unit (the case would move it).
  Datc d("SPR", "FRA: F SPA/SC");
  EXPECT_EQ(d.order("FRA: F SPA/NC - GOL"), NSU);
  d.process();
  EXPECT_TRUE(d.has("FRA: F SPA/SC"));
}

TEST(Datc6B, B11_CoastCannotBeOrderedToChange) {
  Datc d("SPR", "FRA: F SPA/NC");
  EXPECT_EQ(d.order("FRA: F SPA/NC - GOL"), FAR);
  d.process();
  EXPECT_TRUE(d.has("FRA: F SPA/NC"));
}

TEST(Datc6B, B12_ArmyMovementWithCoastalSpecification) {
  Datc d("SPR", "FRA: A GAS");
  d.orders({"FRA: A GAS - SPA/NC"});
  d.process();
  EXPECT_TRUE(d.has("FRA: A SPA"));
}

TEST(Datc6B, B13_CoastalCrawlNotAllowed) {
  Datc d("SPR", "TUR: F BUL/SC, F CON");
  d.orders({"TUR: F BUL/SC - CON", "TUR: F CON - BUL/EC"});
  d.process();
  EXPECT_TRUE(d.has("TUR: F BUL/SC"));
  EXPECT_TRUE(d.has("TUR: F CON"));
}

TEST(Datc6B, B14_BuildingWithUnspecifiedCoast) {
  Datc d("WIN", "RUS: A MOS", "RUS: MOS SEV STP WAR");
  EXPECT_EQ(d.order("RUS: build F STP"), CST);
  d.process();
  EXPECT_EQ(d.game.position().unit_count(RUS.subtoken()), 1);
}

TEST(Datc6B, B15_SupportingForeignUnitsWithUnspecifiedCoast) {
  Datc d("SPR", "ENG: F POR; FRA: F MAO; ITA: F GOL, F WES");
  d.orders({"ENG: F POR S F MAO - SPA", "FRA: F MAO - SPA/NC", "ITA: F GOL S F WES - SPA",
            "ITA: F WES - SPA/SC"});
  d.process();
  EXPECT_TRUE(d.has("FRA: F MAO"));
  EXPECT_TRUE(d.has("ITA: F WES"));
}

}  // namespace
}  // namespace quorvel
