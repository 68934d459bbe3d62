#include "watch/game_watch.h"

#include <nlohmann/json.hpp>

#include "page/board_page.h"
#include "page/page_data.h"
#include "savedgame/saved_game_json.h"

namespace quorvel::watch {

using Json = nlohmann::json;

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

GameWatch::GameWatch(const rules::MapFile& map)
    : map_file_(map), map_(loaded(map)), names_(map_), published_(std::make_shared<Snapshot>()) {
  page_ = page::board_page(page::page_data(savedgame::SavedGame{"", map.name, {}, {}}, map_file_),
                           true);
}

void GameWatch::publish(const savedgame::SavedGame& game, bool finished) {
  // An ended game is shown anew whole, its press with it.
  if (finished && !finished_) settled_ = 0;
  finished_ = finished;
  saved_.resize(settled_);
  views_.resize(settled_);
  for (std::size_t i = settled_; i < game.phases.size(); ++i) {
    const savedgame::SavedPhase phase = finished ? game.phases[i] : public_part(game.phases[i]);
    saved_.push_back(std::make_shared<const std::string>(savedgame::saved_phase_json(game, phase)));
    views_.push_back(std::make_shared<const std::string>(page::phase_data_text(names_, phase)));
  }
  // The last phase may still change: its press, its orders when it is processed.
  settled_ = game.phases.empty() ? 0 : game.phases.size() - 1;
  auto snapshot = std::make_shared<Snapshot>();
  snapshot->game_head = savedgame::SavedGame{game.id, game.map, game.rules, {}};
  snapshot->saved = saved_;
  snapshot->views = views_;
  snapshot->finished = finished;
  const std::lock_guard<std::mutex> lock(mutex_);
  published_ = std::move(snapshot);
}

std::shared_ptr<const GameWatch::Snapshot> GameWatch::snapshot() const {
  const std::lock_guard<std::mutex> lock(mutex_);
  return published_;
}

std::string GameWatch::page() const {
  return page_;
}

std::string GameWatch::game_json() const {
  const std::shared_ptr<const Snapshot> now = snapshot();
  std::vector<std::string> phases;
  for (const auto& phase : now->saved)
    phases.push_back(*phase);
  return savedgame::saved_game_json(now->game_head, phases);
}

namespace {

std::int64_t steady_milliseconds() {
  return std::chrono::duration_cast<std::chrono::milliseconds>(
             std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

}  // namespace

bool GameWatch::watched_within(std::chrono::seconds seconds) const {
  const std::int64_t asked = last_asked_;
  return asked != 0 && steady_milliseconds() - asked <= seconds.count() * 1000;
}

std::string GameWatch::view_json(std::size_t from) const {
  const std::shared_ptr<const Snapshot> now = snapshot();
  last_asked_ = steady_milliseconds();
  if (now->finished) end_seen_ = true;
  if (now->finished || from > now->views.size()) from = 0;
  std::string json = "{\"from\": " + std::to_string(from) +
                     ", \"finished\": " + (now->finished ? "true" : "false") + ", \"phases\": [";
  for (std::size_t i = from; i < now->views.size(); ++i)
    json += (i > from ? ", " : "") + *now->views[i];
  return json + "]}";
}

}  // namespace quorvel::watch
