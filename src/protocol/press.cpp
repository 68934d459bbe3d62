#include "protocol/press.h"

#include <algorithm>

#include "protocol/seasons.h"
#include "protocol/tokens.h"

namespace quorvel::press {

namespace {

using namespace tok;

bool is_power(Token t, int powers) {
  return t.category() == CATEGORY_POWER && t.subtoken() < powers;
}

// Reads one press message by recursive descent over [begin, end) ranges of the tokens.
// The first fault wins; every reader answers false once there is one.
class Reader {
 public:
  Reader(const TokenMessage& message, int level, int powers)
      : tokens_(message.data()),
        n_(std::max(message.length(), 0)),
        level_(level),
        powers_(powers),
        close_(static_cast<std::size_t>(n_), -1) {
    // Matching brackets once, without recursion; an unmatched one stays -1.
    std::vector<int> open;
    for (int i = 0; i < n_; ++i) {
      if (at(i) == BRA) {
        open.push_back(i);
      } else if (at(i) == KET && !open.empty()) {
        close_[static_cast<std::size_t>(open.back())] = i;
        open.pop_back();
      }
    }
  }

  int fault() const { return fault_; }
  int size() const { return n_; }

  bool message(int begin, int end, int depth, PressMessage& out) {
    if (!deep_enough(begin, depth) || !reached(begin, end, kPeaceLevel)) return false;
    const Token head = at(begin);
    int inside = 0;
    int close = 0;
    if (head == PRP || head == FCT) {
      out.kind = head == PRP ? PressKind::kProposal : PressKind::kFact;
      return bracket(begin + 1, end, inside, close) &&
             arrangement(inside, close, depth + 1, out.arrangement) && ends(close + 1, end);
    }
    if (head == YES || head == REJ || head == BWX || head == CCL) {
      out.kind = head == YES   ? PressKind::kYes
                 : head == REJ ? PressKind::kReject
                 : head == BWX ? PressKind::kNoneOfYourBusiness
                               : PressKind::kCancel;
      if (!bracket(begin + 1, end, inside, close)) return false;
      out.answered.emplace_back();
      if (!message(inside, close, depth + 1, out.answered.back())) return false;
      // A reply answers a press message, never another reply; a YES may be cancelled.
      const PressKind answered = out.answered.back().kind;
      if (out.answered.back().is_reply() && !(head == CCL && answered == PressKind::kYes))
        return fail(inside);
      return ends(close + 1, end);
    }
    if (head == HUH || head == TRY) {
      out.kind = head == HUH ? PressKind::kHuh : PressKind::kTry;
      if (!bracket(begin + 1, end, inside, close) || !ends(close + 1, end)) return false;
      for (int i = inside; i < close && head == TRY; ++i) {
        if (at(i) == BRA || at(i) == KET) return fail(i);
      }
      out.tokens = slice(inside, close);
      return true;
    }
    return fail(begin);
  }

  bool arrangement(int begin, int end, int depth, Arrangement& out) {
    if (!deep_enough(begin, depth) || !reached(begin, end, kPeaceLevel)) return false;
    const Token head = at(begin);
    int inside = 0;
    int close = 0;
    if (head == PCE) {
      out.kind = ArrangementKind::kPeace;
      return power_list(begin + 1, end, 2, out.powers, close) && ends(close + 1, end);
    }
    if (head == ALY) {
      out.kind = ArrangementKind::kAlliance;
      if (!power_list(begin + 1, end, 2, out.powers, close)) return false;
      if (close + 1 >= end || at(close + 1) != VSS) return fail(close + 1);
      const int first_enemy = close + 3;
      if (!power_list(close + 2, end, 1, out.against, close)) return false;
      for (std::size_t i = 0; i < out.against.size(); ++i) {
        if (std::count(out.powers.begin(), out.powers.end(), out.against[i]))
          return fail(first_enemy + static_cast<int>(i));
      }
      return ends(close + 1, end);
    }
    if (head == DRW) {
      out.kind = ArrangementKind::kDraw;
      if (begin + 1 < end && at(begin + 1) == BRA &&
          !power_list(begin + 1, end, 1, out.powers, close))
        return false;
      return ends(out.powers.empty() ? begin + 1 : close + 1, end);
    }
    if (head == SLO) {
      out.kind = ArrangementKind::kSolo;
      if (!power_list(begin + 1, end, 1, out.powers, close)) return false;
      if (out.powers.size() > 1) return fail(begin + 3);
      return ends(close + 1, end);
    }
    if (head == NOT || head == NAR) {
      out.kind = head == NOT ? ArrangementKind::kNot : ArrangementKind::kNoAgreement;
      out.parts.emplace_back();
      return bracket(begin + 1, end, inside, close) &&
             arrangement(inside, close, depth + 1, out.parts.back()) && ends(close + 1, end);
    }
    if (head == XDO) {
      out.kind = ArrangementKind::kOrder;
      if (!reached(begin, end, kOrderLevel) || !bracket(begin + 1, end, inside, close) ||
          !order(inside, close) || !ends(close + 1, end))
        return false;
      out.order = slice(inside, close);
      return true;
    }
    if (head == DMZ) {
      out.kind = ArrangementKind::kDemilitarised;
      return reached(begin, end, kOrderLevel) && power_list(begin + 1, end, 1, out.powers, close) &&
             province_list(close + 1, end, out.provinces, close) && ends(close + 1, end);
    }
    if (head == AND || head == ORR) {
      out.kind = head == AND ? ArrangementKind::kAnd : ArrangementKind::kOr;
      if (!reached(begin, end, kMultipartLevel)) return false;
      // Not nested, not both, each once: one multipart arrangement a message.
      if (multipart_seen_) return fail(begin);
      multipart_seen_ = true;
      int next = begin + 1;
      while (next < end) {
        if (!bracket(next, end, inside, close)) return false;
        out.parts.emplace_back();
        if (!arrangement(inside, close, depth + 1, out.parts.back())) return false;
        next = close + 1;
      }
      // One part alone is no choice and no conjunction.
      if (out.parts.size() < 2) return fail(next);
      return true;
    }
    return fail(begin);
  }

 private:
  Token at(int i) const { return i >= 0 && i < n_ ? tokens_[i] : END_OF_MESSAGE; }

  bool fail(int at) {
    if (fault_ < 0) fault_ = at;
    return false;
  }
  bool deep_enough(int begin, int depth) { return depth <= kMaxNesting || fail(begin); }
  // The construct at begin is allowed at the game's level; something must stand there.
  bool reached(int begin, int end, int level) {
    if (begin >= end) return fail(begin);
    return level_ >= level || fail(begin);
  }
  bool ends(int at, int end) { return at == end || fail(at); }

  // A bracket at begin within [begin, end): its inside is [inside, close).
  bool bracket(int begin, int end, int& inside, int& close) {
    if (begin >= end || at(begin) != BRA) return fail(begin);
    close = close_[static_cast<std::size_t>(begin)];
    if (close < 0 || close >= end) return fail(begin);
    inside = begin + 1;
    return true;
  }

  bool power_list(int begin, int end, std::size_t least, std::vector<Token>& out, int& close) {
    int inside = 0;
    if (!bracket(begin, end, inside, close)) return false;
    for (int i = inside; i < close; ++i) {
      if (!is_power(at(i), powers_) || std::count(out.begin(), out.end(), at(i))) return fail(i);
      out.push_back(at(i));
    }
    return out.size() >= least || fail(close);
  }

  bool province_list(int begin, int end, std::vector<Token>& out, int& close) {
    int inside = 0;
    if (!bracket(begin, end, inside, close)) return false;
    for (int i = inside; i < close; ++i) {
      if (!at(i).is_province() || std::count(out.begin(), out.end(), at(i))) return fail(i);
      out.push_back(at(i));
    }
    return !out.empty() || fail(close);
  }

  // province, or (province coast) where a fleet's coast may be named.
  bool location(int i, int end, bool coast_allowed, int& next) {
    if (i < end && at(i).is_province()) {
      next = i + 1;
      return true;
    }
    int inside = 0;
    int close = 0;
    if (!coast_allowed || !bracket(i, end, inside, close)) return fail(i);
    if (!at(inside).is_province()) return fail(inside);
    if (at(inside + 1).category() != CATEGORY_COAST) return fail(inside + 1);
    if (inside + 2 != close) return fail(inside + 2);
    next = close + 1;
    return true;
  }

  // (power AMY|FLT location)
  bool unit(int begin, int end, int& next) {
    int inside = 0;
    int close = 0;
    if (!bracket(begin, end, inside, close)) return false;
    if (!is_power(at(inside), powers_)) return fail(inside);
    if (at(inside + 1) != AMY && at(inside + 1) != FLT) return fail(inside + 1);
    int after = 0;
    if (!location(inside + 2, close, true, after) || !ends(after, close)) return false;
    next = close + 1;
    return true;
  }

  // An order as SUB writes it.
  bool order(int begin, int end) {
    if (is_power(at(begin), powers_)) {
      if (at(begin + 1) != WVE) return fail(begin + 1);
      return ends(begin + 2, end);
    }
    int i = 0;
    if (!unit(begin, end, i)) return false;
    const Token verb = i < end ? at(i) : END_OF_MESSAGE;
    ++i;
    if (verb == HLD || verb == DSB || verb == BLD || verb == REM) return ends(i, end);
    if (verb == MTO || verb == RTO) return location(i, end, true, i) && ends(i, end);
    if (verb == SUP) {
      if (!unit(i, end, i)) return false;
      if (i == end) return true;
      if (at(i) != MTO) return fail(i);
      return location(i + 1, end, false, i) && ends(i, end);
    }
    if (verb == CVY) {
      if (!unit(i, end, i)) return false;
      if (i >= end || at(i) != CTO) return fail(i);
      return location(i + 1, end, false, i) && ends(i, end);
    }
    if (verb == CTO) {
      if (!location(i, end, false, i)) return false;
      if (i >= end || at(i) != VIA) return fail(i);
      std::vector<Token> seas;
      int close = 0;
      return province_list(i + 1, end, seas, close) && ends(close + 1, end);
    }
    return fail(i - 1);
  }

  TokenMessage slice(int begin, int end) const {
    TokenMessage part;
    part.set_from_tokens(tokens_ + begin, end - begin);
    return part;
  }

  const Token* tokens_;
  int n_;
  int level_;
  int powers_;
  std::vector<int> close_;
  int fault_ = -1;
  bool multipart_seen_ = false;
};

void append(std::vector<Token>& out, const TokenMessage& message) {
  for (int i = 0; i < message.length(); ++i)
    out.push_back(message.token_at(i));
}

void append_list(std::vector<Token>& out, const std::vector<Token>& list) {
  out.push_back(BRA);
  out.insert(out.end(), list.begin(), list.end());
  out.push_back(KET);
}

void write(std::vector<Token>& out, const Arrangement& a) {
  switch (a.kind) {
    case ArrangementKind::kPeace:
      out.push_back(PCE);
      append_list(out, a.powers);
      return;
    case ArrangementKind::kAlliance:
      out.push_back(ALY);
      append_list(out, a.powers);
      out.push_back(VSS);
      append_list(out, a.against);
      return;
    case ArrangementKind::kDraw:
      out.push_back(DRW);
      if (!a.powers.empty()) append_list(out, a.powers);
      return;
    case ArrangementKind::kSolo:
      out.push_back(SLO);
      append_list(out, a.powers);
      return;
    case ArrangementKind::kOrder:
      out.push_back(XDO);
      out.push_back(BRA);
      append(out, a.order);
      out.push_back(KET);
      return;
    case ArrangementKind::kDemilitarised:
      out.push_back(DMZ);
      append_list(out, a.powers);
      append_list(out, a.provinces);
      return;
    case ArrangementKind::kNot:
    case ArrangementKind::kNoAgreement:
    case ArrangementKind::kAnd:
    case ArrangementKind::kOr:
      out.push_back(a.kind == ArrangementKind::kNot           ? NOT
                    : a.kind == ArrangementKind::kNoAgreement ? NAR
                    : a.kind == ArrangementKind::kAnd         ? AND
                                                              : ORR);
      for (const Arrangement& part : a.parts) {
        out.push_back(BRA);
        write(out, part);
        out.push_back(KET);
      }
      return;
  }
}

void write(std::vector<Token>& out, const PressMessage& m) {
  static constexpr Token kHeads[] = {PRP, FCT, CCL, TRY, YES, REJ, BWX, HUH};
  out.push_back(kHeads[static_cast<int>(m.kind)]);
  out.push_back(BRA);
  if (m.kind == PressKind::kProposal || m.kind == PressKind::kFact) {
    write(out, m.arrangement);
  } else if (m.kind == PressKind::kTry || m.kind == PressKind::kHuh) {
    append(out, m.tokens);
  } else if (!m.answered.empty()) {
    write(out, m.answered.front());
  }
  out.push_back(KET);
}

TokenMessage message_of(const std::vector<Token>& tokens) {
  TokenMessage message;
  message.set_from_tokens(tokens.data(), static_cast<int>(tokens.size()));
  return message;
}

}  // namespace

int read_press(const TokenMessage& press, int level, int powers, PressMessage& out) {
  Reader reader(press, level, powers);
  PressMessage message;
  if (!reader.message(0, reader.size(), 0, message)) return std::max(reader.fault(), 0);
  out = std::move(message);
  return -1;
}

int read_arrangement(const TokenMessage& arrangement, int level, int powers, Arrangement& out) {
  Reader reader(arrangement, level, powers);
  Arrangement value;
  if (!reader.arrangement(0, reader.size(), 0, value)) return std::max(reader.fault(), 0);
  out = std::move(value);
  return -1;
}

TokenMessage to_message(const PressMessage& message) {
  std::vector<Token> tokens;
  write(tokens, message);
  return message_of(tokens);
}

TokenMessage to_message(const Arrangement& arrangement) {
  std::vector<Token> tokens;
  write(tokens, arrangement);
  return message_of(tokens);
}

int required_level(const Arrangement& arrangement) {
  int level = kPeaceLevel;
  switch (arrangement.kind) {
    case ArrangementKind::kOrder:
    case ArrangementKind::kDemilitarised:
      level = kOrderLevel;
      break;
    case ArrangementKind::kAnd:
    case ArrangementKind::kOr:
      level = kMultipartLevel;
      break;
    default:
      break;
  }
  for (const Arrangement& part : arrangement.parts)
    level = std::max(level, required_level(part));
  return level;
}

int required_level(const PressMessage& message) {
  int level = kPeaceLevel;
  if (message.kind == PressKind::kProposal || message.kind == PressKind::kFact)
    level = required_level(message.arrangement);
  for (const PressMessage& answered : message.answered)
    level = std::max(level, required_level(answered));
  return level;
}

std::vector<Token> named_powers(const Arrangement& arrangement) {
  std::vector<Token> named;
  auto add = [&named](Token power) {
    if (std::find(named.begin(), named.end(), power) == named.end()) named.push_back(power);
  };
  for (Token power : arrangement.powers)
    add(power);
  for (Token power : arrangement.against)
    add(power);
  if (arrangement.kind == ArrangementKind::kOrder) {
    // (power type place) ... or power WVE.
    const Token first = arrangement.order.token_at(0);
    add(first == BRA ? arrangement.order.token_at(1) : first);
  }
  for (const Arrangement& part : arrangement.parts) {
    for (Token power : named_powers(part))
      add(power);
  }
  return named;
}

TokenMessage try_message(int level) {
  std::vector<Token> tokens{TRY, BRA};
  if (level >= kPeaceLevel) {
    tokens.insert(tokens.end(),
                  {PRP, YES, REJ, BWX, HUH, CCL, FCT, TRY, PCE, ALY, VSS, DRW, SLO, NOT, NAR});
  }
  if (level >= kOrderLevel) tokens.insert(tokens.end(), {XDO, DMZ});
  if (level >= kMultipartLevel) tokens.insert(tokens.end(), {AND, ORR});
  tokens.push_back(KET);
  return message_of(tokens);
}

TokenMessage send_message(Token season, int year, const TokenMessage& recipients,
                          const TokenMessage& press) {
  TokenMessage snd(SND);
  if (is_season(season)) snd = snd & (season + Token::from_number(year));
  return (snd & recipients) & press;
}

}  // namespace quorvel::press
