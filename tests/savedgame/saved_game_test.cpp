#include <gtest/gtest.h>

#include <fstream>
#include <nlohmann/json.hpp>
#include <sstream>

#include "savedgame/known_maps.h"
#include "savedgame/replay.h"
#include "savedgame/saved_game_file.h"
#include "savedgame/saved_game_json.h"
#include "server/game_session.h"
#include "support/house_game.h"
#include "support/temp_dir.h"

namespace quorvel::savedgame {
namespace {

using Json = nlohmann::ordered_json;
using opponents::OpponentKind;

const std::string kSamples = QUORVEL_SAVEDGAME_DATA;

// A whole game of house players on a shipped map, kept as a saved game: the kinds take the
// powers in turn, so honest and lying negotiators meet greedy and random players.
SavedGame house_game(const std::string& map_name, unsigned seed, int press_level,
                     int last_year = 1910) {
  const std::optional<rules::MapFile> map = known_map(map_name);
  EXPECT_TRUE(map) << map_name;
  if (!map) return {};
  server::ServerOptions options;
  options.last_year = last_year;
  options.seed = seed;
  options.variant.level = press_level;
  const OpponentKind kinds[] = {OpponentKind::kHonest, OpponentKind::kGreedy, OpponentKind::kLiar,
                                OpponentKind::kRandom};
  return testing::play_house_game(*map, options, "test-" + std::to_string(seed),
                                  [&](int power) { return kinds[(power + seed) % 4]; });
}

TEST(SavedGame, TheEnginesSamplesRead) {
  const SavedGameReading standard = read_saved_game(kSamples + "/standard-seven-rule-players.json");
  ASSERT_TRUE(standard.game) << standard.error;
  EXPECT_EQ(standard.game->map, "standard");
  EXPECT_EQ(standard.game->phases.size(), 37u);
  EXPECT_EQ(standard.game->phases.back().name, "COMPLETED");
  const PhaseState& first = standard.game->phases.front().state;
  ASSERT_EQ(first.powers.size(), 7u);
  EXPECT_EQ(first.powers[5].first, "RUSSIA");
  EXPECT_EQ(first.powers[5].second.units.back(), "F STP/SC");

  const SavedGameReading two = read_saved_game(kSamples + "/france-austria-random.json");
  ASSERT_TRUE(two.game) << two.error;
  EXPECT_EQ(two.game->map, "standard_france_austria");
  EXPECT_EQ(two.game->phases.front().state.powers.size(), 2u);
  EXPECT_EQ(two.game->phases.front().messages.at(0).message, "PRP ( DMZ ( AUS FRA ) ( BUR ) )");
}

TEST(SavedGame, OurRulesPlayTheEnginesGamesAlike) {
  for (const char* sample : {"standard-seven-rule-players.json", "france-austria-random.json"}) {
    const SavedGameReading reading = read_saved_game(kSamples + "/" + sample);
    ASSERT_TRUE(reading.game) << reading.error;
    EXPECT_EQ(replay_differences(*reading.game, *reading.map), "") << sample;
  }
}

// Every phase of games with press on every shipped map: written, read back to the same
// game, and played again through the rules to the same positions.
TEST(SavedGame, GamesReadBackAndReplayExactly) {
  int messages = 0;
  for (const char* map : {"standard", "standard_france_austria", "pure", "west"}) {
    for (unsigned seed = 1; seed <= 5; ++seed) {
      const SavedGame game = house_game(map, seed, 20);
      const std::string json = saved_game_json(game);
      const SavedGameReading reading = read_saved_game_text(json, map);
      ASSERT_TRUE(reading.game) << reading.error;
      EXPECT_EQ(saved_game_json(*reading.game), json);
      EXPECT_EQ(replay_differences(*reading.game, *reading.map), "") << map << " seed " << seed;
      for (const SavedPhase& phase : game.phases)
        messages += static_cast<int>(phase.messages.size());
    }
  }
  EXPECT_GT(messages, 0);
}

TEST(SavedGame, AGameHoldsWhatTheFormatSays) {
  const SavedGame game = house_game("standard", 3, 20, 1905);
  EXPECT_TRUE(game.rules.empty());
  EXPECT_EQ(house_game("pure", 3, 0, 1902).rules, std::vector<std::string>{"NO_PRESS"});
  ASSERT_GE(game.phases.size(), 3u);
  EXPECT_EQ(game.phases[0].name, "S1901M");
  EXPECT_EQ(game.phases[1].name, "F1901M");
  EXPECT_EQ(game.phases.back().name, "COMPLETED");
  EXPECT_EQ(game.phases.back().state.note.substr(0, 13), "Victory by: A");
  EXPECT_TRUE(game.phases.back().orders.empty());
  std::int64_t last = 0;
  bool retreat = false;
  bool adjustment = false;
  for (const SavedPhase& phase : game.phases) {
    for (const SavedMessage& message : phase.messages) {
      EXPECT_GE(message.time_sent, last);
      last = message.time_sent;
      EXPECT_EQ(message.phase, phase.name);
    }
    if (phase.name.back() == 'R') {
      retreat = true;
      bool starred = false;
      for (const auto& [power, state] : phase.state.powers) {
        for (const std::string& unit : state.units)
          starred = starred || unit[0] == '*';
      }
      EXPECT_TRUE(starred) << phase.name;
    }
    if (phase.name.back() == 'A') {
      adjustment = true;
      for (const auto& [unit, words] : phase.results)
        EXPECT_EQ(words.size(), 1u) << phase.name << " " << unit;
    }
    // Every unit of a movement phase has its result.
    if (phase.name.back() == 'M' && phase.name != "COMPLETED") {
      std::size_t units = 0;
      for (const auto& [power, state] : phase.state.powers)
        units += state.units.size();
      EXPECT_EQ(phase.results.size(), units) << phase.name;
    }
  }
  EXPECT_TRUE(retreat && adjustment);
}

class BadFiles : public ::testing::Test {
 protected:
  BadFiles() : json(Json::parse(saved_game_json(house_game("standard", 2, 20, 1902)))) {}
  std::string error_of(const Json& game) {
    return read_saved_game_text(game.dump(), "game.json").error;
  }
  Json json;
};

TEST_F(BadFiles, EachFaultIsPlacedAndNoGameIsRead) {
  const std::pair<std::function<void(Json&)>, std::string> cases[] = {
      {[](Json& g) { g.erase("phases"); }, "game.json:1: phases is missing"},
      {[](Json& g) { g["phases"] = Json::array(); }, "phases holds no phase"},
      {[](Json& g) { g.erase("map"); }, "map is missing"},
      {[](Json& g) { g["map"] = "atlantis"; }, "map 'atlantis' is no map known here"},
      {[](Json& g) { g["map"] = "../../etc/passwd"; }, "is no map known here"},
      {[](Json& g) { g["phases"][1]["state"]["units"]["ATLANTIS"] = Json::array(); },
       "phase F1901M, state.units.ATLANTIS 'ATLANTIS' is no power of the map"},
      {[](Json& g) { g["phases"][0]["state"]["centers"]["FRANCE"][0] = "XYZ"; },
       "phase S1901M, state.centers.FRANCE[0] 'XYZ' is no place of the map"},
      {[](Json& g) { g["phases"][0]["orders"]["FRANCE"][0] = "A PAR - "; },
       "phase S1901M, orders.FRANCE[0] 'A PAR - ' does not read"},
      {[](Json& g) { g["phases"][0]["orders"]["FRANCE"] = 3; },
       "phase S1901M, orders.FRANCE is not a list"},
      {[](Json& g) { g["phases"][0].erase("state"); }, "phase S1901M, state is missing"},
      {[](Json& g) { g["phases"][0]["name"] = "SPRING"; }, "'SPRING' is no phase name"},
      {[](Json& g) { g["phases"][1]["state"]["units"]["ITALY"][0] = "Q ROM"; },
       "'Q ROM' is no unit on the map"},
      {[](Json& g) {
         g["phases"][0]["messages"] = Json::array({{{"sender", "FRANCE"}}});
       },
       "phase S1901M, messages[0].recipient is missing"},
      {[](Json& g) { g = Json::array(); }, "game.json:1: the game is not a JSON object"},
  };
  for (const auto& [fault, expected] : cases) {
    Json game = json;
    fault(game);
    const SavedGameReading reading = read_saved_game_text(game.dump(), "game.json");
    EXPECT_FALSE(reading.game);
    EXPECT_NE(reading.error.find(expected), std::string::npos) << reading.error;
  }
}

TEST_F(BadFiles, TextThatIsNotJsonOrIsCutShortGivesItsLine) {
  const std::string text = json.dump(1);
  testing::TempDir dir;
  auto write = [&](const std::string& name, const std::string& content) {
    std::ofstream(dir / name, std::ios::binary) << content;
    return (dir / name).string();
  };
  const std::string cut = write("cut.json", text.substr(0, text.size() / 2));
  const SavedGameReading short_one = read_saved_game(cut);
  EXPECT_FALSE(short_one.game);
  const int lines =
      static_cast<int>(std::count(text.begin(), text.begin() + text.size() / 2, '\n'));
  EXPECT_NE(short_one.error.find(cut + ":" + std::to_string(lines + 1) + ": not JSON"),
            std::string::npos)
      << short_one.error;

  std::string broken = text;
  broken.insert(text.find("\"phases\""), "}");
  const SavedGameReading bad = read_saved_game(write("bad.json", broken));
  EXPECT_NE(bad.error.find("not JSON"), std::string::npos) << bad.error;
  EXPECT_NE(read_saved_game(write("empty.json", "\n \n")).error.find("holds no game"),
            std::string::npos);
  EXPECT_NE(read_saved_game((dir / "none.json").string()).error.find("cannot be opened"),
            std::string::npos);
}

TEST(SavedGameLines, AFileOfManyGamesGivesTheOneAsked) {
  testing::TempDir dir;
  const std::string path = (dir / "games.jsonl").string();
  {
    std::ofstream out(path, std::ios::binary);
    for (unsigned seed = 1; seed <= 3; ++seed)
      out << saved_game_json(house_game("pure", seed, 0, 1902)) << "\n\n";
    out << "{not a game\n";
  }
  for (int number = 1; number <= 3; ++number) {
    const SavedGameReading reading = read_saved_game(path, number);
    ASSERT_TRUE(reading.game) << reading.error;
    EXPECT_EQ(reading.game->id, "test-" + std::to_string(number));
  }
  // The fourth game is on line 7 and is no JSON; there is no fifth.
  EXPECT_NE(read_saved_game(path, 4).error.find(path + ":7: not JSON"), std::string::npos)
      << read_saved_game(path, 4).error;
  EXPECT_NE(read_saved_game(path, 5).error.find("holds 4 games, not 5"), std::string::npos)
      << read_saved_game(path, 5).error;
  EXPECT_NE(read_saved_game(path, 0).error.find("games count from 1"), std::string::npos);
}

// A reader given the phases one at a time gets those it would get whole, in order, each
// checked: also from a game of a JSON Lines file, and where the map's name comes last.
TEST(SavedGameLines, PhasesHandedOnAsReadAreTheGamesPhases) {
  testing::TempDir dir;
  const SavedGame game = house_game("pure", 2, 0, 1903);
  const std::string json = saved_game_json(game);
  const std::string lines = (dir / "games.jsonl").string();
  {
    std::ofstream out(lines, std::ios::binary);
    out << "\n" << saved_game_json(house_game("pure", 1, 0, 1902)) << "\n" << json << "\n";
  }
  Json moved = Json::parse(json);
  moved.erase("map");
  moved["map"] = "pure";
  const std::string map_last = (dir / "map-last.json").string();
  std::ofstream(map_last, std::ios::binary) << moved.dump(2);
  for (const auto& [path, number] : {std::pair{lines, 2}, std::pair{map_last, 1}}) {
    std::vector<std::string> names;
    const SavedGameReading reading =
        read_saved_game(path, number, {}, [&](SavedPhase&& phase, const rules::MapFile& map) {
          EXPECT_EQ(map.name, "pure");
          names.push_back(phase.name);
        });
    ASSERT_TRUE(reading.game) << reading.error;
    EXPECT_TRUE(reading.game->phases.empty());
    EXPECT_EQ(reading.game->id, game.id);
    ASSERT_EQ(names.size(), game.phases.size()) << path;
    for (std::size_t i = 0; i < names.size(); ++i)
      EXPECT_EQ(names[i], game.phases[i].name);
  }
  // A fault after some phases went on still gives no game.
  Json bad = Json::parse(json);
  bad["phases"][2]["orders"]["FRANCE"] = {"A PAR - NOWHERE"};
  const std::string bad_path = (dir / "bad.json").string();
  std::ofstream(bad_path, std::ios::binary) << bad.dump();
  int taken = 0;
  const SavedGameReading failed =
      read_saved_game(bad_path, 1, {}, [&](SavedPhase&&, const rules::MapFile&) { ++taken; });
  EXPECT_FALSE(failed.game);
  EXPECT_EQ(taken, 2);
  EXPECT_NE(failed.error.find("orders.FRANCE[0]"), std::string::npos) << failed.error;
}

TEST(Replay, PhaseByPhaseItFindsTheFirstDifferenceAndKeepsIt) {
  const SavedGame game = house_game("standard", 6, 20, 1903);
  const std::optional<rules::MapFile> map = known_map("standard");
  ASSERT_TRUE(map);
  Replay replay(*map, game);
  for (const SavedPhase& phase : game.phases)
    EXPECT_EQ(replay.next(phase), "") << phase.name;
  // A unit the orders never put there.
  SavedGame changed = game;
  std::vector<std::string>& units = changed.phases[3].state.powers[0].second.units;
  ASSERT_FALSE(units.empty());
  units[0] = "A BOH";
  const std::string difference = replay_differences(changed, *map);
  EXPECT_NE(difference.find(changed.phases[3].name + ": units of AUSTRIA"), std::string::npos)
      << difference;
  Replay stepwise(*map, changed);
  std::string last;
  for (const SavedPhase& phase : changed.phases)
    last = stepwise.next(phase);
  EXPECT_EQ(last, difference);
}

TEST(SavedGameFile, AFileIsReplacedWholeOrNotAtAll) {
  testing::TempDir dir;
  const std::string path = (dir / "game.json").string();
  const SavedGame game = house_game("pure", 4, 0, 1902);
  ASSERT_TRUE(write_saved_game(path, game));
  EXPECT_TRUE(read_saved_game(path).game);
  EXPECT_FALSE(std::filesystem::exists(path + ".partial"));
  std::string error;
  EXPECT_FALSE(write_saved_game((dir / "no" / "such" / "game.json").string(), game, &error));
  EXPECT_NE(error.find("cannot be written"), std::string::npos);
  // A folder where the file should be: the write fails and nothing is left half done.
  std::filesystem::create_directories(dir / "taken.json" / "inside");
  EXPECT_FALSE(write_saved_game((dir / "taken.json").string(), game, &error));
  EXPECT_FALSE(std::filesystem::exists(dir / "taken.json.partial"));
}

}  // namespace
}  // namespace quorvel::savedgame
