// The plan: its orders, the claims on the provinces they end in, and convoy chains.
#include "planning/plan.h"

#include "planning/plan_evaluator.h"
#include "protocol/tokens.h"
#include "valuation/province_valuation.h"

namespace quorvel {

Plan::Plan(RandomSource& random) : random_(&random) {
  order_index_.fill(-1);
  claims_.fill(-1);
  random.restart();
}

void Plan::init(const UnitOptionTable& options, PlanEvaluator& evaluator) {
  options_ = &options;
  evaluator_ = &evaluator;
  orders_.clear();
  order_index_.fill(-1);
  claims_.fill(-1);
}

const ProvinceValuation& Plan::valuation() const {
  return options_->valuation();
}

void Plan::reindex() {
  order_index_.fill(-1);
  for (std::size_t i = 0; i < orders_.size(); ++i) {
    order_index_[static_cast<std::size_t>(orders_[i].province() + kOffset)] = static_cast<int>(i);
  }
}

void Plan::addUnit(const UnitOption& option) {
  const int key = option.location.province;
  if (!inRange(key)) return;
  PlanOrder order;
  order.unit = &option;
  order.convoyNext = key;
  order.convoyedArmy = key;
  if (option.isArmy()) {
    order.ownCandidates = option.candidates;
    order.candidates = key;
  }
  order.target = option.candidates.empty() ? option.location : option.candidates.front();

  // Claims refer to orders by index; an insertion moves the orders behind it.
  std::vector<int> claimed_keys(claims_.size(), INT32_MIN);
  for (std::size_t c = 0; c < claims_.size(); ++c) {
    if (claims_[c] >= 0) claimed_keys[c] = orders_[static_cast<std::size_t>(claims_[c])].province();
  }
  if (PlanOrder* existing = orderAt(key)) {
    *existing = std::move(order);
  } else {
    auto at = orders_.begin();
    while (at != orders_.end() && at->province() < key)
      ++at;
    orders_.insert(at, std::move(order));
  }
  reindex();
  for (std::size_t c = 0; c < claims_.size(); ++c) {
    claims_[c] = claimed_keys[c] == INT32_MIN
                     ? -1
                     : order_index_[static_cast<std::size_t>(claimed_keys[c] + kOffset)];
  }
  claim(*orderAt(key));
}

void Plan::addOwnUnits() {
  const int own = valuation().ownPowerIndex();
  for (const auto& [key, option] : options_->options()) {
    if (option.power == own) addUnit(option);
  }
}

void Plan::assign(const Plan& other) {
  options_ = other.options_;
  evaluator_ = other.evaluator_;
  orders_ = other.orders_;
  order_index_ = other.order_index_;
  claims_.fill(-1);
  for (PlanOrder& order : orders_)
    claim(order);
  // The copied chains draw from the copy's own candidate sets.
  for (PlanOrder& order : orders_) {
    if (order.isArmy()) order.candidates = convoyTail(order).province();
  }
}

int Plan::evaluate() {
  return evaluator_->evaluate(*this);
}

PlanOrder* Plan::orderAt(int key) {
  if (!inRange(key)) return nullptr;
  const int index = order_index_[static_cast<std::size_t>(key + kOffset)];
  return index < 0 ? nullptr : &orders_[static_cast<std::size_t>(index)];
}

const PlanOrder* Plan::orderAt(int key) const {
  return const_cast<Plan*>(this)->orderAt(key);
}

PlanOrder* Plan::claimant(int province) {
  if (!inRange(province)) return nullptr;
  const int index = claims_[static_cast<std::size_t>(province + kOffset)];
  return index < 0 ? nullptr : &orders_[static_cast<std::size_t>(index)];
}

const PlanOrder* Plan::claimant(int province) const {
  return const_cast<Plan*>(this)->claimant(province);
}

void Plan::setClaimant(int province, PlanOrder* order) {
  if (!inRange(province)) return;
  claims_[static_cast<std::size_t>(province + kOffset)] = order == nullptr ? -1 : indexOf(*order);
}

void Plan::clearClaims() {
  claims_.fill(-1);
}

std::vector<int> Plan::claimedProvinces() const {
  std::vector<int> provinces;
  for (std::size_t c = 0; c < claims_.size(); ++c) {
    if (claims_[c] >= 0) provinces.push_back(static_cast<int>(c) - kOffset);
  }
  return provinces;
}

bool Plan::claim(PlanOrder& order) {
  const int end = order.endProvince();
  const int own = order.province();
  if (!inRange(end)) return false;
  // Two units of the plan never swap provinces.
  const PlanOrder* at_own = claimant(own);
  if (at_own != nullptr && at_own->province() == end) return false;
  PlanOrder* holder = claimant(end);
  if (holder == nullptr) {
    setClaimant(end, &order);
    return true;
  }
  if (holder->staysPut() || holder->isConvoyedArmy()) return false;
  // The mover already there gives way: it stays and supports the newcomer.
  holder->supporting = true;
  if (!claim(*holder)) {
    holder->supporting = false;
    return false;
  }
  setClaimant(end, &order);
  return true;
}

bool Plan::setTarget(PlanOrder& order, const Location& location, bool supporting) {
  if (order.isConvoying() && (location.province != order.province() || supporting)) return false;
  const Location old_target = order.target;
  const bool old_supporting = order.supporting;
  const int old_end = order.endProvince();
  order.target = location;
  order.supporting = supporting;
  if (order.endProvince() == old_end) return true;

  setClaimant(old_end, nullptr);
  if (!claim(order)) {
    order.target = old_target;
    order.supporting = old_supporting;
    setClaimant(old_end, &order);
    return false;
  }
  // Nothing supports into the province the order has left.
  for (PlanOrder& other : orders_) {
    if (other.supporting && other.targetProvince() == old_end) resetToHold(other);
  }
  return true;
}

int Plan::removalCount(int power) const {
  int count = 0;
  for (int province = -kOffset; province < 0; ++province) {
    const PlanOrder* order = claimant(province);
    if (order != nullptr && order->unit->power == power) ++count;
  }
  return count;
}

const LocationSet& Plan::candidatesOf(const PlanOrder& order) const {
  if (order.candidates == PlanOrder::kOptionCandidates) return order.unit->candidates;
  const PlanOrder* owner = orderAt(order.candidates);
  return owner == nullptr ? order.unit->candidates : owner->ownCandidates;
}

void Plan::resetToHold(PlanOrder& order) {
  if (order.isArmy()) order.candidates = order.province();
  order.target = order.unit->location;
  order.supporting = false;
}

const Location& Plan::drawCandidate(const PlanOrder& order) const {
  const LocationSet& candidates = candidatesOf(order);
  if (candidates.empty()) return order.unit->location;
  return candidates[static_cast<std::size_t>(random_->next()) % candidates.size()];
}

PlanOrder& Plan::convoyTail(PlanOrder& order) {
  PlanOrder* current = &order;
  // A chain is never longer than the plan; the bound guards against a broken one.
  for (std::size_t steps = 0; steps <= orders_.size(); ++steps) {
    if (current->convoyNext == current->province()) break;
    PlanOrder* next = orderAt(current->convoyNext);
    if (next == nullptr) break;
    current = next;
  }
  return *current;
}

bool Plan::linkConvoy(int army, int tail, int sea) {
  PlanOrder* fleet = orderAt(sea);
  PlanOrder* army_order = orderAt(army);
  if (fleet == nullptr || army_order == nullptr) return false;
  if (fleet->isConvoying() && fleet->convoyedArmy != army) return false;
  if (tail != army && valuation().isLandProvince(tail)) return false;
  if (fleet->convoyedArmy == army) {
    // Already in this chain: it becomes the last fleet.
    if (fleet->convoyNext != fleet->province()) unlinkConvoy(fleet->convoyNext);
    fleet->convoyNext = fleet->province();
  } else {
    PlanOrder* tail_order = orderAt(tail);
    if (tail_order == nullptr) return false;
    fleet->convoyedArmy = army;
    tail_order->convoyNext = sea;
  }
  army_order->candidates = sea;
  return true;
}

void Plan::unlinkConvoy(int province) {
  PlanOrder* order = orderAt(province);
  for (std::size_t steps = 0; order != nullptr && steps <= orders_.size(); ++steps) {
    order->convoyedArmy = order->province();
    if (order->convoyNext == order->province()) return;
    PlanOrder* next = orderAt(order->convoyNext);
    order->convoyNext = order->province();
    order = next;
  }
}

bool Plan::checkConvoy(int province) {
  PlanOrder* order = orderAt(province);
  for (std::size_t steps = 0; order != nullptr && steps <= orders_.size(); ++steps) {
    // Every fleet of a chain must be able to hold in place.
    if (!order->isArmy() && !setTarget(*order, order->unit->location, false)) return false;
    if (order->convoyNext == order->province()) return true;
    order = orderAt(order->convoyNext);
  }
  return false;
}

std::vector<int> Plan::convoyRoute(int province) const {
  std::vector<int> route;
  const PlanOrder* order = orderAt(province);
  for (std::size_t steps = 0; order != nullptr && steps < orders_.size(); ++steps) {
    if (order->convoyNext == order->province()) break;
    route.push_back(order->convoyNext);
    order = orderAt(order->convoyNext);
  }
  return route;
}

}  // namespace quorvel
