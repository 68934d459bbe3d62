#include "arena/arena_run.h"

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <filesystem>
#include <mutex>
#include <optional>
#include <thread>

#include "arena/arena_game.h"
#include "arena/outside_game.h"
#include "game/board_map.h"
#include "platform/os.h"
#include "rules/standard_map.h"

namespace quorvel::arena {

namespace {

// Seats in the map's power order, turned into the player of each power index; a power the
// map leaves out has none.
std::vector<const ArenaPlayer*> players_by_power(const ArenaOptions& options, const BoardMap& map,
                                                 int game) {
  std::vector<int> powers;
  for (int power = 0; power < map.power_count; ++power) {
    if (map.has_power(power)) powers.push_back(power);
  }
  const int seats = static_cast<int>(powers.size());
  const std::vector<const ArenaPlayer*> by_seat =
      options.lineup ? lineup_seating(options.players, *options.lineup, game, seats)
                     : seating(options.players, game, seats);
  std::vector<const ArenaPlayer*> by_power(static_cast<std::size_t>(map.power_count));
  for (std::size_t seat = 0; seat < powers.size(); ++seat)
    by_power[static_cast<std::size_t>(powers[seat])] = by_seat[seat];
  return by_power;
}

// Where outside programs work: beside the records when kept, else in a temporary folder of
// this process, removed game by game.
OutsideGameOptions outside_options(const ArenaOptions& options) {
  OutsideGameOptions outside;
  outside.connect_seconds = options.connect_seconds;
  outside.move_seconds = options.move_seconds;
  outside.retreat_seconds = options.retreat_seconds;
  outside.build_seconds = options.build_seconds;
  outside.keep_folders = !options.record_dir.empty();
  std::error_code ec;
  outside.folder = outside.keep_folders
                       ? options.record_dir
                       : (std::filesystem::temp_directory_path(ec) /
                          ("quorvel-arena-" + std::to_string(platform::os::process_id())))
                             .string();
  return outside;
}

}  // namespace

std::vector<int> games_of_run(const ArenaOptions& options) {
  std::vector<int> games;
  for (int i = 0; i < options.games; ++i) {
    if (i % options.shards == options.shard - 1) games.push_back(i);
  }
  return games;
}

namespace {

std::vector<GameResult> play_games(const ArenaOptions& options, const std::vector<int>& games,
                                   const std::function<void(const GameResult&)>& on_result);

}  // namespace

std::vector<GameResult> run_arena(const ArenaOptions& options,
                                  const std::function<void(const GameResult&)>& on_result) {
  const std::vector<int> all = games_of_run(options);
  const Cluster* cluster = options.cluster;
  if (cluster == nullptr || cluster->size() == 1) return play_games(options, all, on_result);

  std::vector<int> mine;
  for (std::size_t k = 0; k < all.size(); ++k) {
    if (static_cast<int>(k % static_cast<std::size_t>(cluster->size())) == cluster->rank())
      mine.push_back(all[k]);
  }
  const std::vector<std::string> texts =
      cluster->gather_all(results_to_wire(play_games(options, mine, nullptr)));
  std::vector<std::vector<GameResult>> by_rank;
  for (const std::string& text : texts) {
    auto results = results_from_wire(text);
    // Only ranks of different builds write what another cannot read.
    if (!results) cluster->stop_all("results of another rank cannot be read: is it another build?");
    by_rank.push_back(std::move(*results));
  }
  std::vector<GameResult> results;
  for (std::size_t k = 0; k < all.size(); ++k) {
    const auto rank = k % by_rank.size();
    results.push_back(std::move(by_rank[rank][k / by_rank.size()]));
    if (on_result) on_result(results.back());
  }
  return results;
}

namespace {

std::vector<GameResult> play_games(const ArenaOptions& options, const std::vector<int>& games,
                                   const std::function<void(const GameResult&)>& on_result) {
  // Read before the threads start; each game then plays on a copy of its own.
  const rules::MapFile map = options.map ? *options.map : rules::standard_map_file();
  BoardMap board;
  read_map(map.mdf, board);
  std::vector<std::optional<GameResult>> done(games.size());
  std::mutex lock;
  std::condition_variable finished;
  std::atomic<std::size_t> next{0};

  auto worker = [&] {
    for (std::size_t k = next++; k < games.size(); k = next++) {
      const int i = games[k];
      const std::uint64_t seed = options.seed + static_cast<std::uint64_t>(i);
      std::string record;
      if (!options.record_dir.empty()) {
        record =
            (std::filesystem::path(options.record_dir) / ("game-" + std::to_string(seed) + ".txt"))
                .string();
      }
      const std::vector<const ArenaPlayer*> by_power = players_by_power(options, board, i);
      const bool outside = std::any_of(by_power.begin(), by_power.end(), [](const ArenaPlayer* p) {
        return p != nullptr && p->is_outside();
      });
      GameResult result =
          outside ? play_outside_game(by_power, seed, options.last_year, record, options.press, map,
                                      outside_options(options))
                  : play_game(by_power, seed, options.last_year, record, options.press, map);
      {
        std::lock_guard guard(lock);
        done[k] = std::move(result);
      }
      finished.notify_one();
    }
  };
  const int threads = std::max(1, std::min<int>(options.jobs, static_cast<int>(games.size())));
  std::vector<std::thread> pool;
  for (int t = 0; t < threads; ++t)
    pool.emplace_back(worker);

  std::vector<GameResult> results;
  results.reserve(games.size());
  std::unique_lock guard(lock);
  while (results.size() < games.size()) {
    finished.wait(guard, [&] { return done[results.size()].has_value(); });
    GameResult result = std::move(*done[results.size()]);
    done[results.size()].reset();
    guard.unlock();
    if (on_result) on_result(result);
    results.push_back(std::move(result));
    guard.lock();
  }
  guard.unlock();
  for (std::thread& thread : pool)
    thread.join();
  // The temporary folder the outside programs worked in, emptied game by game.
  const OutsideGameOptions outside = outside_options(options);
  std::error_code ec;
  if (!outside.keep_folders) std::filesystem::remove(outside.folder, ec);
  return results;
}

}  // namespace

}  // namespace quorvel::arena
