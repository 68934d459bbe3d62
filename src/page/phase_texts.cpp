#include "page/phase_texts.h"

#include <algorithm>

#include "page/board_page.h"
#include "page/page_data.h"
#include "savedgame/saved_game_json.h"

namespace quorvel::page {

namespace {

rules::RulesMap loaded(const rules::MapFile& map_file) {
  rules::RulesMap map;
  map.load(map_file.mdf);
  return map;
}

// What an observer may see of a phase of a running game.
savedgame::SavedPhase public_part(savedgame::SavedPhase phase) {
  phase.messages.clear();
  phase.state.note.clear();
  return phase;
}

}  // namespace

PhaseTexts::PhaseTexts(const rules::MapFile& map, bool observer)
    : map_file_(map), map_(loaded(map)), names_(map_), observer_(observer) {}

void PhaseTexts::update(const savedgame::SavedGame& game, bool finished) {
  // An observer's ended game is made anew whole, its press with it.
  if (observer_ && finished && !finished_) settled_ = 0;
  finished_ = finished;
  settled_ = std::min(settled_, game.phases.size());
  saved_.resize(settled_);
  views_.resize(settled_);
  for (std::size_t i = settled_; i < game.phases.size(); ++i) {
    const bool hidden = observer_ && !finished;
    const savedgame::SavedPhase& phase = game.phases[i];
    const savedgame::SavedPhase shown = hidden ? public_part(phase) : savedgame::SavedPhase();
    const savedgame::SavedPhase& text_of = hidden ? shown : phase;
    saved_.push_back(
        std::make_shared<const std::string>(savedgame::saved_phase_json(game, text_of)));
    views_.push_back(std::make_shared<const std::string>(phase_data_text(names_, text_of)));
  }
  // The last phase may still change: its press, its orders when it is processed.
  settled_ = game.phases.empty() ? 0 : game.phases.size() - 1;
}

std::string PhaseTexts::saved_game_json(const savedgame::SavedGame& game) const {
  return savedgame::saved_game_json(game, text_views(saved_));
}

std::string PhaseTexts::board_page(const savedgame::SavedGame& game, bool live) const {
  return page::board_page(names_, game, map_file_, text_views(views_), live);
}

std::vector<std::string_view> text_views(const PhaseTexts::Texts& texts) {
  std::vector<std::string_view> views;
  views.reserve(texts.size());
  for (const auto& text : texts)
    views.emplace_back(*text);
  return views;
}

}  // namespace quorvel::page
