// Press through the game session: each SND gets its one answer, and the press goes to its
// recipients and to nobody else.
#include <gtest/gtest.h>

#include "protocol/tokens.h"
#include "server/session_support.h"

namespace quorvel {
namespace {

using namespace tok;
using testing::parse;
using testing::Session;

// Turkey is out from the start: no unit, no centre.
const char* const kNow =
    "NOW ( SPR 1901 ) ( AUS AMY BUD ) ( AUS AMY VIE ) ( AUS FLT TRI ) ( ENG FLT EDI ) "
    "( ENG FLT LON ) ( ENG AMY LVP ) ( FRA FLT BRE ) ( FRA AMY MAR ) ( FRA AMY PAR ) "
    "( GER FLT KIE ) ( GER AMY BER ) ( GER AMY MUN ) ( ITA FLT NAP ) ( ITA AMY ROM ) "
    "( ITA AMY VEN ) ( RUS AMY WAR ) ( RUS AMY MOS ) ( RUS FLT SEV ) ( RUS FLT ( STP SCS ) )";
const char* const kSco =
    "SCO ( AUS BUD TRI VIE ) ( ENG EDI LON LVP ) ( FRA BRE MAR PAR ) ( GER BER KIE MUN ) "
    "( ITA NAP ROM VEN ) ( RUS MOS SEV STP WAR ) "
    "( UNO ANK CON SMY BEL BUL DEN GRE HOL NWY POR RUM SER SPA SWE TUN )";

class PressSession : public Session {
 protected:
  // Austria, England and France are clients 1, 2 and 3, and as many more as asked in
  // power order; the rest hold.
  void start_press(std::initializer_list<std::string> flags, opponents::OpponentKind house,
                   int clients = 3, const char* now_text = kNow) {
    start(flags, now_text, kSco);
    std::vector<std::optional<opponents::OpponentKind>> seats(static_cast<std::size_t>(clients));
    seats.resize(7, house);
    session->fix_seats(seats);
    for (int client = 1; client <= clients; ++client)
      join(client);
    for (int client = 1; client <= clients; ++client)
      ASSERT_EQ(out.until(client, NOW).first_token(), NOW);
  }
  void start_press(const std::string& level, opponents::OpponentKind house) {
    start_press({level}, house);
  }
  // Every message the client was sent, then none.
  std::vector<TokenMessage> drain(int client) {
    std::vector<TokenMessage> messages(out.sent[client].begin(), out.sent[client].end());
    out.sent[client].clear();
    return messages;
  }
};

TEST_F(PressSession, EachSndGetsItsAnswerAndOnlyItsRecipientsHearIt) {
  start_press("-l20", opponents::OpponentKind::kHolder);
  struct Case {
    const char* snd;
    const char* answer;  // to the sender, Austria
    std::vector<int> hear;
  };
  const Case cases[] = {
      {"SND ( ENG ) ( PRP ( PCE ( AUS ENG ) ) )",
       "YES ( SND ( ENG ) ( PRP ( PCE ( AUS ENG ) ) ) )",
       {2}},
      {"SND ( ENG FRA ) ( PRP ( DMZ ( AUS ENG FRA ) ( TYR BOH ) ) )",
       "YES ( SND ( ENG FRA ) ( PRP ( DMZ ( AUS ENG FRA ) ( TYR BOH ) ) ) )",
       {2, 3}},
      {"SND ( SPR 1901 ) ( FRA ) ( FCT ( PCE ( AUS FRA ) ) )",
       "YES ( SND ( SPR 1901 ) ( FRA ) ( FCT ( PCE ( AUS FRA ) ) ) )",
       {3}},
      // To a house player: it goes to nobody here.
      {"SND ( GER ) ( PRP ( PCE ( AUS GER ) ) )",
       "YES ( SND ( GER ) ( PRP ( PCE ( AUS GER ) ) ) )",
       {}},
      {"SND ( FAL 1900 ) ( ENG ) ( PRP ( DRW ) )",
       "REJ ( SND ( FAL 1900 ) ( ENG ) ( PRP ( DRW ) ) )",
       {}},
      {"SND ( TUR ENG ) ( PRP ( PCE ( AUS TUR ) ) )", "OUT ( TUR )", {}},
      // To itself: read, and refused.
      {"SND ( AUS ENG ) ( PRP ( DRW ) )", "REJ ( SND ( AUS ENG ) ( PRP ( DRW ) ) )", {}},
      {"SND ( ENG ENG ) ( PRP ( DRW ) )", "HUH ( SND ( ENG ERR ENG ) ( PRP ( DRW ) ) )", {}},
      {"SND ( ) ( PRP ( DRW ) )", "HUH ( SND ( ERR ) ( PRP ( DRW ) ) )", {}},
      {"SND ( ENG )", "HUH ( SND ( ENG ) ERR )", {}},
      {"SND ENG ( PRP ( DRW ) )", "HUH ( SND ERR ENG ( PRP ( DRW ) ) )", {}},
      {"SND ( ENG ) ( PRP ( PCE ( ) ) )", "HUH ( SND ( ENG ) ( PRP ( PCE ( ERR ) ) ) )", {}},
      {"SND ( ENG ) ( PRP ( QRY ( DRW ) ) )",
       "HUH ( SND ( ENG ) ( PRP ( ERR QRY ( DRW ) ) ) )",
       {}},
      // An element too many: at fault from where it starts.
      {"SND ( SPR 1901 ) ( ENG ) ( PRP ( DRW ) ) ( DRW )",
       "HUH ( SND ( SPR 1901 ) ( ENG ) ( PRP ( DRW ) ) ERR ( DRW ) )",
       {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.snd);
    say(1, c.snd);
    EXPECT_EQ(drain(1), std::vector<TokenMessage>{parse(c.answer)});
    const TokenMessage snd = parse(c.snd);
    for (int client = 2; client <= 3; ++client) {
      const bool hears = std::count(c.hear.begin(), c.hear.end(), client) > 0;
      const std::vector<TokenMessage> heard = drain(client);
      if (!hears) {
        EXPECT_TRUE(heard.empty()) << client;
        continue;
      }
      const int n = snd.sub_message_count();
      ASSERT_EQ(heard.size(), 1u) << client;
      EXPECT_EQ(heard[0], ((FRM & AUS) & snd.sub_message(n - 2)) & snd.sub_message(n - 1));
    }
  }
  // A power the map does not have.
  say(1, (SND & Token(CATEGORY_POWER, 7)) & parse("PRP ( DRW )"));
  EXPECT_EQ(drain(1), std::vector<TokenMessage>{
                          HUH & ((SND & (ERR + Token(CATEGORY_POWER, 7))) & parse("PRP ( DRW )"))});
  // An observer has nobody to speak for.
  session->on_connect(9, "test");
  say(9, "OBS");
  drain(9);
  say(9, "SND ( ENG ) ( PRP ( DRW ) )");
  EXPECT_EQ(drain(9), std::vector<TokenMessage>{parse("REJ ( SND ( ENG ) ( PRP ( DRW ) ) )")});

  // A recipient in civil disorder: nobody hears it.
  session->on_disconnect(3, now);
  drain(1);
  drain(2);
  say(1, "SND ( ENG FRA ) ( PRP ( DRW ) )");
  EXPECT_EQ(drain(1), std::vector<TokenMessage>{parse("CCD ( FRA )")});
  EXPECT_TRUE(drain(2).empty());

  // The record keeps the press and what the referee made of it.
  const std::string record = record_text();
  EXPECT_NE(record.find("client 1 (AUS) >> SND ( ENG ) ( PRP ( PCE ( AUS ENG ) ) )"),
            std::string::npos);
  EXPECT_NE(record.find("client 2 (ENG) << FRM ( AUS ) ( ENG ) ( PRP ( PCE ( AUS ENG ) ) )"),
            std::string::npos);
  EXPECT_NE(record.find("GER (Holder) << FRM ( AUS ) ( GER ) ( PRP ( PCE ( AUS GER ) ) )"),
            std::string::npos);
}

TEST_F(PressSession, LevelsFloodsAndHostileSizes) {
  start_press("-l10", opponents::OpponentKind::kHolder);
  // Level 10 does not speak of orders.
  say(1, "SND ( ENG ) ( PRP ( XDO ( ( AUS AMY VIE ) HLD ) ) )");
  EXPECT_EQ(drain(1), std::vector<TokenMessage>{parse(
                          "HUH ( SND ( ENG ) ( PRP ( ERR XDO ( ( AUS AMY VIE ) HLD ) ) ) )")});

  // 10,000 brackets deep: an answer, and the game goes on.
  std::vector<Token> deep{SND, BRA, ENG, KET, BRA, PRP, BRA};
  for (int i = 0; i < 10000; ++i) {
    deep.push_back(NOT);
    deep.push_back(BRA);
  }
  deep.push_back(DRW);
  deep.insert(deep.end(), 10002, KET);
  TokenMessage message;
  ASSERT_EQ(message.set_from_tokens(deep.data(), static_cast<int>(deep.size())), -1);
  say(1, message);
  std::vector<TokenMessage> answers = drain(1);
  ASSERT_EQ(answers.size(), 1u);
  EXPECT_EQ(answers[0].first_token(), HUH);
  EXPECT_TRUE(drain(2).empty());

  // As large as a frame carries: too large to relay, and the refusal still fits a frame.
  std::vector<Token> huge{SND, BRA, ENG, KET, BRA, TRY, BRA};
  huge.insert(huge.end(), 32767 - huge.size() - 2, PCE);
  huge.push_back(KET);
  huge.push_back(KET);
  ASSERT_EQ(message.set_from_tokens(huge.data(), static_cast<int>(huge.size())), -1);
  say(1, message);
  answers = drain(1);
  ASSERT_EQ(answers.size(), 1u);
  EXPECT_EQ(answers[0].first_token(), REJ);
  EXPECT_LE(answers[0].length(), 32767);
  EXPECT_TRUE(drain(2).empty());

  // A flood: refused beyond the limit of the phase, for this power only.
  int refused = 0;
  for (int i = 0; i < 1000; ++i) {
    say(1, "SND ( ENG ) ( FCT ( DRW ) )");
    for (const TokenMessage& answer : drain(1))
      refused += answer.first_token() == REJ;
  }
  EXPECT_GE(refused, 800);
  EXPECT_LT(drain(2).size(), 200u);
  say(2, "SND ( AUS ) ( FCT ( DRW ) )");
  EXPECT_EQ(drain(2).front().first_token(), YES);
  // A new phase, a new allowance.
  const Token powers[] = {AUS, ENG, FRA};
  for (int client = 1; client <= 3; ++client)
    say(client, testing::hold_all(parse(kNow), powers[client - 1]));
  ASSERT_EQ(out.until(1, NOW).sub_message(1), parse("FAL 1901"));
  drain(1);
  say(1, "SND ( ENG ) ( FCT ( DRW ) )");
  EXPECT_EQ(drain(1).front().first_token(), YES);
}

// REJ where DAIDE refuses press that reads: to oneself, before the game, from a power out of
// it, and where the game's options forbid press at the moment, without counting it.
TEST_F(PressSession, RefusedWhereTheGameAllowsNoPressThen) {
  const TokenMessage level_30 = parse("SND ( ENG ) ( PRP ( AND ( PCE ( AUS ENG ) ) ( DRW ) ) )");
  // Before the game began.
  start({"-l30"}, kNow, kSco);
  join(1);
  say(1, level_30);
  EXPECT_EQ(drain(1).back(), REJ & level_30);

  // From a power out of the game: Turkey, client 7.
  start_press({"-l30"}, opponents::OpponentKind::kHolder, 7);
  say(7, "SND ( ENG ) ( FCT ( DRW ) )");
  EXPECT_EQ(drain(7), std::vector<TokenMessage>{parse("REJ ( SND ( ENG ) ( FCT ( DRW ) ) )")});
  // Level 30 carries AND and ORR; a second one in a message is at fault.
  say(1, level_30);
  EXPECT_EQ(drain(1), std::vector<TokenMessage>{YES & level_30});
  say(1, "SND ( ENG ) ( PRP ( AND ( DRW ) ( ORR ( DRW ) ( SLO ( ENG ) ) ) ) )");
  EXPECT_EQ(
      drain(1).back(),
      parse("HUH ( SND ( ENG ) ( PRP ( AND ( DRW ) ( ERR ORR ( DRW ) ( SLO ( ENG ) ) ) ) ) )"));
  EXPECT_EQ(session->press_refused(0), 1);
  // Level 20 does not.
  start_press({"-l20"}, opponents::OpponentKind::kHolder);
  say(1, level_30);
  EXPECT_EQ(drain(1).back(),
            parse("HUH ( SND ( ENG ) ( PRP ( ERR AND ( PCE ( AUS ENG ) ) ( DRW ) ) ) )"));

  struct Case {
    const char* what;
    std::initializer_list<std::string> flags;
    const char* now;
    int seconds;  // into the phase
    bool allowed;
  };
  const char* const retreat =
      "NOW ( SUM 1901 ) ( AUS AMY VIE ) ( ENG FLT LON ) ( FRA AMY PAR ) "
      "( FRA AMY BUR MRT ( PIC ) )";
  const char* const winter = "NOW ( WIN 1901 ) ( AUS AMY VIE ) ( ENG FLT LON ) ( FRA AMY PAR )";
  const Case cases[] = {
      {"retreats with NPR", {"-l10", "-vNPR"}, retreat, 0, false},
      {"retreats with NPB only", {"-l10", "-vNPB"}, retreat, 0, true},
      {"adjustments with NPB", {"-l10", "-vNPB"}, winter, 0, false},
      {"adjustments with NPR only", {"-l10", "-vNPR"}, winter, 0, true},
      {"before the last seconds", {"-l10", "-vPTL=20", "-m60"}, kNow, 39, true},
      {"in the last seconds", {"-l10", "-vPTL=20", "-m60"}, kNow, 41, false},
      {"PTL with no time limit", {"-l10", "-vPTL=20"}, kNow, 3600, true},
      {"in a retreat with PTL", {"-l10", "-vPTL=20", "-m60", "-r5"}, retreat, 4, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    start_press(c.flags, opponents::OpponentKind::kHolder, 3, c.now);
    drain(1);
    drain(2);
    const TokenMessage snd = parse("SND ( ENG ) ( FCT ( DRW ) )");
    now += std::chrono::seconds(c.seconds);
    // Many of them: refused where not allowed, none counted against the allowance.
    for (int i = 0; i < 250; ++i)
      say(1, snd);
    const std::vector<TokenMessage> answers = drain(1);
    ASSERT_EQ(answers.size(), 250u);
    EXPECT_EQ(answers.front(), (c.allowed ? YES : REJ) & snd);
    EXPECT_EQ(drain(2).size(), c.allowed ? 200u : 0u);
    EXPECT_EQ(session->press_refused(0), c.allowed ? 50 : 250);
    now = Clock::time_point() + std::chrono::hours(1);
  }
}

// With partial draws, DRW names the powers to share the draw: declared when every power
// still in the game asked for the same in the same turn.
TEST_F(PressSession, PartialDrawsWhenEverySurvivorAsksForTheSame) {
  start_press({"-l10", "-vPDA"}, opponents::OpponentKind::kHolder, 7);
  for (int client = 1; client <= 6; ++client)
    drain(client);
  // Turkey is out and cannot be named; no power twice; what is no power is not understood.
  say(1, "DRW ( AUS TUR )");
  EXPECT_EQ(drain(1), std::vector<TokenMessage>{parse("REJ ( DRW ( AUS TUR ) )")});
  say(1, "DRW ( AUS ENG AUS )");
  EXPECT_EQ(drain(1), std::vector<TokenMessage>{parse("REJ ( DRW ( AUS ENG AUS ) )")});
  say(1, "DRW ( AUS PAR )");
  EXPECT_EQ(drain(1), std::vector<TokenMessage>{parse("HUH ( DRW ( AUS ERR PAR ) )")});
  say(1, "DRW ( )");
  EXPECT_EQ(drain(1), std::vector<TokenMessage>{parse("HUH ( DRW ( ERR ) )")});
  // Five ask for the draw of England and France, one for all: no draw.
  for (int client = 1; client <= 5; ++client)
    say(client, client % 2 ? "DRW ( ENG FRA )" : "DRW ( FRA ENG )");
  say(6, "DRW");
  EXPECT_FALSE(session->finished());
  // Asked again with the same list, it is declared for those two only.
  say(6, "DRW ( FRA ENG )");
  ASSERT_TRUE(session->finished());
  EXPECT_EQ(out.until(1, DRW), parse("DRW ( ENG FRA )"));

  // Without partial draws DRW names nobody.
  start_press({"-l10"}, opponents::OpponentKind::kHolder);
  drain(1);
  say(1, "DRW ( AUS ENG )");
  EXPECT_EQ(drain(1), std::vector<TokenMessage>{parse("HUH ( DRW ERR ( AUS ENG ) )")});
}

// Honest and liar house players talk back: answers to proposals, HUH and TRY to garbage,
// their own proposals when a movement phase begins.
TEST_F(PressSession, HousePlayersNegotiate) {
  start_press("-l20", opponents::OpponentKind::kLiar);
  // Each liar proposed peace to each client at the start.
  const std::vector<TokenMessage> heard = drain(1);
  int proposals = 0;
  for (const TokenMessage& m : heard) {
    if (m.first_token() == FRM && m.sub_message(3).first_token() == PRP) ++proposals;
  }
  EXPECT_EQ(proposals, 3);  // Germany, Italy and Russia; Turkey is out
  say(1, "SND ( GER ) ( PRP ( PCE ( AUS GER ) ) )");
  EXPECT_EQ(drain(1), (std::vector<TokenMessage>{
                          parse("YES ( SND ( GER ) ( PRP ( PCE ( AUS GER ) ) ) )"),
                          parse("FRM ( GER ) ( AUS ) ( YES ( PRP ( PCE ( AUS GER ) ) ) )")}));
  say(1, "SND ( ITA ) ( PRP ( DMZ ( AUS ITA ) ( TYR ) ) )");
  EXPECT_EQ(drain(1).back(),
            parse("FRM ( ITA ) ( AUS ) ( REJ ( PRP ( DMZ ( AUS ITA ) ( TYR ) ) ) )"));
  say(1, "SND ( RUS ) ( PRP ( PCE ( AUS ) ) )");
  EXPECT_EQ(drain(1).front().first_token(), HUH);
  say(1, "SND ( RUS ) ( HUH ( ERR PRP ( PCE ( AUS ) ) ) )");
  EXPECT_EQ(drain(1).size(), 1u);  // YES to the sender; no answer to a reply
  EXPECT_NE(record_text().find("made by AUS GER: PCE ( AUS GER )"), std::string::npos);
}

// On a server, house players order when a phase begins; honest orders again when a
// client's proposal binds it afterwards, so it keeps even the peace made late.
TEST_F(PressSession, HonestKeepsAPeaceMadeAfterItOrdered) {
  start_press("-l20", opponents::OpponentKind::kHonest);
  const Token clients[] = {AUS, ENG, FRA};
  for (int phase = 0; phase < 6 && !session->finished(); ++phase) {
    for (int client = 1; client <= 3; ++client) {
      for (const char* other : {"GER", "ITA", "RUS"}) {
        const std::string me = printed_text(TokenMessage(clients[client - 1]));
        say(client,
            "SND ( " + std::string(other) + " ) ( PRP ( PCE ( " + me + " " + other + " ) ) )");
      }
    }
    const TokenMessage position = session->game().position().now_message(session->game().map());
    for (int client = 1; client <= 3; ++client)
      say(client, testing::hold_all(position, clients[client - 1]));
  }
  const std::string record = record_text();
  EXPECT_NE(record.find("made by AUS"), std::string::npos) << record;
  EXPECT_EQ(record.find("breach"), std::string::npos);
}

}  // namespace
}  // namespace quorvel
