#include "search/order_search.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <set>

#include "base/trace.h"
#include "game/game_board.h"
#include "planning/turn_driver.h"
#include "planning/unit_option_table.h"
#include "protocol/tokens.h"
#include "rules/standard_map.h"
#include "search/candidate_orders.h"
#include "search/outcome_value.h"
#include "settings/builtin_settings.h"
#include "support/boards.h"
#include "support/messages.h"
#include "support/order_legality.h"
#include "support/temp_dir.h"
#include "valuation/province_valuation.h"

namespace quorvel::search {
namespace {

using testing::parse;
using testing::province;

int power_of(const std::string& name) {
  return parse(name).first_token().subtoken();
}

// The bot's side of a standard game at a position, with the built-in settings, and the
// search fed the server's messages.
struct SearchedGame {
  rules::MapFile file = rules::standard_map_file();
  GameBoard board;
  std::unique_ptr<ProvinceValuation> valuation;
  std::unique_ptr<UnitOptionTable> options;
  RandomSource random{3};
  TraceLog trace;
  OrderSearch search;
  SearchSettings settings;

  explicit SearchedGame(const std::string& power, const std::string& now = "") {
    trace.switch_on(false);
    if (!now.empty()) file.now = parse(now);
    EXPECT_EQ(board.set_map(file.mdf), -1);
    board.set_own_power(parse(power).first_token());
    valuation = std::make_unique<ProvinceValuation>(board);
    static_cast<IniStore&>(*valuation) = builtin_settings();
    EXPECT_TRUE(valuation->setupMap().empty());
    EXPECT_EQ(board.set_centres(file.sco), -1);
    EXPECT_EQ(board.set_position(file.now), -1);
    valuation->evaluateTurn();
    options = std::make_unique<UnitOptionTable>(board, *valuation);
    options->rebuild();
    search.set_map(file.mdf);
    search.set_centres(file.sco);
    search.set_position(file.now);
    EXPECT_TRUE(search.ready());
    settings = readSearchSettings(*valuation);
  }

  SearchReport plan_and_search(
      const std::function<bool()>& keeps_word = [] { return true; },
      const std::vector<const Obligations*>& agreed = {}) {
    TurnPlanner planner(board, *options, random);
    planner.plan(readAnnealingSettings(*valuation), trace);
    planner.writeBest(trace);
    return search.choose(board, planner, *valuation, settings, 99, keeps_word, agreed, trace);
  }

  std::vector<std::string> faults() const {
    return testing::order_faults(file.now, file.sco, board.own_power, board.build_submission());
  }
};

TEST(OrderSearch, WeighsThePowersInReachAndOrdersEveryUnitLegally) {
  SearchedGame game("AUS");
  EXPECT_EQ(powers_in_reach(game.search.game(), power_of("AUS")),
            (std::vector<int>{power_of("GER"), power_of("ITA"), power_of("RUS")}));
  ASSERT_TRUE(game.settings.enabled()) << "the shipped settings search";
  game.settings.budget_milliseconds = 60000;  // all of it, even under the sanitizers
  testing::TempDir dir;
  game.trace.switch_on(true, dir.path());
  const SearchReport report = game.plan_and_search();
  EXPECT_FALSE(report.out_of_time);
  // The trace says what was weighed and why the choice won.
  game.trace.switch_on(false);
  const std::string trace = testing::read_file(dir / "tracelog.txt");
  EXPECT_NE(trace.find(" own order sets, 3 powers in reach"), std::string::npos) << trace;
  EXPECT_NE(trace.find("  ITA set 1 (greedy"), std::string::npos) << trace;
  EXPECT_NE(trace.find("  own set 1 (the plan, expected "), std::string::npos) << trace;
  ASSERT_GT(game.settings.look_ahead_candidates, 0) << "the shipped settings look ahead";
  EXPECT_NE(trace.find(", with the next phase "), std::string::npos) << trace;
  EXPECT_NE(trace.find("Search: the best 4 sets looked past the phase, on 4 of the likely"),
            std::string::npos)
      << trace;
  EXPECT_TRUE(trace.find("Search: the plan stands") != std::string::npos ||
              trace.find(" chosen: ") != std::string::npos)
      << trace;
  EXPECT_EQ(report.powers, 3);
  EXPECT_GE(report.own_candidates, 2);
  EXPECT_EQ(report.scored, report.own_candidates);
  EXPECT_EQ(report.looked_ahead, 4);
  EXPECT_TRUE(game.faults().empty()) << game.faults().front();
  EXPECT_EQ(game.board.build_submission().sub_message_count(), 4);  // SUB and three orders
  EXPECT_EQ(trace.find("Search: each build"), std::string::npos) << "spring builds nothing";

  // In an autumn the builds an outcome leaves room for count, and the trace says so.
  SearchedGame autumn("AUS",
                      "NOW ( FAL 1901 ) ( AUS AMY SER ) ( AUS AMY GAL ) ( AUS FLT TRI ) "
                      "( RUS AMY UKR ) ( ITA AMY VEN ) ( TUR AMY BUL )");
  autumn.settings.budget_milliseconds = 60000;
  ASSERT_GT(autumn.settings.build_value, 0) << "the shipped settings count builds";
  testing::TempDir autumn_dir;
  autumn.trace.switch_on(true, autumn_dir.path());
  autumn.plan_and_search();
  autumn.trace.switch_on(false);
  EXPECT_NE(testing::read_file(autumn_dir / "tracelog.txt")
                .find("Search: each build an outcome leaves room for adds 1000 to its value."),
            std::string::npos);
  EXPECT_TRUE(autumn.faults().empty()) << autumn.faults().front();

  // A crowded middle game, searched with one millisecond: out of time or not, every unit
  // has an order a server takes.
  SearchedGame crowded(
      "GER",
      "NOW ( FAL 1904 ) ( GER AMY MUN ) ( GER AMY BUR ) ( GER FLT HOL ) ( GER AMY RUH ) "
      "( GER FLT KIE ) ( GER AMY SIL ) ( FRA AMY PAR ) ( FRA AMY PIC ) ( FRA FLT BEL ) "
      "( FRA AMY MAR ) ( RUS AMY WAR ) ( RUS AMY PRU ) ( RUS FLT BAL ) ( AUS AMY BOH ) "
      "( AUS AMY TYR ) ( AUS AMY VIE ) ( ENG FLT NTH ) ( ENG FLT HEL ) ( ENG AMY DEN ) "
      "( ITA AMY PIE ) ( ITA AMY VEN )");
  crowded.settings.budget_milliseconds = 1;
  crowded.plan_and_search();
  EXPECT_TRUE(crowded.faults().empty()) << crowded.faults().front();
  EXPECT_EQ(crowded.board.build_submission().sub_message_count(), 7);
}

TEST(OrderSearch, NoBudgetPlaysThePlanAndTheWordIsKept) {
  SearchedGame planned("RUS");
  planTurn(planned.board, *planned.options, readAnnealingSettings(*planned.valuation),
           planned.random, planned.trace);
  SearchedGame unsearched("RUS");
  unsearched.settings.budget_milliseconds = 0;
  const SearchReport none = unsearched.plan_and_search();
  EXPECT_EQ(none.own_candidates, 0);
  EXPECT_EQ(unsearched.board.build_submission(), planned.board.build_submission());

  // Only the plan keeps the word: no other set is weighed, whatever it would score.
  SearchedGame bound("RUS");
  const TokenMessage plan = planned.board.build_submission();
  const SearchReport kept =
      bound.plan_and_search([&] { return bound.board.build_submission() == plan; });
  EXPECT_EQ(kept.own_candidates, 1);
  EXPECT_EQ(kept.chosen, 0);
  EXPECT_EQ(bound.board.build_submission(), plan);
}

TEST(OrderSearch, ForeseesPartnersByTheirWordAndPlayersByHowTheyPlayed) {
  SearchedGame game("AUS");
  const int russia = power_of("RUS");
  Obligations agreed;
  const auto provinces = static_cast<std::size_t>(game.board.province_count);
  agreed.no_attack.assign(provinces, false);
  agreed.no_entry.assign(provinces, false);
  agreed.protected_by.assign(provinces, 0);
  for (const char* kept_out : {"GAL", "UKR", "RUM"})
    agreed.no_entry[static_cast<std::size_t>(province(kept_out))] = true;
  std::mt19937 rng(5);
  const std::vector<Candidate> sets =
      greedy_candidates(game.search.game(), russia, 4, 24, rng, &agreed);
  ASSERT_FALSE(sets.empty());
  double total = 0;
  for (const Candidate& set : sets) {
    total += set.weight;
    for (const auto& [at, order] : set.orders) {
      EXPECT_EQ(order.power, russia);
      if (order.is_move()) {
        EXPECT_FALSE(agreed.no_entry[static_cast<std::size_t>(order.destination.province)]);
      }
    }
  }
  EXPECT_NEAR(total, 1.0, 1e-9);
  // The plan model's set for a partner is held to the same word.
  const auto kept = [&](std::vector<TokenMessage> orders) {
    const std::optional<OrderSet> set = checked_orders(game.search.game(), russia, orders);
    EXPECT_TRUE(set);
    return set && keeps_out(game.search.game(), *set, agreed);
  };
  EXPECT_TRUE(kept({parse("( RUS AMY WAR ) HLD"), parse("( RUS AMY MOS ) MTO SEV")}));
  EXPECT_FALSE(kept({parse("( RUS AMY WAR ) MTO GAL")}));
  EXPECT_FALSE(kept(
      {parse("( RUS AMY WAR ) MTO SIL"), parse("( RUS AMY MOS ) SUP ( RUS AMY WAR ) MTO UKR")}));

  game.plan_and_search();
  // Italy gives what the plan search foresaw, Germany the greedy rule's likeliest orders.
  const auto result = [](const TokenMessage& order) {
    return (((TokenMessage(tok::ORD) & parse("SPR 1901")) & order) & TokenMessage(tok::SUC));
  };
  int italian = 0;
  int german = 0;
  for (const OrderSearch::Foreseen& f : game.search.foreseen()) {
    if (f.power == power_of("ITA")) {
      const auto planned = std::find(f.plan.begin(), f.plan.end(), 1.0);
      if (planned == f.plan.end()) continue;
      game.search.observe_result(
          result(f.orders[static_cast<std::size_t>(planned - f.plan.begin())]));
      ++italian;
    } else if (f.power == power_of("GER")) {
      const auto likeliest = std::max_element(f.greedy.begin(), f.greedy.end());
      game.search.observe_result(
          result(f.orders[static_cast<std::size_t>(likeliest - f.greedy.begin())]));
      ++german;
    }
  }
  EXPECT_EQ(italian, 3);
  EXPECT_EQ(german, 3);
  EXPECT_GE(game.search.plan_share(power_of("ITA")), 0.5);
  EXPECT_LE(game.search.plan_share(power_of("GER")), 0.5);
  EXPECT_GT(game.search.plan_share(power_of("ITA")), game.search.plan_share(power_of("GER")));
  // Nobody foresaw Turkey, out of reach: no evidence either way.
  game.search.observe_result(result(parse("( TUR FLT ANK ) MTO BLA")));
  EXPECT_EQ(game.search.plan_share(power_of("TUR")), 0.5);
}

TEST(CandidateOrders, AttacksMoveOneUnitInWithTheOthersSupporting) {
  SearchedGame game("AUS",
                    "NOW ( SPR 1902 ) ( AUS AMY BUD ) ( AUS AMY SER ) ( AUS FLT TRI ) "
                    "( TUR FLT BLA ) ( RUS AMY UKR )");
  const rules::RulesGame& rules_game = game.search.game();
  const int austria = power_of("AUS");
  std::optional<OrderSet> held = checked_orders(
      rules_game, austria,
      {parse("( AUS AMY BUD ) HLD"), parse("( AUS AMY SER ) HLD"), parse("( AUS FLT TRI ) HLD")});
  ASSERT_TRUE(held);
  const std::vector<Candidate> attacks = attack_candidates(rules_game, *held, austria, 8);
  // Rumania is the only place worth taking that two units reach: either goes in.
  ASSERT_EQ(attacks.size(), 2u);
  std::set<int> movers;
  for (const Candidate& attack : attacks) {
    int moves = 0;
    for (const auto& [at, order] : attack.orders) {
      if (order.is_move()) {
        EXPECT_EQ(order.destination.province, province("RUM"));
        movers.insert(at);
        ++moves;
      } else if (order.kind == OrderKind::kSupportMove) {
        EXPECT_EQ(order.target, province("RUM"));
      }
      const TokenMessage text =
          rules::order_message(rules_game.map(), rules_game.position(), order);
      EXPECT_EQ(rules::check_order(rules_game.map(), rules_game.position(), austria, text).note,
                tok::MBV)
          << text.to_text();
    }
    EXPECT_EQ(moves, 1);
  }
  EXPECT_EQ(movers, (std::set<int>{province("BUD"), province("SER")}));
}

// The standard map with the units given and the centres of the start.
void load_standard(rules::RulesGame& game, const std::string& now) {
  const rules::MapFile file = rules::standard_map_file();
  ASSERT_LT(game.load_map(file.mdf), 0);
  ASSERT_LT(game.load_position(parse(now), file.sco), 0);
}

std::vector<UnitEnd> ends_after(const rules::RulesGame& game, const OrderSet& orders) {
  return unit_ends(game.position(), orders,
                   rules::adjudicate_movement(game.map(), game.position(), orders));
}

TEST(OutcomeValue, CountsDislodgedUnitsAndOccupiedCentres) {
  rules::RulesGame game;
  ASSERT_NO_FATAL_FAILURE(load_standard(game,
                                        "NOW ( SPR 1901 ) ( AUS AMY VIE ) ( AUS AMY BUD ) "
                                        "( RUS AMY GAL ) ( RUS AMY BOH )"));
  const int austria = power_of("AUS");
  const int russia = power_of("RUS");
  std::optional<OrderSet> orders = checked_orders(
      game, russia,
      {parse("( RUS AMY GAL ) MTO VIE"), parse("( RUS AMY BOH ) SUP ( RUS AMY GAL ) MTO VIE")});
  ASSERT_TRUE(orders);
  const std::vector<UnitEnd> ends = ends_after(game, *orders);
  ASSERT_EQ(ends.size(), 4u);
  for (const UnitEnd& end : ends) {
    EXPECT_EQ(end.dislodged, end.start.province == province("VIE"));
    EXPECT_EQ(end.end.province,
              end.start.province == province("GAL") ? province("VIE") : end.start.province);
  }
  // Austria: a unit lost (-1), one in its own centre (+2), Vienna occupied (-2).
  EXPECT_EQ(plain_value(game.map(), game.position(), ends, austria), -1);
  // Russia: a unit in Austria's centre (+4), one anywhere (+1).
  EXPECT_EQ(plain_value(game.map(), game.position(), ends, russia), 5);
}

TEST(OutcomeValue, RoomToBuildNeedsACentreMoreAndAFreeHomeCentre) {
  rules::RulesGame game;
  ASSERT_NO_FATAL_FAILURE(load_standard(game,
                                        "NOW ( FAL 1901 ) ( AUS AMY BUD ) ( AUS AMY SER ) "
                                        "( AUS FLT TRI ) ( RUS AMY GAL )"));
  const int austria = power_of("AUS");
  const int russia = power_of("RUS");
  const auto room = [&](const std::vector<std::string>& austrian, const std::string& russian) {
    std::vector<TokenMessage> texts;
    for (const std::string& text : austrian)
      texts.push_back(parse(text));
    std::optional<OrderSet> orders = checked_orders(game, austria, texts);
    const std::optional<OrderSet> other = checked_orders(game, russia, {parse(russian)});
    EXPECT_TRUE(orders && other);
    if (!orders || !other) return -1;
    orders->insert(other->begin(), other->end());
    return room_to_build(game.map(), game.position(), ends_after(game, *orders), austria);
  };
  const std::string serbia = "( AUS AMY SER ) HLD";
  const std::string trieste = "( AUS FLT TRI ) HLD";
  // Serbia and Rumania taken, Budapest and Vienna free: two builds.
  EXPECT_EQ(room({"( AUS AMY BUD ) MTO RUM", serbia, trieste}, "( RUS AMY GAL ) HLD"), 2);
  // Russia in Vienna: a centre fewer, and no building there.
  EXPECT_EQ(room({"( AUS AMY BUD ) MTO RUM", serbia, trieste}, "( RUS AMY GAL ) MTO VIE"), 1);
  // Budapest kept occupied: Serbia's build goes to Vienna alone.
  EXPECT_EQ(room({"( AUS AMY BUD ) HLD", serbia, trieste}, "( RUS AMY GAL ) HLD"), 1);
  EXPECT_EQ(room({"( AUS AMY BUD ) HLD", serbia, trieste}, "( RUS AMY GAL ) MTO VIE"), 0);
  // Serbia left: no centre more than units.
  EXPECT_EQ(
      room({"( AUS AMY BUD ) HLD", "( AUS AMY SER ) MTO ALB", trieste}, "( RUS AMY GAL ) HLD"), 0);
}

}  // namespace
}  // namespace quorvel::search
