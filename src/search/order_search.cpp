#include "search/order_search.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>

#include "base/trace.h"
#include "game/game_board.h"
#include "planning/turn_driver.h"
#include "protocol/seasons.h"
#include "rules/movement.h"
#include "search/candidate_orders.h"
#include "search/look_ahead.h"
#include "search/outcome_value.h"
#include "search/regret_matching.h"
#include "valuation/province_valuation.h"

namespace quorvel::search {

namespace {

using Clock = std::chrono::steady_clock;

// Message texts end in a blank.
std::string trimmed(std::string text) {
  while (!text.empty() && text.back() == ' ')
    text.pop_back();
  return text;
}

std::string orders_text(const rules::RulesGame& game, const OrderSet& orders,
                        const TokenTextTable& tokens) {
  std::string text;
  for (const auto& [p, order] : orders) {
    if (!text.empty()) text += ", ";
    text += trimmed(rules::order_message(game.map(), game.position(), order).to_text(tokens));
  }
  return text;
}

bool same_order(const rules::Order& a, const rules::Order& b) {
  return a.kind == b.kind && a.destination == b.destination && a.supported == b.supported &&
         a.target == b.target;
}

bool same_orders(const OrderSet& a, const OrderSet& b) {
  return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](const auto& x, const auto& y) {
    return x.first == y.first && same_order(x.second, y.second);
  });
}

// Writes the plain orders (hold, move, support) of the set onto the board.
void write_order(GameBoard& board, int province, const rules::Order& order) {
  switch (order.kind) {
    case OrderKind::kHold:
      board.order_hold(province);
      break;
    case OrderKind::kMove:
      board.order_move(province, order.destination);
      break;
    case OrderKind::kSupportHold:
      board.order_support_hold(province, order.supported);
      break;
    case OrderKind::kSupportMove:
      board.order_support_move(province, order.supported, order.target);
      break;
    default:
      break;
  }
}

std::string power_text(int power, const TokenTextTable& tokens) {
  return trimmed(TokenMessage(GameBoard::power_token(power)).to_text(tokens));
}

}  // namespace

void OrderSearch::set_map(const TokenMessage& mdf) {
  mdf_ = mdf;
  models_.clear();
  foreseen_.clear();
  evidence_.clear();
  map_ok_ = game_.load_map(mdf) < 0;
  position_ok_ = false;
  if (map_ok_ && !now_.is_empty()) load();
}

void OrderSearch::set_centres(const TokenMessage& sco) {
  sco_ = sco;
}

void OrderSearch::set_position(const TokenMessage& now) {
  now_ = now;
  if (map_ok_) load();
}

void OrderSearch::observe_result(const TokenMessage& ord) {
  if (ord.sub_message_count() < 3) return;
  const TokenMessage order = ord.sub_message(2);
  const TokenMessage unit = order.sub_message(0);
  // An order no way foresaw still counts a little for both: a power is never written off
  // by one surprise.
  constexpr double kSurprise = 0.05;
  for (const Foreseen& f : foreseen_) {
    if (!(f.unit == unit)) continue;
    double greedy = 0;
    double plan = 0;
    for (std::size_t i = 0; i < f.orders.size(); ++i) {
      if (!(f.orders[i] == order)) continue;
      greedy = f.greedy[i];
      plan = f.plan[i];
    }
    const auto at = static_cast<std::size_t>(f.power);
    if (at >= evidence_.size()) evidence_.resize(at + 1);
    evidence_[at].greedy += std::log(kSurprise + (1 - kSurprise) * greedy);
    evidence_[at].plan += std::log(kSurprise + (1 - kSurprise) * plan);
    return;
  }
}

double OrderSearch::plan_share(int power) const {
  if (power < 0 || power >= static_cast<int>(evidence_.size())) return 0.5;
  const Evidence& e = evidence_[static_cast<std::size_t>(power)];
  return 1 / (1 + std::exp(std::clamp(e.greedy - e.plan, -50.0, 50.0)));
}

PlanModel& OrderSearch::model(int power, const IniStore& settings) {
  if (power >= static_cast<int>(models_.size()))
    models_.resize(static_cast<std::size_t>(power) + 1);
  std::unique_ptr<PlanModel>& m = models_[static_cast<std::size_t>(power)];
  if (!m) m = std::make_unique<PlanModel>(power, settings, mdf_);
  return *m;
}

void OrderSearch::load() {
  position_ok_ = !sco_.is_empty() && game_.load_position(now_, sco_) < 0;
}

SearchReport OrderSearch::choose(GameBoard& board, TurnPlanner& planner,
                                 const ProvinceValuation& valuation, const SearchSettings& settings,
                                 std::uint32_t seed, const std::function<bool()>& keeps_word,
                                 const std::vector<const Obligations*>& restrictions,
                                 TraceLog& trace) {
  SearchReport report;
  if (!settings.enabled() || !ready() || !is_movement_season(board.season) ||
      game_.season() != board.season || game_.position().year != board.year)
    return report;
  const Clock::time_point deadline =
      Clock::now() + std::chrono::milliseconds(settings.budget_milliseconds);
  const auto out_of_time = [&] { return settings.by_clock && Clock::now() >= deadline; };
  const bool tracing = trace.keeps_lines();
  const TokenTextTable& tokens = *board.tokens;
  const rules::RulesMap& map = game_.map();
  const rules::Position& position = game_.position();
  const int me = board.own_power.subtoken();
  std::mt19937 rng(seed);

  // The bot's sets: its plan, then the variants that keep its word.
  std::vector<Candidate> own;
  std::vector<const Plan*> plans;
  std::optional<OrderSet> planned = checked_submission(game_, me, board.build_submission());
  if (!planned) {
    trace.line("Search: the plan's orders do not read as the rules read them; the plan stands.");
    return report;
  }
  own.push_back({std::move(*planned), 1.0, "the plan"});
  plans.push_back(&planner.best());
  std::vector<double> plan_values{static_cast<double>(planner.bestValue())};
  const std::vector<std::unique_ptr<Plan>> variants =
      planner.variants(settings.own_candidates - 1, 8 * settings.own_candidates);
  for (const std::unique_ptr<Plan>& variant : variants) {
    if (out_of_time()) break;
    planner.write(*variant);
    if (!keeps_word()) continue;
    std::optional<OrderSet> orders = checked_submission(game_, me, board.build_submission());
    if (!orders) continue;
    own.push_back({std::move(*orders), 1.0, "variant " + std::to_string(own.size())});
    plans.push_back(variant.get());
    plan_values.push_back(variant->evaluate());
  }
  // Supported attacks on what is worth taking, from the plan.
  const auto write_set = [&](std::size_t c) {
    planner.write(plans[c] != nullptr ? *plans[c] : planner.best());
    if (plans[c] == nullptr) {
      for (const auto& [p, order] : own[c].orders)
        write_order(board, p, order);
    }
  };
  const auto known = [&](const OrderSet& orders) {
    return std::any_of(own.begin(), own.end(),
                       [&](const Candidate& c) { return same_orders(c.orders, orders); });
  };
  if (settings.attack_candidates > 0 && !out_of_time()) {
    for (Candidate& c :
         attack_candidates(game_, own.front().orders, me, settings.attack_candidates)) {
      if (known(c.orders)) continue;
      own.push_back({std::move(c.orders), 1.0, "attack " + std::to_string(own.size())});
      plans.push_back(nullptr);
      plan_values.push_back(plan_values.front());
      write_set(own.size() - 1);
      if (!keeps_word()) {
        own.pop_back();
        plans.pop_back();
        plan_values.pop_back();
      }
    }
  }
  planner.write(planner.best());
  report.own_candidates = static_cast<int>(own.size());
  for (Candidate& c : own)
    c.weight = 1.0 / static_cast<double>(own.size());

  // The others' sets: several for each power in reach, the likeliest for the rest; what
  // each way of foreseeing a power says, to be checked against what it does.
  foreseen_.clear();
  const auto foresee = [&](int power, const std::vector<Candidate>& drawn,
                           const OrderSet* planned) {
    const auto add = [&](const rules::Order& order, double greedy, double plan) {
      const TokenMessage text = rules::order_message(map, position, order);
      const TokenMessage unit = text.sub_message(0);
      auto f = std::find_if(foreseen_.begin(), foreseen_.end(),
                            [&](const Foreseen& x) { return x.unit == unit; });
      if (f == foreseen_.end()) {
        foreseen_.push_back({power, unit, {}, {}, {}});
        f = foreseen_.end() - 1;
      }
      for (std::size_t i = 0; i < f->orders.size(); ++i) {
        if (f->orders[i] == text) {
          f->greedy[i] += greedy;
          f->plan[i] += plan;
          return;
        }
      }
      f->orders.push_back(text);
      f->greedy.push_back(greedy);
      f->plan.push_back(plan);
    };
    for (const Candidate& c : drawn) {
      for (const auto& [at, order] : c.orders)
        add(order, c.weight, 0);
    }
    if (planned != nullptr) {
      for (const auto& [at, order] : *planned)
        add(order, 0, 1);
    }
  };
  const std::vector<int> reach = powers_in_reach(game_, me);
  std::vector<int> players{me};
  std::vector<std::vector<Candidate>> sets{own};
  OrderSet fixed;
  for (int p = 0; p < map.power_count(); ++p) {
    if (p == me || !map.has_power(p)) continue;
    const Obligations* agreed = p < static_cast<int>(restrictions.size())
                                    ? restrictions[static_cast<std::size_t>(p)]
                                    : nullptr;
    const bool near = std::binary_search(reach.begin(), reach.end(), p);
    std::vector<Candidate> candidates =
        greedy_candidates(game_, p, near ? settings.other_candidates : 1,
                          near ? 3 * settings.other_candidates : 1, rng, agreed);
    std::optional<OrderSet> modelled;
    if (near && settings.opponent_plans && plan_share(p) >= settings.plan_share_floor &&
        !out_of_time()) {
      modelled = model(p, valuation).plan(game_, sco_, now_, static_cast<std::uint32_t>(rng()));
      // A partner is held to its word: the plan model does not know of it.
      if (modelled && agreed != nullptr && !keeps_out(game_, *modelled, *agreed)) modelled.reset();
    }
    if (near) foresee(p, candidates, modelled ? &*modelled : nullptr);
    if (modelled) {
      const double share = plan_share(p);
      for (Candidate& c : candidates)
        c.weight *= 1 - share;
      const auto same = std::find_if(candidates.begin(), candidates.end(), [&](const Candidate& c) {
        return same_orders(c.orders, *modelled);
      });
      if (same != candidates.end()) {
        same->weight += share;
        same->source += " and plan";
      } else {
        candidates.push_back({std::move(*modelled), share, "plan"});
      }
    }
    if (candidates.empty()) continue;
    if (near) {
      players.push_back(p);
      sets.push_back(std::move(candidates));
    } else {
      fixed.insert(candidates.front().orders.begin(), candidates.front().orders.end());
    }
  }
  report.powers = static_cast<int>(players.size()) - 1;
  if (own.size() < 2 || out_of_time()) {
    report.out_of_time = own.size() >= 2;
    if (report.out_of_time) trace.line("Search: out of time before weighing; the plan stands.");
    return report;
  }

  // Centres change hands after an autumn, and a build needs a free home centre.
  const bool autumn = game_.season() == tok::FAL && settings.build_value > 0;
  std::unordered_map<std::uint64_t, std::vector<double>> outcomes;
  const Payoff payoff = [&](const std::vector<int>& joint) -> const std::vector<double>& {
    std::uint64_t key = 0;
    for (std::size_t i = 0; i < joint.size(); ++i)
      key = key * sets[i].size() + static_cast<std::uint64_t>(joint[i]);
    auto [found, fresh] = outcomes.try_emplace(key);
    if (!fresh) return found->second;
    std::map<int, rules::Order> orders = fixed;
    for (std::size_t i = 0; i < joint.size(); ++i) {
      const OrderSet& set = sets[i][static_cast<std::size_t>(joint[i])].orders;
      orders.insert(set.begin(), set.end());
    }
    const rules::MovementResult result = rules::adjudicate_movement(map, position, orders);
    const std::vector<UnitEnd> ends = unit_ends(position, orders, result);
    std::vector<double>& values = found->second;
    values.resize(joint.size());
    values[0] = own_value(valuation, map, position, ends, me, settings.loss_weight);
    if (autumn) values[0] += settings.build_value * room_to_build(map, position, ends, me);
    for (std::size_t i = 1; i < joint.size(); ++i)
      values[i] = plain_value(map, position, ends, players[i]);
    return values;
  };

  std::vector<std::vector<double>> priors;
  for (const std::vector<Candidate>& candidates : sets) {
    priors.emplace_back();
    for (const Candidate& c : candidates)
      priors.back().push_back(c.weight);
  }
  const Equilibrium equilibrium =
      regret_matching(priors, payoff, settings.iterations, rng, out_of_time);
  report.rounds = equilibrium.rounds;
  // How the others are likely to choose: between how often a set was drawn and how
  // regret matching would have them choose.
  std::vector<std::vector<double>> likely(sets.size());
  for (std::size_t i = 1; i < sets.size(); ++i) {
    for (std::size_t a = 0; a < sets[i].size(); ++a) {
      likely[i].push_back(settings.prior * priors[i][a] +
                          (1 - settings.prior) * equilibrium.strategies[i][a]);
    }
  }

  // The others' joint choices each of the bot's sets is scored on: all of them when there
  // are no more than the samples, else the same draws for every set.
  std::vector<std::vector<int>> joints;
  std::vector<double> weights;
  double all = 1;
  for (std::size_t i = 1; i < sets.size(); ++i)
    all *= static_cast<double>(sets[i].size());
  if (all <= settings.samples) {
    std::vector<int> joint(sets.size(), 0);
    for (;;) {
      double w = 1;
      for (std::size_t i = 1; i < sets.size(); ++i)
        w *= likely[i][static_cast<std::size_t>(joint[i])];
      joints.push_back(joint);
      weights.push_back(w);
      std::size_t i = 1;
      while (i < sets.size() && ++joint[i] == static_cast<int>(sets[i].size()))
        joint[i++] = 0;
      if (i == sets.size()) break;
    }
  } else {
    for (int s = 0; s < settings.samples; ++s) {
      std::vector<int> joint(sets.size(), 0);
      for (std::size_t i = 1; i < sets.size(); ++i)
        joint[i] = draw_index(likely[i], rng);
      joints.push_back(std::move(joint));
      weights.push_back(1.0 / settings.samples);
    }
  }
  std::vector<double> expected;
  for (std::size_t c = 0; c < own.size(); ++c) {
    if (c > 0 && out_of_time()) {
      report.out_of_time = true;
      break;
    }
    double value = settings.plan_weight * plan_values[c];
    for (std::size_t j = 0; j < joints.size(); ++j) {
      joints[j][0] = static_cast<int>(c);
      value += weights[j] * payoff(joints[j])[0];
    }
    expected.push_back(value);
  }
  report.scored = static_cast<int>(expected.size());
  // The best sets looked past: each on the same few of the others' likely choices, the
  // game played on with the same draws; the choice is among them alone.
  std::vector<double> total = expected;
  std::vector<std::size_t> looked;
  if (settings.look_ahead_candidates > 0 && !report.out_of_time) {
    for (std::size_t c = 0; c < expected.size(); ++c)
      looked.push_back(c);
    std::stable_sort(looked.begin(), looked.end(),
                     [&](std::size_t a, std::size_t b) { return expected[a] > expected[b]; });
    looked.resize(
        std::min(looked.size(), static_cast<std::size_t>(settings.look_ahead_candidates)));
    std::vector<std::size_t> on;
    for (int s = 0; s < settings.look_ahead_samples; ++s)
      on.push_back(static_cast<std::size_t>(draw_index(weights, rng)));
    const std::uint32_t draws_seed = static_cast<std::uint32_t>(rng());
    LookAhead ahead_of(game_, me, settings.look_ahead_draws);
    for (std::size_t k = 0; k < looked.size(); ++k) {
      // Out of time before any: the choice stands as scored.
      if (out_of_time()) {
        report.out_of_time = true;
        looked.resize(k);
        break;
      }
      const std::size_t c = looked[k];
      double ahead = 0;
      for (std::size_t s = 0; s < on.size(); ++s) {
        const std::size_t j = on[s];
        std::map<int, rules::Order> orders = fixed;
        for (std::size_t i = 0; i < sets.size(); ++i) {
          const std::size_t a = i == 0 ? c : static_cast<std::size_t>(joints[j][i]);
          orders.insert(sets[i][a].orders.begin(), sets[i][a].orders.end());
        }
        ahead += ahead_of.centres_after(orders, draws_seed + static_cast<std::uint32_t>(s));
      }
      total[c] += settings.look_ahead_weight * ahead / static_cast<double>(on.size());
    }
  }
  std::size_t chosen = 0;
  if (looked.empty()) {
    chosen = static_cast<std::size_t>(std::max_element(total.begin(), total.end()) - total.begin());
  } else {
    chosen = *std::max_element(looked.begin(), looked.end(),
                               [&](std::size_t a, std::size_t b) { return total[a] < total[b]; });
  }
  report.chosen = static_cast<int>(chosen);
  report.looked_ahead = static_cast<int>(looked.size());

  if (tracing) {
    trace.line(
        "Search: %d own order sets, %d powers in reach, %d rounds of regret matching, "
        "%zu outcomes adjudicated%s.",
        report.own_candidates, report.powers, report.rounds, outcomes.size(),
        report.out_of_time ? ", out of time" : "");
    for (std::size_t i = 1; i < sets.size(); ++i) {
      for (std::size_t a = 0; a < sets[i].size(); ++a) {
        trace.line("  %s set %zu (%s, drawn %.2f, likely %.2f): %s",
                   power_text(players[i], tokens).c_str(), a + 1, sets[i][a].source.c_str(),
                   priors[i][a], likely[i][a],
                   orders_text(game_, sets[i][a].orders, tokens).c_str());
      }
    }
    for (std::size_t c = 0; c < expected.size(); ++c) {
      const bool past = std::find(looked.begin(), looked.end(), c) != looked.end();
      const std::string ahead =
          past ? ", with the next phase " + std::to_string(static_cast<int>(std::lround(total[c])))
               : "";
      trace.line("  own set %zu (%s, expected %.1f%s): %s", c + 1, own[c].source.c_str(),
                 expected[c], ahead.c_str(), orders_text(game_, own[c].orders, tokens).c_str());
    }
    if (autumn) {
      trace.line("Search: each build an outcome leaves room for adds %.0f to its value.",
                 settings.build_value);
    }
    if (!looked.empty()) {
      trace.line("Search: the best %zu sets looked past the phase, on %d of the likely choices.",
                 looked.size(), settings.look_ahead_samples);
    }
    if (report.chosen == 0) {
      trace.line(
          "Search: the plan stands: no other set does better against the likely "
          "choices (%.1f).",
          total[0]);
    } else {
      const bool plan_looked = std::find(looked.begin(), looked.end(), 0) != looked.end();
      trace.line("Search: %s chosen: %.1f against the likely choices, the plan %.1f%s.",
                 own[chosen].source.c_str(), total[chosen], total[0],
                 looked.empty() || plan_looked ? "" : " (not looked past)");
    }
  }
  if (report.chosen > 0) write_set(chosen);
  return report;
}

}  // namespace quorvel::search
