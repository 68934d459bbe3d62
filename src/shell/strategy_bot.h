#pragma once

#include "planning/unit_option_table.h"
#include "settings/bot_settings.h"
#include "shell/bot_base.h"

namespace quorvel {

class ProvinceValuation;

// The bot that plays: it introduces itself by name, rejoins from "recovery.txt", values
// and plans every position it has units in, and keeps mutated settings after a win.
class StrategyBot : public BotBase {
 public:
  StrategyBot();

  void SendInitialMessage() override;
  void OnRejNME(const TokenMessage& msg, const TokenMessage& arg) override;
  void OnYesIAM(const TokenMessage& msg, const TokenMessage& arg) override;
  void OnHLO(const TokenMessage& msg) override;
  void OnMDF(const TokenMessage& msg) override;
  void OnSCO(const TokenMessage& msg) override;
  void OnNOW(const TokenMessage& msg) override;
  void OnSLO(const TokenMessage& msg) override;

  bool settingsMutated() const { return mutated_; }
  const AnnealingSettings& annealing() const { return annealing_; }
  const UnitOptionTable& optionTable() const { return options_; }

 private:
  ProvinceValuation& valuation_;
  GameBoard& board_;
  UnitOptionTable options_;
  AnnealingSettings annealing_;
  bool mutated_ = false;
};

}  // namespace quorvel
