#pragma once

#include <vector>

#include "protocol/token.h"
#include "protocol/token_message.h"

// The press language of DAIDE levels 10 to 30: what powers say to each other inside SND
// and FRM, read into plain values and printed back token for token.
namespace quorvel::press {

inline constexpr int kPeaceLevel = 10;      // peace, alliances, draws
inline constexpr int kOrderLevel = 20;      // promised orders, demilitarised zones
inline constexpr int kMultipartLevel = 30;  // AND and ORR, one of them once in a message
// The highest level this language reads; anything above it is not understood.
inline constexpr int kHighestLevel = kMultipartLevel;
// How deeply press may nest (CCL of CCL, NOT of AND of ...); deeper is a fault, so that
// hostile input cannot exhaust the stack.
inline constexpr int kMaxNesting = 40;

enum class ArrangementKind {
  kPeace,          // PCE (power power ...)
  kAlliance,       // ALY (power power ...) VSS (power ...)
  kDraw,           // DRW, or DRW (power ...) where partial draws are allowed
  kSolo,           // SLO (power)
  kNot,            // NOT (arrangement)
  kNoAgreement,    // NAR (arrangement)
  kOrder,          // XDO (order), level 20
  kDemilitarised,  // DMZ (power ...) (province ...), level 20
  kAnd,            // AND (arrangement) (arrangement) ..., level 30
  kOr,             // ORR (arrangement) (arrangement) ..., level 30
};

struct Arrangement {
  ArrangementKind kind = ArrangementKind::kDraw;
  std::vector<Token> powers;       // PCE's, ALY's allies, SLO's winner, DMZ's, DRW's if any
  std::vector<Token> against;      // after ALY's VSS
  std::vector<Token> provinces;    // DMZ's
  TokenMessage order;              // XDO's, as SUB writes it
  std::vector<Arrangement> parts;  // NOT and NAR: one; AND and ORR: two or more
};

enum class PressKind {
  kProposal,            // PRP (arrangement)
  kFact,                // FCT (arrangement)
  kCancel,              // CCL (press message): a proposal, or a YES not yet in force
  kTry,                 // TRY (token ...)
  kYes,                 // YES (press message): replies from here on
  kReject,              // REJ (press message)
  kNoneOfYourBusiness,  // BWX (press message)
  kHuh,                 // HUH (anything): what was not understood, an ERR inside
};

struct PressMessage {
  PressKind kind = PressKind::kTry;
  Arrangement arrangement;             // PRP's, FCT's
  std::vector<PressMessage> answered;  // YES's, REJ's, BWX's, CCL's: the one message
  TokenMessage tokens;                 // TRY's list, HUH's content
  bool is_reply() const { return kind >= PressKind::kYes; }
};

// Reads the press of an SND or FRM (the inside of its last element) at the game's level,
// naming only powers below powers (their count on the map). Answers -1 and fills out, or
// the index of the first token at fault: unknown, misplaced or missing (then the index
// where it should stand), repeated in a list, or above the level. A message holds one AND
// or one ORR at most, never nested: the second one is at fault.
int read_press(const TokenMessage& press, int level, int powers, PressMessage& out);
int read_arrangement(const TokenMessage& arrangement, int level, int powers, Arrangement& out);

TokenMessage to_message(const PressMessage& message);
TokenMessage to_message(const Arrangement& arrangement);

// The lowest level at which the message may be sent.
int required_level(const PressMessage& message);
int required_level(const Arrangement& arrangement);

// Every power the arrangement names, once each, in the order they first appear; the
// power of an XDO is the owner of its unit.
std::vector<Token> named_powers(const Arrangement& arrangement);

// TRY with the press tokens spoken up to the level.
TokenMessage try_message(int level);

// SND (season year) (recipients) (press): the form that asks for delivery in that turn
// only, which every server reads (some read no other); SND (recipients) (press) while no
// turn is known.
TokenMessage send_message(Token season, int year, const TokenMessage& recipients,
                          const TokenMessage& press);

}  // namespace quorvel::press
