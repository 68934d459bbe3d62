// The press language as powers write it to each other at levels 10, 20 and 30.
#include "protocol/press.h"

#include <gtest/gtest.h>

#include "protocol/tokens.h"
#include "support/messages.h"

namespace quorvel::press {
namespace {

using testing::parse;
using testing::token_index;

int fault_of(const std::string& text, int level = 30, int powers = 7) {
  PressMessage out;
  return read_press(parse(text), level, powers, out);
}

TEST(Press, EveryFormReadsAndPrintsBackTokenForTokenWithItsLevel) {
  const std::pair<const char*, int> examples[] = {
      {"PRP ( PCE ( ENG FRA ) )", 10},
      {"FCT ( PCE ( ENG FRA ) )", 10},
      {"PRP ( NOT ( PCE ( ENG FRA ) ) )", 10},
      {"FCT ( NOT ( PCE ( ENG FRA ) ) )", 10},
      {"YES ( PRP ( PCE ( ENG FRA ) ) )", 10},
      {"REJ ( PRP ( ALY ( ENG FRA ) VSS ( GER TUR ) ) )", 10},
      {"BWX ( PRP ( DRW ) )", 10},
      {"PRP ( DRW ( ENG FRA GER ) )", 10},  // a partial draw
      {"CCL ( PRP ( SLO ( ENG ) ) )", 10},
      {"CCL ( YES ( PRP ( PCE ( ENG FRA ) ) ) )", 10},  // a YES taken back
      {"HUH ( ERR PRP ( QRY ( PCE ( ENG FRA ) ) ) )", 10},
      {"TRY ( PRP PCE ALY VSS )", 10},
      {"TRY ( )", 10},
      {"PRP ( NAR ( PCE ( ENG FRA GER ) ) )", 10},
      {"PRP ( XDO ( ( FRA AMY BUR ) SUP ( GER AMY MUN ) MTO RUH ) )", 20},
      {"PRP ( XDO ( ( RUS FLT ( STP SCS ) ) MTO GOB ) )", 20},
      {"PRP ( XDO ( ( ENG FLT NTH ) CVY ( ENG AMY YOR ) CTO NWY ) )", 20},
      {"PRP ( XDO ( ( ENG AMY YOR ) CTO NWY VIA ( NTH ) ) )", 20},
      {"PRP ( XDO ( ( FRA FLT BRE ) SUP ( FRA AMY PAR ) ) )", 20},
      {"PRP ( XDO ( ( FRA AMY PAR ) BLD ) )", 20},
      {"PRP ( XDO ( ENG WVE ) )", 20},
      {"PRP ( DMZ ( ENG FRA ) ( ECH NTH ) )", 20},
      {"FCT ( NOT ( DMZ ( ENG ) ( BEL ) ) )", 20},
      {"PRP ( AND ( PCE ( ENG FRA ) ) ( DMZ ( ENG FRA ) ( ECH ) ) )", 30},
      {"YES ( PRP ( ORR ( XDO ( ( ENG FLT NTH ) HLD ) ) ( XDO ( ( ENG FLT NTH ) MTO NWY ) ) ) )",
       30},
      {"PRP ( NOT ( AND ( PCE ( ENG FRA ) ) ( DMZ ( ENG ) ( BEL ) ) ) )", 30},
      {"PRP ( AND ( PCE ( ENG FRA ) ) ( NOT ( PCE ( ENG GER ) ) ) ( DRW ) )", 30},
  };
  for (const auto& [text, level] : examples) {
    PressMessage message;
    const TokenMessage tokens = parse(text);
    ASSERT_EQ(read_press(tokens, 30, 7, message), -1) << text;
    EXPECT_EQ(to_message(message), tokens) << text;
    EXPECT_EQ(required_level(message), level) << text;
    // Below its level the first construct that level lacks is at fault; at 0, everything.
    const std::string t = text;
    auto first_of = [&t](std::initializer_list<const char*> words) {
      std::size_t first = t.size();
      for (const char* word : words)
        first = std::min(first, t.find(word));
      return token_index(t, t.substr(first, 3));
    };
    EXPECT_EQ(fault_of(t, 0), 0) << text;
    if (level > 10) {
      EXPECT_EQ(fault_of(t, 10), first_of({"XDO", "DMZ", "AND", "ORR"})) << text;
    }
    if (level > 20) {
      EXPECT_EQ(fault_of(t, 20), first_of({"AND", "ORR"})) << text;
    }
  }
}

TEST(Press, FaultsAnswerTheFirstTokenAtFault) {
  // The text, then the word at fault and which of its occurrences.
  const std::tuple<const char*, const char*, int> faults[] = {
      {"PRP ( PCE ( ) )", ")", 1},                            // a list naming no power
      {"PRP ( PCE ( ENG ) )", ")", 1},                        // peace with oneself alone
      {"PRP ( PCE ( ENG FRA ENG ) )", "ENG", 2},              // a power repeated
      {"PRP ( PCE ( ENG PAR ) )", "PAR", 1},                  // not a power
      {"PRP ( ALY ( ENG FRA ) ( GER ) )", "(", 3},            // VSS missing
      {"PRP ( ALY ( ENG FRA ) VSS ( GER FRA ) )", "FRA", 2},  // an ally is an enemy too
      {"PRP ( SLO ( ENG FRA ) )", "FRA", 1},
      {"PRP ( DRW ENG )", "ENG", 1},
      {"PRP ( PCE ( ENG FRA ) ) FRA", "FRA", 2},      // something after the message
      {"PRP ( QRY ( PCE ( ENG FRA ) ) )", "QRY", 1},  // a query: above what it reads
      {"YES ( YES ( PRP ( DRW ) ) )", "YES", 2},      // a reply to a reply
      {"TRY ( PRP ( PCE ) )", "(", 2},                // TRY lists tokens only
      {"PRP ( AND ( PCE ( ENG FRA ) ) )", ")", 3},    // one part is no conjunction
      {"PRP ( ORR )", ")", 1},
      // One multipart arrangement a message: the second is at fault, nested or not.
      {"PRP ( AND ( PCE ( ENG FRA ) ) ( AND ( DRW ) ( SLO ( ENG ) ) ) )", "AND", 2},
      {"PRP ( ORR ( DRW ) ( NOT ( ORR ( DRW ) ( SLO ( ENG ) ) ) ) )", "ORR", 2},
      {"PRP ( ORR ( AND ( DRW ) ( SLO ( ENG ) ) ) ( DRW ) )", "AND", 1},
      {"PRP ( AND ( ORR ( DRW ) ( SLO ( ENG ) ) ) ( DRW ) )", "ORR", 1},
      {"CCL ( YES ( YES ( PRP ( DRW ) ) ) )", "YES", 2},  // a YES cancelled, not a YES of a YES
      {"PRP ( DRW ( ) )", ")", 1},
      {"PRP ( DRW ( ENG ENG ) )", "ENG", 2},
      {"PRP ( DMZ ( ENG ) ( ) )", ")", 2},
      {"PRP ( DMZ ( ENG ) ( BEL ENG ) )", "ENG", 2},
      {"PRP ( XDO ( ( FRA AMY BUR ) MTO ) )", ")", 2},
      {"PRP ( XDO ( ( FRA AMY BUR ) SUP ( GER AMY MUN ) MTO ( RUH NCS ) ) )", "(", 5},
      {"PRP ( XDO ( ( FRA TUR BUR ) HLD ) )", "TUR", 1},
      {"PRP ( XDO ( ( FRA FLT ( STP ) ) HLD ) )", ")", 1},
      {"PRP ( XDO ( ( FRA AMY BUR ) CTO PAR VIA ( ) ) )", ")", 2},
      {"PRP ( XDO ( ( FRA AMY BUR ) HLD HLD ) )", "HLD", 2},
      {"PRP", "PRP", 1},  // the bracket should stand after it: at the end
  };
  for (const auto& [text, word, n] : faults) {
    const int expected = std::string(text) == "PRP" ? 1 : token_index(text, word, n);
    EXPECT_EQ(fault_of(text), expected) << text;
  }
  EXPECT_EQ(fault_of("PRP ( PCE ( AUS FRA ) )", 30, 2), 5);  // no third power on this map
  PressMessage out;
  EXPECT_EQ(read_press(TokenMessage(), 20, 7, out), 0);
  // Joined from pieces: an unmatched bracket is a fault, not a read past the end.
  EXPECT_EQ(read_press(TokenMessage(tok::PRP) + tok::BRA + tok::DRW, 20, 7, out), 1);
}

// Hostile input must end in an answer, not in an exhausted stack or memory.
TEST(Press, DeepAndHugePressIsReadWithinBounds) {
  std::vector<Token> deep{tok::PRP, tok::BRA};
  for (int i = 0; i < 10000; ++i) {
    deep.push_back(tok::NOT);
    deep.push_back(tok::BRA);
  }
  deep.push_back(tok::DRW);
  deep.insert(deep.end(), 10001, tok::KET);
  TokenMessage message;
  ASSERT_EQ(message.set_from_tokens(deep.data(), static_cast<int>(deep.size())), -1);
  PressMessage out;
  const int fault = read_press(message, 20, 7, out);
  EXPECT_EQ(fault, 2 + 2 * kMaxNesting);

  // Nested brackets inside HUH are only carried; a frame's worth of TRY tokens reads.
  std::vector<Token> huh{tok::HUH, tok::BRA};
  huh.insert(huh.end(), 10000, tok::BRA);
  huh.insert(huh.end(), 10001, tok::KET);
  ASSERT_EQ(message.set_from_tokens(huh.data(), static_cast<int>(huh.size())), -1);
  EXPECT_EQ(read_press(message, 10, 7, out), -1);
  std::vector<Token> big{tok::TRY, tok::BRA};
  big.insert(big.end(), 32700, tok::PCE);
  big.push_back(tok::KET);
  ASSERT_EQ(message.set_from_tokens(big.data(), static_cast<int>(big.size())), -1);
  ASSERT_EQ(read_press(message, 10, 7, out), -1);
  EXPECT_EQ(out.tokens.length(), 32700);
}

TEST(Press, NamedPowersAndTheTokensSpoken) {
  Arrangement a;
  ASSERT_EQ(read_arrangement(parse("AND ( ALY ( ENG FRA ) VSS ( GER ) ) ( XDO ( ( RUS AMY WAR ) "
                                   "MTO PRU ) ) ( XDO ( ENG WVE ) )"),
                             30, 7, a),
            -1);
  EXPECT_EQ(named_powers(a), (std::vector<Token>{tok::ENG, tok::FRA, tok::GER, tok::RUS}));
  EXPECT_EQ(try_message(10), parse("TRY ( PRP YES REJ BWX HUH CCL FCT TRY PCE ALY VSS DRW SLO "
                                   "NOT NAR )"));
  EXPECT_EQ(try_message(20), parse("TRY ( PRP YES REJ BWX HUH CCL FCT TRY PCE ALY VSS DRW SLO "
                                   "NOT NAR XDO DMZ )"));
  EXPECT_EQ(try_message(40), parse("TRY ( PRP YES REJ BWX HUH CCL FCT TRY PCE ALY VSS DRW SLO "
                                   "NOT NAR XDO DMZ AND ORR )"));
  EXPECT_EQ(error_marked(parse("SND ( FRA ) ( XDO )"), 5), parse("SND ( FRA ) ( ERR XDO )"));
}

}  // namespace
}  // namespace quorvel::press
