// The submission check of the property test: what the server refuses, and what it takes
// but a sound bot never sends.
#include "support/order_legality.h"

#include <gtest/gtest.h>

#include "protocol/tokens.h"
#include "support/boards.h"
#include "support/messages.h"

namespace quorvel {
namespace {

using testing::parse;

const char* const kNow =
    "NOW ( SPR 1901 ) ( ENG AMY YOR ) ( ENG FLT NTH ) ( ENG FLT ECH ) ( FRA AMY PIC )";

std::vector<std::string> faults_of(const std::string& submission, const char* now = kNow) {
  return testing::order_faults(parse(now), parse(testing::kStartSco), tok::ENG, parse(submission));
}

TEST(OrderLegality, SoundSubmissionsPass) {
  EXPECT_EQ(faults_of("SUB ( ( ENG AMY YOR ) CTO BEL VIA ( NTH ) ) "
                      "( ( ENG FLT NTH ) CVY ( ENG AMY YOR ) CTO BEL ) "
                      "( ( ENG FLT ECH ) SUP ( ENG AMY YOR ) MTO BEL )"),
            std::vector<std::string>{});
  EXPECT_EQ(faults_of("SUB ( ( ENG AMY BEL ) RTO PIC ) ( ( ENG AMY RUH ) DSB )",
                      "NOW ( SUM 1901 ) ( ENG AMY BEL MRT ( PIC HOL ) ) ( FRA AMY BEL ) "
                      "( ENG AMY RUH MRT ( HOL ) ) ( GER AMY RUH )"),
            std::vector<std::string>{});
}

TEST(OrderLegality, FindsEachFault) {
  const char* const retreats =
      "NOW ( SUM 1901 ) ( ENG AMY BEL MRT ( PIC HOL ) ) "
      "( FRA AMY BEL ) ( ENG AMY RUH MRT ( HOL ) ) ( GER AMY RUH )";
  struct Case {
    const char* submission;
    const char* now;
    const char* fault;
  };
  const Case cases[] = {
      {"SUB ( ( ENG AMY YOR ) MTO BEL ) ( ( ENG FLT NTH ) HLD ) ( ( ENG FLT ECH ) HLD )", kNow,
       "FAR: "},
      {"SUB ( ( ENG AMY YOR ) HLD ) ( ( ENG FLT NTH ) HLD )", kNow, "orders missing: "},
      {"HLO ( ENG )", kNow, "not a SUB message"},
      {"SUB ( ( ENG AMY YOR ) HLD ) ( ( ENG AMY YOR ) MTO LON ) ( ( ENG FLT NTH ) HLD ) "
       "( ( ENG FLT ECH ) HLD )",
       kNow, "unit ordered twice: "},
      {"SUB ( ( ENG AMY YOR ) HLD ) ( ( ENG FLT NTH ) HLD ) "
       "( ( ENG FLT ECH ) SUP ( ENG AMY YOR ) MTO LON )",
       kNow, "the move it helps is not ordered: "},
      {"SUB ( ( ENG AMY YOR ) MTO LON ) ( ( ENG FLT NTH ) CVY ( ENG AMY YOR ) CTO BEL ) "
       "( ( ENG FLT ECH ) HLD )",
       kNow, "the move it helps is not ordered: "},
      {"SUB ( ( ENG AMY YOR ) CTO BEL VIA ( NTH ) ) ( ( ENG FLT NTH ) HLD ) "
       "( ( ENG FLT ECH ) HLD )",
       kNow, "a fleet of the path does not convoy: "},
      {"SUB ( ( ENG AMY BEL ) RTO HOL ) ( ( ENG AMY RUH ) RTO HOL )", retreats,
       "two retreats into one province: "},
  };
  for (const Case& c : cases) {
    const auto faults = faults_of(c.submission, c.now);
    ASSERT_FALSE(faults.empty()) << c.submission;
    EXPECT_EQ(faults.front().substr(0, std::string(c.fault).size()), c.fault) << c.submission;
  }
}

}  // namespace
}  // namespace quorvel
