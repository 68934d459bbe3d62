// The negotiating house players: whom honest makes peace with, how it ends one, and that
// its orders keep what it agreed; liar agrees to any peace.
#include "opponents/house_negotiator.h"

#include <gtest/gtest.h>

#include "protocol/tokens.h"
#include "support/boards.h"
#include "support/datc.h"

namespace quorvel::opponents {
namespace {

using namespace tok;
using testing::Datc;
using testing::parse;

int power(const char* name) {
  return parse(name).first_token().subtoken();
}

press::PressMessage read(const std::string& text) {
  press::PressMessage message;
  EXPECT_EQ(press::read_press(parse(text), 20, 7, message), -1) << text;
  return message;
}

// Press from sender to the recipients, as the host delivers it to the referee.
void tell(rules::Referee& referee, const char* from, const char* to, const std::string& text) {
  referee.on_press(power(from), {power(to)}, read(text));
}

std::string answer(HouseNegotiator& negotiator, const char* from, const std::string& text,
                   const rules::RulesGame& game, const rules::Referee& referee) {
  std::string answers;
  for (const PressOut& out : negotiator.answer(power(from), parse(text), 20, game, referee))
    answers += printed_text(out.press) + ";";
  return answers;
}

const char* const kUnits =
    "AUS: A VIE, A BUD, F TRI; ENG: F LON, F EDI, A LVP; FRA: A PAR, A MAR, F BRE; "
    "GER: A MUN, A BER, F KIE; ITA: A VEN, A ROM, F NAP; RUS: A WAR, A MOS, F SEV; "
    "TUR: A CON, A SMY, F ANK";

TEST(HouseNegotiator, HonestMakesPeaceWithItsNeighboursButItsEnemyAndTheLeader) {
  Datc d("SPR", kUnits);
  rules::Referee referee(7);
  HouseNegotiator france(OpponentKind::kHonest, power("FRA"));
  // What it proposes, it accepts when proposed to it.
  const std::vector<PressOut> proposals = france.open_phase(d.game, referee);
  ASSERT_FALSE(proposals.empty());
  std::set<int> partners;
  for (const PressOut& out : proposals) {
    ASSERT_EQ(out.to.size(), 1u);
    partners.insert(out.to.front());
    const std::string other = printed_text(TokenMessage(Token(CATEGORY_POWER, out.to.front())));
    const std::string peace = printed_text(out.press);
    EXPECT_EQ(answer(france, other.c_str(), peace, d.game, referee), "YES ( " + peace + " );");
  }
  // Its neighbours in the west, but one of them is left to fight.
  EXPECT_FALSE(partners.count(power("TUR")));
  EXPECT_LT(partners.size(), 3u);
  int rejected = 0;
  for (const char* other : {"ENG", "GER", "ITA"}) {
    const std::string peace =
        std::string("PRP ( PCE ( ") +
        (std::string(other) < "FRA" ? std::string(other) + " FRA" : "FRA " + std::string(other)) +
        " ) )";
    rejected += answer(france, other, peace, d.game, referee).rfind("REJ", 0) == 0;
  }
  EXPECT_EQ(rejected, 1);
  // Anything but peace and alliances: no. Press it cannot read: HUH and TRY.
  EXPECT_EQ(answer(france, "ENG", "PRP ( DMZ ( ENG FRA ) ( ECH ) )", d.game, referee),
            "REJ ( PRP ( DMZ ( ENG FRA ) ( ECH ) ) );");
  EXPECT_EQ(answer(france, "ENG", "PRP ( PCE ( FRA ) )", d.game, referee),
            "HUH ( PRP ( PCE ( FRA ERR ) ) );TRY ( PRP YES REJ BWX HUH CCL FCT TRY PCE ALY VSS DRW "
            "SLO NOT NAR XDO DMZ );");
  EXPECT_EQ(answer(france, "ENG", "YES ( PRP ( PCE ( ENG FRA ) ) )", d.game, referee), "");

  // A leader gets no peace.
  Datc leading("SPR", kUnits,
               "AUS: BUD TRI VIE; ENG: EDI LON LVP; FRA: BRE MAR PAR; GER: BER KIE MUN HOL DEN; "
               "ITA: NAP ROM VEN; RUS: MOS SEV STP WAR; TUR: ANK CON SMY");
  EXPECT_EQ(answer(france, "GER", "PRP ( PCE ( FRA GER ) )", leading.game, referee),
            "REJ ( PRP ( PCE ( FRA GER ) ) );");
  // Liar takes any peace, and alliances it is in.
  HouseNegotiator liar(OpponentKind::kLiar, power("FRA"));
  EXPECT_EQ(answer(liar, "GER", "PRP ( PCE ( FRA GER ) )", leading.game, referee),
            "YES ( PRP ( PCE ( FRA GER ) ) );");
  EXPECT_EQ(answer(liar, "GER", "PRP ( ALY ( FRA GER ) VSS ( ENG ) )", leading.game, referee),
            "YES ( PRP ( ALY ( FRA GER ) VSS ( ENG ) ) );");
  EXPECT_EQ(liar.open_phase(leading.game, referee).size(), 6u);
}

TEST(HouseNegotiator, HonestEndsPeaceByNoticeAndForgetsNoBreach) {
  Datc d("SPR", kUnits,
         "AUS: BUD TRI VIE; ENG: EDI LON LVP; FRA: BRE MAR PAR; GER: BER KIE MUN HOL DEN; "
         "ITA: NAP ROM VEN; RUS: MOS SEV STP WAR; TUR: ANK CON SMY");
  rules::Referee referee(7);
  HouseNegotiator france(OpponentKind::kHonest, power("FRA"));
  tell(referee, "FRA", "GER", "PRP ( PCE ( FRA GER ) )");
  tell(referee, "GER", "FRA", "YES ( PRP ( PCE ( FRA GER ) ) )");
  tell(referee, "FRA", "ENG", "PRP ( PCE ( ENG FRA ) )");
  tell(referee, "ENG", "FRA", "YES ( PRP ( PCE ( ENG FRA ) ) )");
  // Germany now leads: the peace ends by notice, and meanwhile binds France.
  bool noticed = false;
  for (const PressOut& out : france.open_phase(d.game, referee)) {
    noticed = noticed || (out.to == std::vector<int>{power("GER")} &&
                          out.press == parse("FCT ( NOT ( PCE ( FRA GER ) ) )"));
  }
  EXPECT_TRUE(noticed);
  // Its orders keep its word, whatever it draws.
  for (unsigned seed = 1; seed <= 40; ++seed) {
    rules::RulesGame game = d.game;
    std::mt19937 rng(seed);
    for (const TokenMessage& order :
         house_orders(OpponentKind::kHonest, game, power("FRA"), rng, &referee))
      ASSERT_EQ(game.submit(power("FRA"), order), MBV);
    rules::Referee judge = referee;
    EXPECT_TRUE(judge.check(game).empty()) << seed;
  }
  // England breaks the peace: no peace with England again.
  Datc attack("SPR", "ENG: F ECH; FRA: A PAR, F BRE");
  attack.orders({"ENG: F ECH - BRE"});
  ASSERT_EQ(referee.check(attack.game).size(), 1u);
  EXPECT_EQ(answer(france, "ENG", "PRP ( PCE ( ENG FRA ) )", attack.game, referee),
            "REJ ( PRP ( PCE ( ENG FRA ) ) );");
}

}  // namespace
}  // namespace quorvel::opponents
