#include "game/order_facts.h"

#include "protocol/tokens.h"

namespace quorvel {

namespace {

using namespace tok;

// A province, or (province coast): its province's index.
int place_of(const TokenMessage& element) {
  const Token t = element.token_at(0);
  if (!t.is_province()) return -1;
  if (element.length() == 1) return t.subtoken();
  return element.length() == 2 && element.token_at(1).category() == CATEGORY_COAST ? t.subtoken()
                                                                                   : -1;
}

// ( power type place ): the power and the province.
bool read_unit(const TokenMessage& unit, int& power, int& province) {
  if (unit.sub_message_count() != 3 || unit.token_at(0).category() != CATEGORY_POWER ||
      (unit.token_at(1) != AMY && unit.token_at(1) != FLT))
    return false;
  power = unit.token_at(0).subtoken();
  province = place_of(unit.sub_message(2));
  return province >= 0;
}

}  // namespace

int OrderFacts::entered() const {
  if (is_move() || kind == OrderKind::kRetreat) return destination;
  return kind == OrderKind::kBuild ? unit : -1;
}

std::optional<OrderFacts> read_order_facts(const TokenMessage& order) {
  OrderFacts facts;
  if (order.length() == 2 && order.token_at(0).category() == CATEGORY_POWER &&
      order.token_at(1) == WVE) {
    facts.kind = OrderKind::kWaive;
    facts.power = order.token_at(0).subtoken();
    return facts;
  }
  const int count = order.sub_message_count();
  if (count < 2 || order.sub_message_is_single_token(0) ||
      !read_unit(order.sub_message(0), facts.power, facts.unit))
    return std::nullopt;
  const Token verb = order.sub_message(1).token_at(0);
  auto single = [&](int i) { return order.sub_message_is_single_token(i); };
  auto province = [&](int i) { return single(i) ? place_of(order.sub_message(i)) : -1; };
  int other_power = 0;
  if (count == 2 && (verb == HLD || verb == DSB || verb == BLD || verb == REM)) {
    facts.kind = verb == HLD   ? OrderKind::kHold
                 : verb == DSB ? OrderKind::kDisband
                 : verb == BLD ? OrderKind::kBuild
                               : OrderKind::kRemove;
    return facts;
  }
  if (count == 3 && (verb == MTO || verb == RTO)) {
    facts.kind = verb == MTO ? OrderKind::kMove : OrderKind::kRetreat;
    facts.destination = place_of(order.sub_message(2));
    if (facts.destination < 0) return std::nullopt;
    return facts;
  }
  if (verb == SUP && count >= 3 && !single(2) &&
      read_unit(order.sub_message(2), other_power, facts.supported)) {
    if (count == 3) {
      facts.kind = OrderKind::kSupportHold;
      return facts;
    }
    if (count == 5 && order.sub_message(3).token_at(0) == MTO && province(4) >= 0) {
      facts.kind = OrderKind::kSupportMove;
      facts.target = province(4);
      return facts;
    }
    return std::nullopt;
  }
  if (verb == CVY && count == 5 && !single(2) &&
      read_unit(order.sub_message(2), other_power, facts.supported) &&
      order.sub_message(3).token_at(0) == CTO && province(4) >= 0) {
    facts.kind = OrderKind::kConvoy;
    facts.target = province(4);
    return facts;
  }
  if (verb == CTO && count == 5 && province(2) >= 0 && order.sub_message(3).token_at(0) == VIA) {
    facts.kind = OrderKind::kConvoyedMove;
    facts.destination = province(2);
    return facts;
  }
  return std::nullopt;
}

}  // namespace quorvel
