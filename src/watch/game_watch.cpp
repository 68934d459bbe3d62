#include "watch/game_watch.h"

#include <nlohmann/json.hpp>

#include "page/board_page.h"
#include "page/page_data.h"
#include "savedgame/saved_game_json.h"

namespace quorvel::watch {

GameWatch::GameWatch(const rules::MapFile& map)
    : page_(
          page::board_page(page::page_data(savedgame::SavedGame{"", map.name, {}, {}}, map), true)),
      texts_(map, true),
      published_(std::make_shared<Snapshot>()) {}

void GameWatch::publish(const savedgame::SavedGame& game, bool finished) {
  texts_.update(game, finished);
  auto snapshot = std::make_shared<Snapshot>();
  snapshot->game_head = savedgame::SavedGame{game.id, game.map, game.rules, {}};
  snapshot->saved = texts_.saved();
  snapshot->views = texts_.views();
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
  return savedgame::saved_game_json(now->game_head, page::text_views(now->saved));
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
