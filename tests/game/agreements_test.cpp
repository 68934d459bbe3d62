// Orders read as facts, and whether a set of obligations can be kept at once.
#include "game/agreements.h"

#include <gtest/gtest.h>

#include "support/boards.h"
#include "support/messages.h"

namespace quorvel {
namespace {

using testing::parse;
using testing::province;

TEST(OrderFacts, EveryFormOfOrderReadsAndGarbageDoesNot) {
  const int fra = parse("FRA").first_token().subtoken();
  const std::pair<const char*, OrderFacts> orders[] = {
      {"( FRA AMY PAR ) HLD", {OrderKind::kHold, fra, province("PAR"), -1, -1, -1}},
      {"( FRA FLT ( SPA SCS ) ) MTO WES",
       {OrderKind::kMove, fra, province("SPA"), province("WES"), -1, -1}},
      {"( FRA AMY PAR ) SUP ( GER AMY MUN )",
       {OrderKind::kSupportHold, fra, province("PAR"), -1, province("MUN"), -1}},
      {"( FRA AMY PAR ) SUP ( GER AMY MUN ) MTO BUR",
       {OrderKind::kSupportMove, fra, province("PAR"), -1, province("MUN"), province("BUR")}},
      {"( FRA FLT MAO ) CVY ( FRA AMY BRE ) CTO SPA",
       {OrderKind::kConvoy, fra, province("MAO"), -1, province("BRE"), province("SPA")}},
      {"( FRA AMY BRE ) CTO SPA VIA ( MAO )",
       {OrderKind::kConvoyedMove, fra, province("BRE"), province("SPA"), -1, -1}},
      {"( FRA AMY PAR ) RTO ( PIC )",
       {OrderKind::kRetreat, fra, province("PAR"), province("PIC"), -1, -1}},
      {"( FRA AMY PAR ) BLD", {OrderKind::kBuild, fra, province("PAR"), -1, -1, -1}},
      {"FRA WVE", {OrderKind::kWaive, fra, -1, -1, -1, -1}},
  };
  for (const auto& [text, facts] : orders) {
    const auto read = read_order_facts(parse(text));
    ASSERT_TRUE(read) << text;
    EXPECT_EQ(*read, facts) << text;
  }
  for (const char* bad :
       {"", "HLD", "( FRA AMY ) HLD", "( FRA AMY PAR ) MTO", "( FRA AMY PAR ) SUP",
        "( FRA AMY PAR ) SUP ( GER AMY MUN ) BUR", "( FRA AMY PAR ) XDO"}) {
    EXPECT_FALSE(read_order_facts(parse(std::string(bad)))) << bad;
  }
}

TEST(Obligations, PromisesMustAgreeWithWhatElseIsAgreed) {
  const int fra = parse("FRA").first_token().subtoken();
  const int ger = parse("GER").first_token().subtoken();
  Holdings holdings{std::vector<int>(75, -1), std::vector<int>(75, -1)};
  holdings.unit_owner[static_cast<std::size_t>(province("MUN"))] = ger;
  holdings.unit_owner[static_cast<std::size_t>(province("PAR"))] = fra;
  holdings.centre_owner[static_cast<std::size_t>(province("MUN"))] = ger;
  Obligations bound{
      std::vector<bool>(75), std::vector<std::uint64_t>(75), std::vector<bool>(75), {}};
  bound.no_attack[static_cast<std::size_t>(province("MUN"))] = true;
  bound.protected_by[static_cast<std::size_t>(province("MUN"))] = std::uint64_t{1} << ger;
  bound.no_entry[static_cast<std::size_t>(province("PIC"))] = true;
  auto with = [&](std::vector<const char*> promised) {
    Obligations o = bound;
    for (const char* order : promised)
      o.promised.push_back(*read_order_facts(parse(order)));
    return consistent(o, holdings);
  };
  EXPECT_TRUE(with({"( FRA AMY PAR ) SUP ( GER AMY MUN ) MTO BUR"}));
  EXPECT_TRUE(with({"( FRA AMY PAR ) MTO BUR"}));
  // Into a partner's province, into a zone kept free, or two orders for one unit.
  EXPECT_FALSE(with({"( FRA AMY BUR ) MTO MUN"}));
  EXPECT_FALSE(with({"( FRA AMY PAR ) MTO PIC"}));
  EXPECT_FALSE(with({"( FRA AMY PAR ) HLD", "( FRA AMY PAR ) MTO BUR"}));
  // Supporting the partner's own move into what it holds is no attack on it.
  EXPECT_TRUE(with({"( FRA AMY BUR ) SUP ( GER AMY MUN ) MTO MUN"}));
  EXPECT_FALSE(with({"( FRA AMY BUR ) SUP ( FRA AMY PAR ) MTO MUN"}));
  // Not when another partner holds it too: its centre there, the helped one's unit.
  bound.protected_by[static_cast<std::size_t>(province("MUN"))] |= std::uint64_t{1} << fra;
  EXPECT_FALSE(with({"( FRA AMY BUR ) SUP ( GER AMY MUN ) MTO MUN"}));
}

}  // namespace
}  // namespace quorvel
