#include "planning/plan_search.h"

#include <ctime>
#include <list>
#include <map>

#include "base/trace.h"
#include "base/truncate.h"
#include "planning/plan.h"
#include "planning/plan_evaluator.h"
#include "protocol/tokens.h"
#include "valuation/province_valuation.h"

namespace quorvel {

namespace {

using Pending = std::map<int, std::list<PlanOrder*>>;

void placeOrBounce(Plan& plan, PlanOrder& order, std::list<PlanOrder*>& bounced) {
  const int end = order.endProvince();
  PlanOrder* holder = plan.claimant(end);
  if (holder == nullptr) {
    plan.setClaimant(end, &order);
  } else if (order.staysPut()) {
    holder->supporting = true;
    bounced.push_back(holder);
    plan.setClaimant(end, &order);
  } else {
    order.supporting = true;
    bounced.push_back(&order);
  }
}

void resolveContest(Plan& plan, std::list<PlanOrder*>& contenders) {
  if (contenders.empty()) return;
  const int province = contenders.front()->targetProvince();
  PlanOrder* holder = plan.claimant(province);
  if (holder == nullptr || holder->staysPut()) return;
  holder->supporting = true;
  contenders.push_back(holder);
  auto winner = contenders.begin();
  std::advance(winner, plan.random().next() % static_cast<int>(contenders.size()));
  plan.setClaimant(province, *winner);
  (*winner)->supporting = false;
  contenders.erase(winner);
}

// Whether the order's unit gets to its target without a convoy.
bool reachesAlone(const PlanOrder& order) {
  if (order.targetProvince() == order.province()) return true;
  for (const Location& place : order.unit->candidates) {
    if (place.province == order.targetProvince()) return true;
  }
  return false;
}

}  // namespace

void addConvoyCandidates(Plan& plan) {
  const ProvinceValuation& valuation = plan.valuation();
  for (PlanOrder& order : plan.orders()) {
    if (order.isArmy()) {
      order.ownCandidates = order.unit->candidates;
    } else {
      order.ownCandidates.clear();
    }
    const bool at_sea = !valuation.isLandProvince(order.province());
    for (int q : valuation.neighbours(order.province())) {
      if (!valuation.isLandProvince(q)) {
        const PlanOrder* there = plan.orderAt(q);
        if (there != nullptr && (order.isArmy() || at_sea)) {
          order.ownCandidates.insert(Location{q, tok::FLT});
        }
      } else if (at_sea) {
        order.ownCandidates.insert(Location{q, tok::AMY});
      }
    }
  }
  for (PlanOrder& order : plan.orders()) {
    if (order.isArmy()) order.candidates = order.province();
  }
}

void randomize(Plan& plan) {
  plan.clearClaims();
  Pending pending;
  for (PlanOrder& order : plan.orders()) {
    order.target = plan.drawCandidate(order);
    // A convoy step is no place to move to.
    while (order.isArmy() && order.target.coast == tok::FLT)
      order.target = plan.drawCandidate(order);
    order.supporting = false;
    placeOrBounce(plan, order, pending[order.targetProvince()]);
  }
  while (!pending.empty()) {
    auto first = pending.begin();
    std::list<PlanOrder*> contenders = std::move(first->second);
    pending.erase(first);
    resolveContest(plan, contenders);
    for (PlanOrder* order : contenders)
      placeOrBounce(plan, *order, pending[order->endProvince()]);
  }
  // Two units that ended up swapping both hold.
  for (PlanOrder& order : plan.orders()) {
    const int end = order.endProvince();
    const int own = order.province();
    if (end == own) continue;
    PlanOrder* other = plan.claimant(own);
    if (other != nullptr && other->province() == end) {
      plan.resetToHold(order);
      plan.resetToHold(*other);
      plan.setClaimant(end, other);
      plan.setClaimant(own, &order);
    }
  }
}

void mutate(Plan& plan) {
  std::vector<PlanOrder>& orders = plan.orders();
  if (orders.empty()) return;
  PlanOrder* order = &orders[static_cast<std::size_t>(plan.random().next()) % orders.size()];
  if (order->isConvoying()) {
    PlanOrder* army = plan.orderAt(order->convoyedArmy);
    if (army != nullptr) order = army;
  }
  if (order->supporting && plan.random().next() % 2 == 0) {
    if (plan.setTarget(*order, order->target, false)) return;
  }

  const int own = order->province();
  // A refused change must not leave a convoyed army on its landing without its chain.
  const std::vector<int> route =
      order->isConvoyedArmy() ? plan.convoyRoute(own) : std::vector<int>{};
  int tail = plan.convoyTail(*order).province();
  Location x = plan.drawCandidate(*order);
  bool convoying = false;
  if (order->isArmy()) {
    auto give_up_convoy = [&] {
      convoying = false;
      plan.unlinkConvoy(own);
      order->candidates = own;
      x = order->unit->location;
    };
    for (int step = 0; step < 30 && x.coast == tok::FLT; ++step) {
      convoying = true;
      if (order->supporting) plan.resetToHold(*order);
      if (plan.linkConvoy(own, tail, x.province)) tail = x.province;
      x = plan.drawCandidate(*order);
    }
    if (x.coast == tok::FLT || x.province == own) give_up_convoy();
    if (!plan.checkConvoy(own)) give_up_convoy();
  }
  const bool support = x.province != own && plan.random().next() % 2 == 0 &&
                       plan.isClaimed(x.province) && !order->isConvoyedArmy() && !convoying;
  if (!plan.setTarget(*order, x, support) && convoying) {
    plan.unlinkConvoy(own);
    order->candidates = own;
    plan.setTarget(*order, order->unit->location, false);
  }
  if (!route.empty() && !order->isConvoyedArmy() && !reachesAlone(*order)) {
    int last = own;
    for (int sea : route) {
      if (!plan.linkConvoy(own, last, sea)) break;
      last = sea;
    }
  }
}

long searchPlan(Plan& best, Plan& work, const AnnealingSettings& settings, TraceLog& trace) {
  int best_value = best.evaluate();
  const std::clock_t started = std::clock();
  long count = 0;
  for (int cycle = 1; cycle <= settings.iterations; ++cycle) {
    work.assign(best);
    const int changes = truncate_to_int(settings.curve.at(cycle));
    for (int i = 1; i <= changes; ++i) {
      mutate(work);
      if (settings.continuousEvaluation || i == changes) {
        const int value = work.evaluate();
        ++count;
        if (value > best_value) {
          best_value = value;
          best.assign(work);
        }
      }
    }
  }
  const std::clock_t finished = std::clock();
  best_value = best.evaluate();
  trace.line("Evaluated %li plans in %2.1f seconds.", count,
             static_cast<double>(finished - started) / CLOCKS_PER_SEC);
  trace.line("Best plan's value: %d", best_value);
  return count;
}

void addSupports(Plan& plan) {
  const ProvinceValuation& valuation = plan.valuation();
  for (PlanOrder& order : plan.orders()) {
    if (!order.staysPut() || order.supporting || order.isConvoying()) continue;
    int best = 0;
    const Location* chosen = nullptr;
    for (const Location& next : valuation.adjacentLocations(order.unit->location)) {
      const PlanOrder* holder = plan.claimant(next.province);
      if (holder == nullptr) continue;
      const int value = valuation.occupationValue(holder->endLocation());
      if (value > best) {
        best = value;
        chosen = &next;
      }
    }
    if (chosen != nullptr) {
      order.supporting = true;
      order.target = *chosen;
    }
  }
}

void improveWithSupports(Plan& best, Plan& work, int best_value, TraceLog& trace) {
  work.assign(best);
  addSupports(work);
  const int value = work.evaluate();
  trace.line("Best plan's improved value: %d", value);
  if (value >= best_value) {
    best.assign(work);
  } else {
    trace.line("! Additional supports result in worse valuation !");
  }
}

}  // namespace quorvel
