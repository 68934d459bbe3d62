#include "shell/strategy_bot.h"

#include <cstdio>

#include "base/trace.h"
#include "game/game_board.h"
#include "planning/turn_driver.h"
#include "protocol/seasons.h"
#include "protocol/token_text_table.h"
#include "protocol/tokens.h"
#include "valuation/province_valuation.h"

namespace quorvel {

namespace {

constexpr const char* kRecoveryFile = "recovery.txt";

void writeRecoveryFile(const TokenMessage& hello, TraceLog& trace) {
  std::FILE* file = std::fopen(kRecoveryFile, "w");
  if (file == nullptr) {
    trace.line("Couldn't open recovery file recovery.txt");
    return;
  }
  std::fprintf(file, "%hu %hu", hello.token_at(2).value(), hello.token_at(5).value());
  std::fclose(file);
}

}  // namespace

// The base keeps a reference to the board, which is built just after it.
StrategyBot::StrategyBot(const PlayerSetup& setup)
    : BotBase(board_, setup.process_bot),
      valuation_(board_),
      random_(setup.seed ? RandomSource(*setup.seed) : RandomSource()),
      options_(board_, valuation_),
      keeps_files_(setup.process_bot),
      negotiator_(board_, valuation_) {
  LoadedSettings loaded;
  if (setup.settings) {
    static_cast<IniStore&>(valuation_) = *setup.settings;
    loaded = prepareSettings(valuation_, random_);
  } else {
    loaded = loadSettings(valuation_, random_, logs());
  }
  annealing_ = loaded.annealing;
  search_settings_ = readSearchSettings(valuation_);
  search_settings_.by_clock = !setup.seed;
  mutated_ = loaded.mutated;
  negotiator_.set_settings(readPressSettings(valuation_));
  if (mutated_) Trace("Settings mutated.");
}

void StrategyBot::SendInitialMessage() {
  SendName("Quorvel", "1.1");
}

void StrategyBot::OnRejNME(const TokenMessage&, const TokenMessage&) {
  if (!keeps_files_) return;
  std::FILE* file = std::fopen(kRecoveryFile, "r");
  if (file == nullptr) {
    Trace("Couldn't read recovery file recovery.txt");
    return;
  }
  unsigned power = 0;
  unsigned passcode = 0;
  const int read = std::fscanf(file, "%u %u", &power, &passcode);
  std::fclose(file);
  // Anything but a power and a number would only be refused by the server.
  if (read != 2 || power > 0xFFFF || passcode > 0xFFFF ||
      Token(static_cast<std::uint16_t>(power)).category() != CATEGORY_POWER ||
      !Token(static_cast<std::uint16_t>(passcode)).is_number()) {
    Trace("Recovery file recovery.txt holds no power and passcode; not rejoining");
    return;
  }
  const TokenMessage rejoin = tok::IAM & Token(static_cast<std::uint16_t>(power)) &
                              Token(static_cast<std::uint16_t>(passcode));
  Trace("Trying to reconnect: %s", Text(rejoin).c_str());
  Send(rejoin);
}

void StrategyBot::OnYesIAM(const TokenMessage&, const TokenMessage&) {
  RequestMap();
}

void StrategyBot::OnHLO(const TokenMessage& msg) {
  if (keeps_files_) writeRecoveryFile(msg, trace());
  valuation_.setupPower();
  ReadOpening();
  negotiator_.start_game(msg);
  TracePress();
  Trace("HLO processed. I am %s, my passcode is %d", Text(TokenMessage(board_.own_power)).c_str(),
        board_.passcode);
}

void StrategyBot::OnMDF(const TokenMessage& msg) {
  if (search_settings_.enabled()) search_.set_map(msg);
  for (const std::string& problem : valuation_.setupMap())
    LogError("%s", problem.c_str());
  Trace("MDF processed. The map is called %s.", board_.map_name.c_str());
}

void StrategyBot::OnSCO(const TokenMessage& msg) {
  if (search_settings_.enabled()) search_.set_centres(msg);
  Trace("SCO received.");
}

void StrategyBot::OnNOW(const TokenMessage& msg) {
  if (search_settings_.enabled()) search_.set_position(msg);
  // A power whose units are all gone may still own centres to build on: a server waits
  // for those builds.
  const bool builds_owed = board_.season == tok::WIN && board_.adjustment_count < 0;
  if (board_.own_units.empty() && board_.own_dislodged_units.empty() && !builds_owed) return;
  timer_.cancel();
  waiting_for_answers_ = false;
  SendAll(negotiator_.begin_phase(std::chrono::steady_clock::now()));
  if (const std::optional<TokenMessage> draw = negotiator_.draw_request()) {
    Trace("press: asking for a draw, %s", Text(*draw).c_str());
    Send(*draw);
  }
  const bool negotiating = negotiator_.active() && is_movement_season(board_.season);
  valuation_.evaluateTurn();
  options_.rebuild();
  // A movement phase with press first plans what the bot would do unbound: that is what
  // it weighs its agreements against. Its orders then keep them.
  if (!negotiating) negotiator_.constrain(options_);
  Trace("NOW processed. It's now %s %.4d", Text(TokenMessage(board_.season)).c_str(), board_.year);
  if (board_.game_over) {
    Trace("Game over.");
    return;
  }
  const Token season = board_.season;
  if (is_movement_season(season) || is_retreat_season(season) ||
      (season == tok::WIN && board_.adjustment_count != 0)) {
    PlanOrders(!negotiating);
  }
  if (negotiating) {
    // Proposals first, the orders when they are answered or the wait is over.
    Send(tok::NOT & TokenMessage(tok::GOF));
    SendAll(negotiator_.open_phase());
    TracePress();
    waiting_for_answers_ = true;
    if (!negotiator_.waiting() || negotiator_.wait_milliseconds() == 0) {
      FinishPhase();
      return;
    }
    // A bot of this process waits on the clock; a host that drives press in rounds ends
    // the wait itself.
    if (keeps_files_) {
      const std::chrono::milliseconds wait(negotiator_.wait_milliseconds());
      wait_ends_ = std::chrono::steady_clock::now() + wait;
      timer_.start(wait);
    }
    return;
  }
  negotiator_.give_promised_orders(board_);
  SubmitOrders();
  negotiator_.orders_given();
}

void StrategyBot::ReadOpening() {
  opening_.clear();
  const std::string power = board_.tokens->text_of(board_.own_power).value_or("");
  const std::string text = valuation_.getValue(BotSettings::kOpeningsSection, power, "");
  std::string why;
  if (std::optional<OpeningLine> line = read_opening(text, &why)) {
    opening_ = std::move(*line);
  } else {
    LogError("Opening for %s in ini-file not used: %s.", power.c_str(), why.c_str());
  }
}

void StrategyBot::PlanOrders(bool bound) {
  // Pinned, so that the plan the negotiation weighs its proposals by is the opening.
  const std::vector<std::pair<int, Location>> opening =
      is_movement_season(board_.season) ? opening_orders(opening_, board_, options_)
                                        : std::vector<std::pair<int, Location>>{};
  for (const auto& [unit, end] : opening)
    options_.pin(unit, end);
  const std::vector<bool> barred = negotiator_.barred();
  const std::vector<bool>* bar = bound && negotiator_.active() ? &barred : nullptr;
  if (opening.empty() && search_settings_.enabled() && is_movement_season(board_.season)) {
    TurnPlanner planner(board_, options_, random_);
    planner.plan(annealing_, trace(), bar);
    planner.writeBest(trace());
    std::vector<std::optional<Obligations>> agreed;
    std::vector<const Obligations*> partners;
    for (int power = 0; power < board_.power_count; ++power)
      agreed.push_back(negotiator_.partner_obligations(power));
    for (const std::optional<Obligations>& o : agreed)
      partners.push_back(o ? &*o : nullptr);
    const auto keeps_word = [this] {
      return !negotiator_.active() || negotiator_.orders_keep_word();
    };
    last_search_ =
        search_.choose(board_, planner, valuation_, search_settings_,
                       static_cast<std::uint32_t>(random_.next()), keeps_word, partners, trace());
  } else {
    planTurn(board_, options_, annealing_, random_, trace(), bar);
  }
  // A pinned unit may still be planned to support; the opening says move or hold.
  for (const auto& [unit, end] : opening) {
    if (end.province == unit) {
      board_.order_hold(unit);
    } else {
      board_.order_move(unit, end);
    }
  }
  if (!opening.empty()) Trace("Opening played.");
}

void StrategyBot::FinishPhase() {
  if (!waiting_for_answers_) return;
  waiting_for_answers_ = false;
  timer_.cancel();
  SendAll(negotiator_.end_wait());
  TracePress();
  // What was agreed meanwhile may ask for other orders.
  if (!negotiator_.orders_keep_word()) {
    Trace("Planning again under the agreements made.");
    options_.rebuild();
    negotiator_.constrain(options_);
    PlanOrders(true);
  }
  negotiator_.give_promised_orders(board_);
  SubmitOrders();
  negotiator_.orders_given();
  Send(TokenMessage(tok::GOF));
}

void StrategyBot::OnWake() {
  // A wake-up queued just before a new phase began belongs to the old one.
  if (std::chrono::steady_clock::now() + std::chrono::milliseconds(5) < wait_ends_) return;
  FinishPhase();
}

void StrategyBot::OnFRM(const TokenMessage& msg) {
  if (!negotiator_.active()) {
    BotBase::OnFRM(msg);
    return;
  }
  SendAll(negotiator_.on_press(msg));
  TracePress();
  if (waiting_for_answers_ && !negotiator_.waiting()) FinishPhase();
}

void StrategyBot::OnORD(const TokenMessage& msg) {
  if (search_settings_.enabled()) search_.observe_result(msg);
  opening_.clear();
  negotiator_.on_result(msg);
}

void StrategyBot::OnOUT(const TokenMessage& msg) {
  // The broadcast of an elimination, or the answer to press for an eliminated power.
  negotiator_.power_out(msg.sub_message(1).token_at(0).subtoken());
  if (waiting_for_answers_ && !negotiator_.waiting()) FinishPhase();
}

void StrategyBot::OnCCD(const TokenMessage& msg, bool) {
  negotiator_.no_answer_from(msg.sub_message(1).token_at(0).subtoken());
  if (waiting_for_answers_ && !negotiator_.waiting()) FinishPhase();
}

void StrategyBot::OnRejSND(const TokenMessage& msg, const TokenMessage& arg) {
  BotBase::OnRejSND(msg, arg);
  // The recipients of refused press will not answer it.
  const TokenMessage snd = msg.sub_message(1);
  const TokenMessage to = snd.sub_message(snd.sub_message_count() - 2);
  for (int i = 0; i < to.length(); ++i)
    negotiator_.no_answer_from(to.token_at(i).subtoken());
  if (waiting_for_answers_ && !negotiator_.waiting()) FinishPhase();
}

void StrategyBot::OnYesSND(const TokenMessage& msg, const TokenMessage&) {
  negotiator_.delivered(msg.sub_message(1));
}

void StrategyBot::SendAll(const std::vector<TokenMessage>& messages) {
  for (const TokenMessage& message : messages)
    Send(message);
}

void StrategyBot::TracePress() {
  for (const std::string& line : negotiator_.take_trace())
    Trace("%s", line.c_str());
}

void StrategyBot::OnSLO(const TokenMessage& msg) {
  const Token winner = msg.token_at(2);
  if (winner == board_.own_power) {
    Trace("I win.");
    if (keeps_files_) onGameWon(valuation_, mutated_, logs());
  } else {
    Trace("I lose. The winner is %s.", Text(TokenMessage(winner)).c_str());
  }
}

}  // namespace quorvel
