#include "search/look_ahead.h"

#include <gtest/gtest.h>

#include "rules/standard_map.h"
#include "search/candidate_orders.h"
#include "support/messages.h"

namespace quorvel::search {
namespace {

using testing::parse;

int power_of(const std::string& name) {
  return parse(name).first_token().subtoken();
}

// Austria with Trieste alone, Italy's army next to it in Venice; nobody else has anything.
struct Corner {
  rules::RulesGame game;
  const int austria = power_of("AUS");
  const int italy = power_of("ITA");

  explicit Corner(const std::string& now) {
    const rules::MapFile file = rules::standard_map_file();
    EXPECT_LT(game.load_map(file.mdf), 0);
    EXPECT_LT(game.load_position(
                  parse(now), parse("SCO ( AUS TRI ) ( ITA VEN ROM NAP ) ( UNO ANK BEL BER BRE "
                                    "BUD BUL CON DEN EDI GRE HOL KIE LON LVP MAR MOS MUN NWY PAR "
                                    "POR RUM SER SEV SMY SPA STP SWE TUN VIE WAR )")),
              0);
  }

  OrderSet orders(int power, const std::vector<std::string>& texts) const {
    std::vector<TokenMessage> messages;
    for (const std::string& text : texts)
      messages.push_back(parse(text));
    std::optional<OrderSet> set = checked_orders(game, power, messages);
    EXPECT_TRUE(set) << texts.front();
    return set.value_or(OrderSet{});
  }

  OrderSet both(const std::string& austrian, const std::string& italian) const {
    OrderSet set = orders(austria, {austrian});
    const OrderSet other = orders(italy, {italian});
    set.insert(other.begin(), other.end());
    return set;
  }
};

TEST(LookAhead, AnOutcomeOnTheSameDrawsIsWorthTheSame) {
  Corner corner("NOW ( SPR 1901 ) ( AUS FLT TRI ) ( ITA AMY VEN )");
  LookAhead ahead(corner.game, corner.austria, 16);
  const double kept =
      ahead.centres_after(corner.both("( AUS FLT TRI ) HLD", "( ITA AMY VEN ) HLD"), 7);
  // Trieste stays Austria's; its fleet can reach no other centre but Venice.
  EXPECT_GE(kept, 1);
  EXPECT_LE(kept, 2);
  // A bounce ends where holding ends.
  EXPECT_EQ(ahead.centres_after(corner.both("( AUS FLT TRI ) HLD", "( ITA AMY VEN ) MTO TRI"), 7),
            kept);
  const double left =
      ahead.centres_after(corner.both("( AUS FLT TRI ) MTO ALB", "( ITA AMY VEN ) MTO TRI"), 7);
  LookAhead again(corner.game, corner.austria, 16);
  EXPECT_EQ(
      again.centres_after(corner.both("( AUS FLT TRI ) MTO ALB", "( ITA AMY VEN ) MTO TRI"), 7),
      left);
  EXPECT_EQ(again.centres_after(corner.both("( AUS FLT TRI ) HLD", "( ITA AMY VEN ) HLD"), 7),
            kept);
}

TEST(LookAhead, CountsTheAutumnsCentresAndPlaysTheWinterBetween) {
  // Trieste lost in the autumn: Austria has nothing left by the next movement phase.
  Corner lost("NOW ( FAL 1901 ) ( AUS FLT ALB ) ( ITA AMY VEN )");
  LookAhead ahead(lost.game, lost.austria, 4);
  EXPECT_EQ(ahead.centres_after(lost.both("( AUS FLT ALB ) HLD", "( ITA AMY VEN ) MTO TRI"), 1), 0);
  // Greece taken in the autumn counts from then on, with Trieste, which Austria builds in.
  Corner alone("NOW ( FAL 1901 ) ( AUS FLT ALB ) ( ITA AMY PIE )");
  LookAhead more(alone.game, alone.austria, 16);
  const double taken =
      more.centres_after(alone.both("( AUS FLT ALB ) MTO GRE", "( ITA AMY PIE ) HLD"), 1);
  const double held =
      more.centres_after(alone.both("( AUS FLT ALB ) HLD", "( ITA AMY PIE ) HLD"), 1);
  EXPECT_GE(taken, 2);
  EXPECT_LE(held, 2);
}

}  // namespace
}  // namespace quorvel::search
