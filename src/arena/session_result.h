#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "arena/arena_player.h"
#include "arena/game_result.h"
#include "protocol/token_message.h"
#include "rules/map_file.h"
#include "server/game_record.h"
#include "server/game_session.h"

namespace quorvel::arena {

// The result of a game a session ran, the player of each power given in power order; the
// years count from the start position's (its NOW).
GameResult session_result(const server::GameSession& session,
                          const std::vector<const ArenaPlayer*>& by_power, std::uint64_t seed,
                          int press_level, const TokenMessage& start, bool stalled);

// The session's saved game and its board page beside the record (its name, ending in
// .json and .html), when the session kept one; what cannot be written goes into the record.
void save_beside_record(const server::GameSession& session, const std::string& record_path,
                        const rules::MapFile& map, server::GameRecord& record);

}  // namespace quorvel::arena
