#pragma once

#include <chrono>
#include <cstdint>
#include <optional>

#include "base/random_source.h"
#include "game/game_board.h"
#include "planning/opening_book.h"
#include "planning/unit_option_table.h"
#include "search/order_search.h"
#include "settings/bot_settings.h"
#include "shell/bot_base.h"
#include "shell/negotiator.h"
#include "shell/press_timer.h"
#include "valuation/province_valuation.h"

namespace quorvel {

// How a player is set up. The defaults are the program's one bot on a server.
struct PlayerSetup {
  // None: seeded by the time of day, and again at every plan.
  std::optional<std::uint64_t> seed;
  // None: "Quorvel.ini" from the working directory.
  std::optional<IniStore> settings;
  // The process's bot on the comms link, which keeps "recovery.txt" and, after a won
  // game, its mutated settings. Players of an in-process game leave no files.
  bool process_bot = true;
};

// The bot that plays: it introduces itself by name, rejoins from "recovery.txt", values
// and plans every position it has units in, and keeps mutated settings after a win.
class StrategyBot : public BotBase {
 public:
  explicit StrategyBot(const PlayerSetup& setup = {});

  void SendInitialMessage() override;
  void OnRejNME(const TokenMessage& msg, const TokenMessage& arg) override;
  void OnYesIAM(const TokenMessage& msg, const TokenMessage& arg) override;
  void OnHLO(const TokenMessage& msg) override;
  void OnMDF(const TokenMessage& msg) override;
  void OnSCO(const TokenMessage& msg) override;
  void OnNOW(const TokenMessage& msg) override;
  void OnSLO(const TokenMessage& msg) override;
  // Press, in games that have it; otherwise the standard answers.
  void OnFRM(const TokenMessage& msg) override;
  void OnORD(const TokenMessage& msg) override;
  void OnOUT(const TokenMessage& msg) override;
  void OnCCD(const TokenMessage& msg, bool newly) override;
  void OnRejSND(const TokenMessage& msg, const TokenMessage& arg) override;
  void OnYesSND(const TokenMessage& msg, const TokenMessage& arg) override;
  void OnWake() override;
  // The wait for answers is over (a host that drives press in rounds says when): the bot
  // gives its orders if it has not yet.
  void PressWaitOver() { FinishPhase(); }

  bool settingsMutated() const { return mutated_; }
  const AnnealingSettings& annealing() const { return annealing_; }
  const SearchSettings& searchSettings() const { return search_settings_; }
  // What the search did in the last movement phase it ran.
  const search::SearchReport& lastSearch() const { return last_search_; }
  const UnitOptionTable& optionTable() const { return options_; }
  const GameBoard& board() const { return board_; }
  const ProvinceValuation& valuation() const { return valuation_; }
  const Negotiator& negotiator() const { return negotiator_; }

 private:
  // Plans the phase's orders; bound, no convoy lands where its agreements forbid.
  void PlanOrders(bool bound);
  // The own power's opening from the settings; one that does not read is logged and left out.
  void ReadOpening();
  // Gives the orders of a movement phase that waited for answers, and says GOF.
  void FinishPhase();
  void SendAll(const std::vector<TokenMessage>& messages);
  void TracePress();

  // The first movement phase's orders, from the settings, until a phase is processed.
  OpeningLine opening_;

  GameBoard board_;
  ProvinceValuation valuation_;
  RandomSource random_;
  UnitOptionTable options_;
  bool keeps_files_;
  AnnealingSettings annealing_;
  SearchSettings search_settings_;
  search::OrderSearch search_;
  search::SearchReport last_search_;
  bool mutated_ = false;
  Negotiator negotiator_;
  // A movement phase waits for answers to its proposals before its orders go.
  bool waiting_for_answers_ = false;
  std::chrono::steady_clock::time_point wait_ends_;
  // Last: its thread must stop before anything it wakes is gone.
  PressTimer timer_{[this] { PostWake(); }};
};

}  // namespace quorvel
