#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "rules/map_file.h"
#include "rules/rules_map.h"
#include "savedgame/order_text.h"
#include "savedgame/saved_game.h"

namespace quorvel::page {

// A game's phases as texts, in the saved-game format and as the board page shows them,
// kept while the game goes on: each update makes again only the phases that may have
// changed (the last one; all of them once the game ends, when an observer's texts gain
// the press). An observer's texts leave out press and notes while the game runs.
class PhaseTexts {
 public:
  using Texts = std::vector<std::shared_ptr<const std::string>>;

  PhaseTexts(const rules::MapFile& map, bool observer);

  void update(const savedgame::SavedGame& game, bool finished);

  // Shared, so that a snapshot of them stays whole while the game goes on.
  const Texts& saved() const { return saved_; }
  const Texts& views() const { return views_; }

  // The saved game and its board page from the texts of the last update.
  std::string saved_game_json(const savedgame::SavedGame& game) const;
  std::string board_page(const savedgame::SavedGame& game, bool live = false) const;

 private:
  rules::MapFile map_file_;
  rules::RulesMap map_;
  savedgame::MapNames names_;
  bool observer_;
  Texts saved_;
  Texts views_;
  std::size_t settled_ = 0;  // phases before it no longer change
  bool finished_ = false;
};

// The texts as plain views, for the writers.
std::vector<std::string_view> text_views(const PhaseTexts::Texts& texts);

}  // namespace quorvel::page
