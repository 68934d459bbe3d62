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
      keeps_files_(setup.process_bot) {
  LoadedSettings loaded;
  if (setup.settings) {
    static_cast<IniStore&>(valuation_) = *setup.settings;
    loaded = prepareSettings(valuation_, random_);
  } else {
    loaded = loadSettings(valuation_, random_, logs());
  }
  annealing_ = loaded.annealing;
  mutated_ = loaded.mutated;
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
  Trace("HLO processed. I am %s, my passcode is %d", Text(TokenMessage(board_.own_power)).c_str(),
        board_.passcode);
}

void StrategyBot::OnMDF(const TokenMessage&) {
  for (const std::string& problem : valuation_.setupMap())
    LogError("%s", problem.c_str());
  Trace("MDF processed. The map is called %s.", board_.map_name.c_str());
}

void StrategyBot::OnSCO(const TokenMessage&) {
  Trace("SCO received.");
}

void StrategyBot::OnNOW(const TokenMessage&) {
  // A power whose units are all gone may still own centres to build on: a server waits
  // for those builds.
  const bool builds_owed = board_.season == tok::WIN && board_.adjustment_count < 0;
  if (board_.own_units.empty() && board_.own_dislodged_units.empty() && !builds_owed) return;
  valuation_.evaluateTurn();
  options_.rebuild();
  Trace("NOW processed. It's now %s %.4d", Text(TokenMessage(board_.season)).c_str(), board_.year);
  if (board_.game_over) {
    Trace("Game over.");
    return;
  }
  const Token season = board_.season;
  if (is_movement_season(season) || is_retreat_season(season) ||
      (season == tok::WIN && board_.adjustment_count != 0)) {
    planTurn(board_, options_, annealing_, random_, trace());
  }
  SubmitOrders();
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
