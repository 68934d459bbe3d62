#include "arena/session_result.h"

#include <algorithm>
#include <filesystem>

#include "page/board_page.h"
#include "protocol/tokens.h"
#include "savedgame/saved_game_file.h"
#include "server/game_report.h"

namespace quorvel::arena {

GameResult session_result(const server::GameSession& session,
                          const std::vector<const ArenaPlayer*>& by_power, std::uint64_t seed,
                          int press_level, const TokenMessage& start, bool stalled) {
  const rules::RulesGame& game = session.game();
  const rules::Position& position = game.position();
  GameResult result;
  result.seed = seed;
  result.press_level = press_level;
  result.stalled = stalled;
  result.phases = session.phases_begun();
  result.centres_by_year = session.centres_by_year();
  // Aligned with the seats below, which leave out the powers the map leaves out.
  for (auto& [year, counts] : result.centres_by_year)
    counts.erase(std::remove(counts.begin(), counts.end(), server::kAbsent), counts.end());
  const int last = position.season == tok::WIN ? position.year : position.year - 1;
  result.years = last - (start.sub_message(1).token_at(1).number() - 1);
  for (int power : session.drawn())
    result.drawn.push_back(server::power_name(power));
  if (game.winner() >= 0) result.winner = server::power_name(game.winner());
  const rules::Referee* referee = session.referee();
  for (int power = 0; power < static_cast<int>(by_power.size()); ++power) {
    if (by_power[static_cast<std::size_t>(power)] == nullptr) continue;
    PowerResult seat;
    seat.power = server::power_name(power);
    seat.player = by_power[static_cast<std::size_t>(power)]->label;
    seat.centres = position.centre_count(game.map(), power);
    seat.refused = session.refused(power);
    if (referee != nullptr) {
      seat.press = session.press_sent(power);
      seat.agreements = referee->made(power);
      seat.broken = referee->broken(power);
      seat.press_refused = session.press_refused(power);
    }
    result.powers.push_back(std::move(seat));
  }
  return result;
}

void save_beside_record(const server::GameSession& session, const std::string& record_path,
                        const rules::MapFile& map, server::GameRecord& record) {
  if (const savedgame::SavedGame* saved = session.saved_game()) {
    const std::filesystem::path path(record_path);
    std::string error;
    if (!savedgame::write_saved_game(
            std::filesystem::path(path).replace_extension(".json").string(), *saved, &error) ||
        !page::write_board_page(std::filesystem::path(path).replace_extension(".html").string(),
                                *saved, map, &error))
      record.write(error);
  }
}

}  // namespace quorvel::arena
