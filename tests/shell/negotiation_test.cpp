// The playing bot in a game with press, in this process: what it proposes, how it answers,
// that its orders keep what it agreed, and whom it stops dealing with.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "game/order_facts.h"
#include "planning/diplomacy.h"
#include "protocol/press.h"
#include "protocol/tokens.h"
#include "settings/builtin_settings.h"
#include "shell/strategy_bot.h"
#include "support/boards.h"
#include "support/messages.h"
#include "support/order_legality.h"

namespace quorvel {
namespace {

using namespace tok;
using testing::parse;

class Capture : public MessageSink {
 public:
  void deliver(const TokenMessage& message) override { sent.push_back(message); }
  std::vector<TokenMessage> take() {
    std::vector<TokenMessage> out;
    out.swap(sent);
    return out;
  }
  std::vector<TokenMessage> sent;
};

// A Quorvel of the shipped settings (with extra [Press] lines) in a game whose server is
// the test.
class PressBot {
 public:
  explicit PressBot(const std::vector<std::pair<std::string, std::string>>& press = {}) {
    PlayerSetup setup;
    setup.seed = 11;
    setup.process_bot = false;
    IniStore settings = builtin_settings();
    for (const auto& [key, value] : press)
      settings.setValue("Press", key, value, true);
    setup.settings = settings;
    bot = std::make_unique<StrategyBot>(setup);
    bot->ConnectInProcess(sink);
  }

  void receive(const TokenMessage& message) {
    std::vector<std::uint16_t> body;
    for (int i = 0; i < message.length(); ++i)
      body.push_back(message.token_at(i).value());
    bot->DispatchMessage(reinterpret_cast<const std::uint8_t*>(body.data()),
                         static_cast<std::uint32_t>(2 * body.size()));
  }
  void receive(const std::string& text) { receive(parse(text)); }

  // Joins as the power at the level, and gets the position: what it sends then.
  std::vector<TokenMessage> play(const std::string& power, int level, const std::string& sco,
                                 const std::string& now) {
    return play(power, "( LVL " + std::to_string(level) + " )", sco, now);
  }
  // The same with the game's options as HLO gives them.
  std::vector<TokenMessage> play(const std::string& power, const std::string& variant,
                                 const std::string& sco, const std::string& now) {
    receive("MAP ( 'standard' )");
    receive(testing::standard_map_message());
    receive("HLO ( " + power + " ) ( 1234 ) ( " + variant + " )");
    receive(sco);
    sink.take();
    receive(now);
    return sink.take();
  }

  Capture sink;
  std::unique_ptr<StrategyBot> bot;
};

std::vector<TokenMessage> starting(const std::vector<TokenMessage>& messages, Token first) {
  std::vector<TokenMessage> found;
  for (const TokenMessage& m : messages) {
    if (m.first_token() == first) found.push_back(m);
  }
  return found;
}

// The bot's orders of the phase break none of the agreements it made.
void expect_kept(const StrategyBot& bot, const TokenMessage& sub) {
  const Holdings holdings = holdings_of(bot.board());
  std::vector<OrderFacts> given;
  for (int i = 1; i < sub.sub_message_count(); ++i)
    given.push_back(*read_order_facts(sub.sub_message(i)));
  const int me = bot.board().own_power.subtoken();
  for (const Agreement& agreement : bot.negotiator().ledger().agreements()) {
    EXPECT_TRUE(violations(agreement, me, PhaseKind::kMovement, holdings, given).empty())
        << printed_text(press::to_message(agreement.arrangement)) << " by " << printed_text(sub);
  }
}

// France among neighbours whose units can reach its own.
const char* const kNow =
    "NOW ( SPR 1901 ) ( FRA AMY BUR ) ( FRA AMY PAR ) ( FRA FLT BRE ) ( FRA AMY MAR ) "
    "( ENG FLT ECH ) ( ENG FLT LON ) ( ENG AMY WAL ) ( GER AMY MUN ) ( GER AMY RUH ) "
    "( GER FLT KIE ) ( ITA AMY PIE ) ( ITA AMY VEN ) ( ITA FLT NAP ) ( AUS AMY VIE ) "
    "( RUS AMY WAR ) ( TUR AMY CON )";

// The press of an SND: its last element; its recipients stand before it.
TokenMessage press_of(const TokenMessage& snd) {
  return snd.sub_message(snd.sub_message_count() - 1);
}
TokenMessage recipients_of(const TokenMessage& snd) {
  return snd.sub_message(snd.sub_message_count() - 2);
}

TEST(Negotiation, SilentWithoutPressAsTheStandardAnswersHaveIt) {
  for (const auto& [level, own] : {std::pair{0, "20"}, std::pair{20, "0"}}) {
    PressBot player(std::vector<std::pair<std::string, std::string>>{{"level", own}});
    const std::vector<TokenMessage> sent =
        player.play("FRA", level, testing::kStartSco, testing::kStartNow);
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0].first_token(), SUB);
    player.receive("FRM ( ENG ) ( FRA ) ( PRP ( PCE ( ENG FRA ) ) )");
    EXPECT_EQ(player.sink.take(),
              (std::vector<TokenMessage>{
                  parse("SND ( SPR 1901 ) ( ENG ) ( HUH ( ERR PRP ( PCE ( ENG FRA ) ) ) )"),
                  parse("SND ( SPR 1901 ) ( ENG ) ( TRY ( ) )")}));
  }
}

TEST(Negotiation, AMovementPhaseProposesThenOrdersWhenAnswered) {
  PressBot player;
  const std::vector<TokenMessage> sent = player.play("FRA", 20, testing::kStartSco, kNow);
  ASSERT_FALSE(sent.empty());
  EXPECT_EQ(sent.front(), parse("NOT ( GOF )"));
  const std::vector<TokenMessage> proposals = starting(sent, SND);
  ASSERT_FALSE(proposals.empty());
  EXPECT_TRUE(starting(sent, SUB).empty()) << "orders before the answers";
  // Every proposal is agreed, those that follow what was agreed too.
  std::vector<TokenMessage> asked = proposals;
  std::vector<TokenMessage> after;
  for (int round = 0; round < 5 && !asked.empty(); ++round) {
    for (const TokenMessage& snd : asked)
      player.receive(((FRM & recipients_of(snd)) & parse("FRA")) & (YES & press_of(snd)));
    after = player.sink.take();
    asked = starting(after, SND);
  }
  const std::vector<TokenMessage> orders = starting(after, SUB);
  ASSERT_EQ(orders.size(), 1u);
  EXPECT_EQ(after.back(), parse("GOF"));
  EXPECT_TRUE(
      testing::order_faults(parse(kNow), parse(testing::kStartSco), FRA, orders[0]).empty());
  // What it proposed is agreed now, and its orders keep it.
  EXPECT_FALSE(player.bot->negotiator().ledger().agreements().empty());
  expect_kept(*player.bot, orders[0]);
}

TEST(Negotiation, AnswersEveryProposalItReadsAndHostilePressCostsNothing) {
  PressBot player;
  player.play("FRA", 20, testing::kStartSco, kNow);
  // A proposal gets YES or REJ; what it cannot read, HUH and the tokens it speaks.
  player.receive("FRM ( ITA ) ( FRA ) ( PRP ( DMZ ( FRA ITA ) ( PIE ) ) )");
  std::vector<TokenMessage> answers = player.sink.take();
  ASSERT_EQ(answers.size(), 1u);
  const Token verdict = press_of(answers[0]).first_token();
  EXPECT_TRUE(verdict == YES || verdict == REJ);
  player.receive("FRM ( ITA ) ( FRA ) ( PRP ( PCE ( FRA ) ) )");
  EXPECT_EQ(player.sink.take(),
            (std::vector<TokenMessage>{
                parse("SND ( SPR 1901 ) ( ITA ) ( HUH ( PRP ( PCE ( FRA ERR ) ) ) )"),
                parse("SND ( SPR 1901 ) ( ITA ) ( TRY ( PRP YES REJ BWX HUH CCL FCT TRY PCE ALY "
                      "VSS DRW SLO NOT NAR XDO DMZ ) )")}));
  // A YES to something it never proposed, a statement, a reply from nowhere: nothing.
  for (const char* quiet : {"FRM ( GER ) ( FRA ) ( YES ( PRP ( PCE ( FRA GER ) ) ) )",
                            "FRM ( GER ) ( FRA ) ( FCT ( PCE ( FRA GER ) ) )",
                            "FRM ( GER ) ( FRA ) ( REJ ( PRP ( DRW ) ) )"}) {
    player.receive(quiet);
    EXPECT_TRUE(player.sink.take().empty()) << quiet;
  }
  // A thousand proposals in a phase, some contradicting each other: an answer each.
  for (int i = 0; i < 1000; ++i) {
    player.receive(i % 2 == 0
                       ? "FRM ( GER ) ( FRA ) ( PRP ( XDO ( ( FRA AMY PAR ) SUP ( GER AMY MUN ) "
                         "MTO BUR ) ) )"
                       : "FRM ( GER ) ( FRA ) ( PRP ( XDO ( ( FRA AMY PAR ) SUP ( GER AMY MUN ) "
                         "MTO RUH ) ) )");
  }
  EXPECT_EQ(player.sink.take().size(), 1000u);
  // Whatever it agreed, its orders are legal and it keeps every promise it made.
  player.bot->PressWaitOver();
  const std::vector<TokenMessage> orders = starting(player.sink.take(), SUB);
  ASSERT_EQ(orders.size(), 1u);
  EXPECT_TRUE(
      testing::order_faults(parse(kNow), parse(testing::kStartSco), FRA, orders[0]).empty());
  expect_kept(*player.bot, orders[0]);
}

TEST(Negotiation, APowerThatBreaksItsWordIsNotDealtWith) {
  // Peace even with a power that has not gone for it.
  PressBot player(std::vector<std::pair<std::string, std::string>>{{"peaceMinAggression", "0"}});
  player.play("FRA", 20, testing::kStartSco, kNow);
  player.receive("FRM ( ENG ) ( FRA ) ( PRP ( PCE ( ENG FRA ) ) )");
  ASSERT_EQ(press_of(player.sink.take().at(0)).first_token(), YES) << "peace with England";
  player.bot->PressWaitOver();
  player.sink.take();
  // England's fleet goes for Brest all the same.
  player.receive("ORD ( SPR 1901 ) ( ( ENG FLT ECH ) HLD ) ( SUC )");
  player.receive(
      "NOW ( FAL 1901 ) ( ENG FLT ECH ) ( FRA FLT BRE ) ( FRA AMY PAR ) ( FRA AMY MAR ) "
      "( GER AMY MUN )");
  player.bot->PressWaitOver();
  player.sink.take();
  player.receive("ORD ( FAL 1901 ) ( ( ENG FLT ECH ) MTO BRE ) ( BNC )");
  player.receive(
      "NOW ( SPR 1902 ) ( ENG FLT ECH ) ( FRA FLT BRE ) ( FRA AMY PAR ) ( FRA AMY MAR ) "
      "( GER AMY MUN )");
  EXPECT_EQ(player.bot->negotiator().broken(ENG.subtoken()), 1);
  EXPECT_FALSE(player.bot->negotiator().trusts(ENG.subtoken()));
  player.sink.take();
  player.receive("FRM ( ENG ) ( FRA ) ( PRP ( PCE ( ENG FRA ) ) )");
  EXPECT_EQ(press_of(player.sink.take().at(0)), parse("REJ ( PRP ( PCE ( ENG FRA ) ) )"));
}

// A breaker's proposals from the bot are cancelled, and only the breaker's: what it still
// waits for from others stands.
TEST(Negotiation, OnlyTheBreakersProposalsAreWithdrawn) {
  PressBot player(std::vector<std::pair<std::string, std::string>>{{"peaceMinAggression", "0"}});
  const std::vector<TokenMessage> proposed =
      starting(player.play("FRA", 10, testing::kStartSco, kNow), SND);
  ASSERT_EQ(proposed.size(), 2u);  // peace to England and to Italy
  player.receive("FRM ( ENG ) ( FRA ) ( PRP ( PCE ( ENG FRA ) ) )");
  ASSERT_EQ(press_of(player.sink.take().at(0)).first_token(), YES);
  // England goes for Brest; the phase ends before anybody answered the bot.
  player.receive("ORD ( SPR 1901 ) ( ( ENG FLT ECH ) MTO BRE ) ( BNC )");
  player.receive(std::string(kNow).replace(6, 8, "FAL 1901"));
  // Cancelled at once to England; to Italy only as unanswered when this phase's wait ends.
  EXPECT_EQ(starting(player.sink.take(), SND),
            (std::vector<TokenMessage>{
                parse("SND ( FAL 1901 ) ( ENG ) ( CCL ( PRP ( PCE ( ENG FRA ) ) ) )"),
                parse("SND ( FAL 1901 ) ( ITA ) ( CCL ( PRP ( PCE ( FRA ITA ) ) ) )")}));
}

// At each level it proposes nothing the level lacks, always in the SND that names the turn,
// and its TRY lists what the level speaks; below 30 peace with a free border comes as two
// proposals, the peace once the zone is agreed.
TEST(Negotiation, SpeaksExactlyTheGamesLevel) {
  using press::ArrangementKind;
  for (int level : {10, 20, 30}) {
    SCOPED_TRACE(level);
    // Plain peace needs aggression, which 1901 has not had: at level 10 it offers it anyway.
    PressBot player(std::vector<std::pair<std::string, std::string>>{
        {"peaceMinAggression", level == 10 ? "0" : "0.3"}});
    const std::vector<TokenMessage> proposals =
        starting(player.play("FRA", level, testing::kStartSco, kNow), SND);
    ASSERT_FALSE(proposals.empty());
    // What it proposed to whom, in order.
    std::vector<std::pair<ArrangementKind, TokenMessage>> said;
    for (const TokenMessage& snd : proposals) {
      EXPECT_EQ(snd.sub_message(1), parse("SPR 1901")) << printed_text(snd);
      press::PressMessage read;
      ASSERT_EQ(press::read_press(press_of(snd), level, 7, read), -1) << printed_text(snd);
      said.emplace_back(read.arrangement.kind, recipients_of(snd));
    }
    auto first = [&](ArrangementKind kind, const TokenMessage& to) {
      return static_cast<long>(std::find(said.begin(), said.end(), std::make_pair(kind, to)) -
                               said.begin());
    };
    bool multipart = false;
    for (const auto& [kind, to] : said) {
      multipart = multipart || kind == ArrangementKind::kAnd;
      // Below 30 the peace that comes with a free border waits for the border.
      if (kind == ArrangementKind::kDemilitarised) {
        EXPECT_EQ(first(ArrangementKind::kPeace, to), static_cast<long>(said.size()));
        player.receive(((FRM & to) & FRA) &
                       (YES & press_of(proposals[static_cast<std::size_t>(first(kind, to))])));
        const std::vector<TokenMessage> next = starting(player.sink.take(), SND);
        ASSERT_EQ(next.size(), 1u);
        EXPECT_EQ(press_of(next[0]).sub_message(1).first_token(), PCE);
      }
    }
    // What the level lacks is not understood.
    player.receive(
        "FRM ( ITA ) ( FRA ) ( PRP ( AND ( PCE ( FRA ITA ) ) ( DMZ ( FRA ITA ) ( PIE ) ) ) )");
    const std::vector<TokenMessage> answers = player.sink.take();
    ASSERT_FALSE(answers.empty());
    EXPECT_EQ(press_of(answers.front()).first_token() == HUH, level < 30);
    if (level < 30) {
      EXPECT_EQ(press_of(answers.back()), press::try_message(level));
    }
  }
}

// A free border and the peace it comes with, sent apart below level 30: the peace is judged
// with the border, taken or refused.
TEST(Negotiation, JudgesAPeaceWithTheBorderItCameWith) {
  for (const char* border : {"PIC", "BUR"}) {  // France's army stands in Burgundy
    SCOPED_TRACE(border);
    PressBot player;
    player.play("FRA", 20, testing::kStartSco, kNow);
    const std::string zone = std::string("PRP ( DMZ ( ENG FRA ) ( ") + border + " ) )";
    player.receive("FRM ( ENG ) ( FRA ) ( " + zone + " )");
    player.receive("FRM ( ENG ) ( FRA ) ( PRP ( PCE ( ENG FRA ) ) )");
    std::vector<Token> verdicts;
    for (const TokenMessage& snd : starting(player.sink.take(), SND)) {
      if (recipients_of(snd) == parse("ENG") && press_of(snd).sub_message(1).first_token() == PRP)
        verdicts.push_back(press_of(snd).first_token());
    }
    const Token expected = std::string(border) == "PIC" ? YES : REJ;
    EXPECT_EQ(verdicts, (std::vector<Token>{expected, expected}));
  }
}

// Where the game allows no press it sends none: no answer in a retreat phase of a game
// without press in retreats, and none after the time the game stops press.
TEST(Negotiation, SilentWhereTheGameAllowsNoPress) {
  PressBot player;
  player.play("FRA", "( LVL 20 ) ( NPR ) ( NPB )", testing::kStartSco, kNow);
  player.bot->PressWaitOver();
  player.sink.take();
  player.receive("NOW ( SUM 1901 ) ( FRA AMY BUR MRT ( PIC ) ) ( GER AMY BUR ) ( FRA AMY PAR )");
  const std::vector<TokenMessage> retreat = player.sink.take();
  ASSERT_FALSE(retreat.empty());
  EXPECT_TRUE(starting(retreat, SND).empty());
  for (const char* press : {"FRM ( GER ) ( FRA ) ( PRP ( PCE ( FRA GER ) ) )",
                            "FRM ( GER ) ( FRA ) ( PRP ( QRY ( DRW ) ) )"}) {
    player.receive(press);
    EXPECT_TRUE(player.sink.take().empty()) << press;
  }
  // Press ended 9 of 10 seconds before the deadline: a second after the phase began, no
  // proposal and no answer goes out, and the orders do not wait.
  PressBot late;
  std::vector<TokenMessage> sent =
      late.play("FRA", "( LVL 20 ) ( MTL 10 ) ( PTL 9 )", testing::kStartSco, kNow);
  EXPECT_TRUE(starting(sent, SND).empty());
  EXPECT_EQ(starting(sent, SUB).size(), 1u);
  late.receive("FRM ( GER ) ( FRA ) ( PRP ( PCE ( FRA GER ) ) )");
  EXPECT_TRUE(late.sink.take().empty());
}

// Where partial draws are allowed it asks for the draw of everybody still in the game, once
// no centre changed hands for drawYears years; DRW otherwise.
TEST(Negotiation, AsksForADrawWhenNothingChangesHands) {
  for (const char* variant : {"( LVL 10 ) ( PDA )", "( LVL 10 )"}) {
    PressBot player(std::vector<std::pair<std::string, std::string>>{{"drawYears", "1"}});
    player.play("FRA", variant, testing::kStartSco, kNow);
    player.bot->PressWaitOver();
    player.sink.take();
    player.receive(std::string(kNow).replace(6, 8, "FAL 1901"));
    player.bot->PressWaitOver();
    EXPECT_TRUE(starting(player.sink.take(), DRW).empty());
    player.receive(std::string(kNow).replace(6, 8, "SPR 1902"));
    const std::vector<TokenMessage> draws = starting(player.sink.take(), DRW);
    ASSERT_EQ(draws.size(), 1u) << variant;
    EXPECT_EQ(draws[0], std::string(variant).find("PDA") != std::string::npos
                            ? parse("DRW ( AUS ENG FRA GER ITA RUS TUR )")
                            : parse("DRW"));
  }
}

}  // namespace
}  // namespace quorvel
