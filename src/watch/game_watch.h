#pragma once

#include <atomic>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "page/phase_texts.h"
#include "rules/map_file.h"
#include "savedgame/saved_game.h"

namespace quorvel::watch {

// A game as its watchers see it: the game's thread publishes it as it goes, the watchers'
// threads read the last published state and never wait for the game, nor it for them.
// While the game runs they see what an observer may: no press and no notes (which tell
// of agreements); once it has ended, everything.
class GameWatch {
 public:
  explicit GameWatch(const rules::MapFile& map);

  // From the game's thread, whenever the game changed.
  void publish(const savedgame::SavedGame& game, bool finished);

  // From any thread.
  // The live page: it asks for the phases with view.json.
  std::string page() const;
  // The game so far in the saved-game format.
  std::string game_json() const;
  // The page's phases from the one numbered `from` (from 0) on, with that number and
  // whether the game has ended: {"from": N, "phases": [...], "finished": false}. An ended
  // game gives all of them, its press now included.
  std::string view_json(std::size_t from) const;

  // Whether somebody watches: a page asked for phases in the last seconds given; and
  // whether one has been given the game's end.
  bool watched_within(std::chrono::seconds seconds) const;
  bool end_seen() const { return end_seen_; }

 private:
  struct Snapshot {
    savedgame::SavedGame game_head;
    page::PhaseTexts::Texts saved;  // per phase, saved-game format
    page::PhaseTexts::Texts views;  // per phase, the page's
    bool finished = false;
  };
  std::shared_ptr<const Snapshot> snapshot() const;

  std::string page_;
  page::PhaseTexts texts_;  // the game's thread's own

  mutable std::atomic<std::int64_t> last_asked_{0};  // steady clock, milliseconds
  mutable std::atomic<bool> end_seen_{false};
  mutable std::mutex mutex_;
  std::shared_ptr<const Snapshot> published_;
};

}  // namespace quorvel::watch
