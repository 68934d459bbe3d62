#include "arena/arena_run.h"

#include <atomic>
#include <condition_variable>
#include <filesystem>
#include <mutex>
#include <optional>
#include <thread>

#include "arena/arena_game.h"
#include "game/board_map.h"
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
  const std::vector<const ArenaPlayer*> by_seat =
      seating(options.players, game, static_cast<int>(powers.size()));
  std::vector<const ArenaPlayer*> by_power(static_cast<std::size_t>(map.power_count));
  for (std::size_t seat = 0; seat < powers.size(); ++seat)
    by_power[static_cast<std::size_t>(powers[seat])] = by_seat[seat];
  return by_power;
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
      GameResult result = play_game(players_by_power(options, board, i), seed, options.last_year,
                                    record, options.press, map);
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
  return results;
}

}  // namespace

}  // namespace quorvel::arena
