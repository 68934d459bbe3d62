// The adjudicator test cases, sections 6.I (building) and 6.J (civil disorder and
// disbands). Civil disorder removes the units farthest from the power's home centres
// (armies may cross the sea, fleets follow their coasts), fleets before armies, then by
// province name.
#include <gtest/gtest.h>

#include "protocol/tokens.h"
#include "support/datc.h"

namespace quorvel {
namespace {

using namespace tok;
using testing::Datc;

const char* const kCentres =
    "AUS: BUD TRI VIE; ENG: EDI LON LVP; FRA: BRE MAR PAR; GER: BER KIE MUN; ITA: NAP ROM VEN; "
    "RUS: MOS SEV STP WAR; TUR: ANK CON SMY";

TEST(Datc6I, I01_TooManyBuildOrders) {
  Datc d("WIN", "GER: A RUH, A SIL", kCentres);
  EXPECT_EQ(d.order("GER: build A WAR"), HSC);
  EXPECT_EQ(d.order("GER: build A KIE"), MBV);
  EXPECT_EQ(d.order("GER: build A MUN"), NMB);
  d.process();
  EXPECT_TRUE(d.has("GER: A KIE"));
  EXPECT_FALSE(d.has("GER: A MUN"));
}

TEST(Datc6I, I02_FleetsCanNotBeBuiltInLandAreas) {
  Datc d("WIN", "RUS: A UKR, A LVN, F BAL", kCentres);
  EXPECT_EQ(d.order("RUS: build F MOS"), FAR);
  d.process();
  EXPECT_FALSE(d.has("RUS: F MOS"));
}

TEST(Datc6I, I03_SupplyCenterMustBeEmptyForBuilding) {
  Datc d("WIN", "GER: A BER", kCentres);
  EXPECT_EQ(d.order("GER: build A BER"), ESC);
  d.process();
  EXPECT_EQ(d.game.position().unit_count(GER.subtoken()), 1);
}

TEST(Datc6I, I04_BothCoastsMustBeEmptyForBuilding) {
  Datc d("WIN", "RUS: F STP/NC", kCentres);
  EXPECT_EQ(d.order("RUS: build F STP/SC"), ESC);
  d.process();
  EXPECT_TRUE(d.has("RUS: F STP/NC"));
  EXPECT_FALSE(d.has("RUS: F STP/SC"));
}

TEST(Datc6I, I05_BuildingInHomeSupplyCenterThatIsNotOwned) {
  Datc d("WIN", "GER: A SIL", "GER: KIE MUN; RUS: BER MOS SEV STP WAR");
  EXPECT_EQ(d.order("GER: build A BER"), YSC);
  d.process();
  EXPECT_FALSE(d.has("GER: A BER"));
}

TEST(Datc6I, I06_BuildingInOwnedSupplyCenterThatIsNotAHomeSupplyCenter) {
  Datc d("WIN", "GER: A SIL", "GER: BER KIE MUN WAR; RUS: MOS SEV STP");
  EXPECT_EQ(d.order("GER: build A WAR"), HSC);
  d.process();
  EXPECT_FALSE(d.has("GER: A WAR"));
}

TEST(Datc6I, I07_OnlyOneBuildInAHomeSupplyCenter) {
  Datc d("WIN", "RUS: A UKR", kCentres);
  EXPECT_EQ(d.order("RUS: build A MOS"), MBV);
  EXPECT_EQ(d.order("RUS: build A MOS"), ESC);
  d.process();
  EXPECT_TRUE(d.has("RUS: A MOS"));
  EXPECT_EQ(d.game.position().unit_count(RUS.subtoken()), 2);
}

TEST(Datc6J, J01_TooManyRemoveOrders) {
  Datc d("WIN", "FRA: A PIC, A PAR; ITA: F GOL", "FRA: PAR; ITA: NAP ROM VEN");
  EXPECT_EQ(d.order("FRA: remove F GOL"), NSU);
  EXPECT_EQ(d.order("FRA: remove A PIC"), MBV);
  EXPECT_EQ(d.order("FRA: remove A PAR"), NMR);
  d.process();
  EXPECT_FALSE(d.has("FRA: A PIC"));
  EXPECT_TRUE(d.has("FRA: A PAR"));
  EXPECT_TRUE(d.has("ITA: F GOL"));
}

TEST(Datc6J, J02_RemovingTheSameUnitTwice) {
  Datc d("WIN", "FRA: A PAR, A PIC, A BUR", "FRA: PAR");
  EXPECT_EQ(d.order("FRA: remove A PAR"), MBV);
  EXPECT_EQ(d.order("FRA: remove A PAR"), MBV);
  d.process();
  // One removal ordered; civil disorder takes the second: Burgundy and Picardy are both
  // one step from Paris, and Burgundy comes first by name.
  EXPECT_FALSE(d.has("FRA: A PAR"));
  EXPECT_FALSE(d.has("FRA: A BUR"));
  EXPECT_TRUE(d.has("FRA: A PIC"));
}

TEST(Datc6J, J03_CivilDisorderTwoArmiesWithDifferentDistance) {
  Datc d("WIN", "RUS: A LVN, A SWE", "RUS: STP");
  d.process();
  EXPECT_TRUE(d.has("RUS: A LVN"));
  EXPECT_FALSE(d.has("RUS: A SWE"));
}

TEST(Datc6J, J04_CivilDisorderTwoArmiesWithEqualDistance) {
  Datc d("WIN", "RUS: A LVN, A UKR", "RUS: STP");
  d.process();
  EXPECT_FALSE(d.has("RUS: A LVN"));
  EXPECT_TRUE(d.has("RUS: A UKR"));
}

TEST(Datc6J, J05_CivilDisorderTwoFleetsWithDifferentDistance) {
  Datc d("WIN", "RUS: F BAR, F NTH", "RUS: STP");
  d.process();
  EXPECT_TRUE(d.has("RUS: F BAR"));
  EXPECT_FALSE(d.has("RUS: F NTH"));
}

TEST(Datc6J, J06_CivilDisorderTwoFleetsWithEqualDistance) {
  Datc d("WIN", "RUS: F BAR, F BLA", "RUS: STP");
  d.process();
  EXPECT_FALSE(d.has("RUS: F BAR"));
  EXPECT_TRUE(d.has("RUS: F BLA"));
}

TEST(Datc6J, J07_CivilDisorderTwoFleetsAndArmyWithEqualDistance) {
  Datc d("WIN", "RUS: A UKR, F BAR, F BLA", "RUS: STP MOS");
  d.process();
  EXPECT_TRUE(d.has("RUS: A UKR"));
  EXPECT_FALSE(d.has("RUS: F BAR"));
  EXPECT_TRUE(d.has("RUS: F BLA"));
}

TEST(Datc6J, J08_CivilDisorderAFleetWithShorterDistanceThanTheArmy) {
  Datc d("WIN", "RUS: A TYR, F BAR", "RUS: STP");
  d.process();
  EXPECT_FALSE(d.has("RUS: A TYR"));
  EXPECT_TRUE(d.has("RUS: F BAR"));
}

TEST(Datc6J, J09_CivilDisorderMustCountConvoyingDistance) {
  // Belgium is two steps from London across the North Sea, Paris three: Paris goes.
  Datc d("WIN", "ENG: A BEL, A PAR", "ENG: LON");
  d.process();
  EXPECT_TRUE(d.has("ENG: A BEL"));
  EXPECT_FALSE(d.has("ENG: A PAR"));
}

TEST(Datc6J, J10_CivilDisorderFleetsFollowTheirCoasts) {
  // The fleet in the Baltic is two moves from St Petersburg's south coast; the one on the
  // Black Sea one from Sevastopol, although the Baltic is nearer to Moscow by land.
  Datc d("WIN", "RUS: F BAL, F BLA", "RUS: STP");
  d.process();
  EXPECT_FALSE(d.has("RUS: F BAL"));
  EXPECT_TRUE(d.has("RUS: F BLA"));
}

TEST(Datc6J, J11_UnitsOfOtherPowersAreNotRemoved) {
  Datc d("WIN", "RUS: A LVN, A SWE; GER: A DEN", "RUS: STP; GER: BER");
  d.process();
  EXPECT_TRUE(d.has("GER: A DEN"));
  EXPECT_EQ(d.game.position().unit_count(RUS.subtoken()), 1);
}

}  // namespace
}  // namespace quorvel
