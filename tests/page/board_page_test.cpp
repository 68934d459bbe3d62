#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "page/board_page.h"
#include "page/page_data.h"
#include "savedgame/known_maps.h"
#include "savedgame/saved_game_json.h"
#include "support/child_process.h"
#include "support/temp_dir.h"

namespace quorvel::page {
namespace {

using Json = nlohmann::json;

const std::string kSamples = QUORVEL_SAVEDGAME_DATA;

savedgame::SavedGameReading sample(const std::string& name) {
  return savedgame::read_saved_game(kSamples + "/" + name);
}

int count(const std::string& text, const std::string& part) {
  int n = 0;
  for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
    ++n;
  return n;
}

TEST(PageData, EveryPhaseHasItsUnitsOrdersAndPress) {
  const savedgame::SavedGameReading reading = sample("standard-seven-rule-players.json");
  ASSERT_TRUE(reading.game) << reading.error;
  const Json data = page_data(*reading.game, *reading.map);
  ASSERT_EQ(data["phases"].size(), reading.game->phases.size());
  EXPECT_EQ(data["powers"].size(), 7u);
  EXPECT_EQ(data["centres"].size(), 34u);
  EXPECT_TRUE(data["board"]["off"].empty());
  int failed = 0;
  for (std::size_t i = 0; i < reading.game->phases.size(); ++i) {
    const savedgame::SavedPhase& phase = reading.game->phases[i];
    const Json& drawn = data["phases"][i];
    std::size_t units = 0, orders = 0;
    for (const auto& [power, state] : phase.state.powers)
      units += state.units.size();
    for (const auto& [power, given] : phase.orders)
      orders += given.size();
    EXPECT_EQ(drawn["u"].size(), units) << phase.name;
    // Units the rules disbanded without an order are drawn as removed too.
    EXPECT_GE(drawn["o"].size(), orders) << phase.name;
    EXPECT_EQ(drawn["m"].size(), phase.messages.size()) << phase.name;
    for (const Json& order : drawn["o"])
      failed += order[5] != "" && order[5] != "dislodged";
  }
  EXPECT_GT(failed, 300);
  // Autumn 1904: Russia's fleet leaves St Petersburg's north coast for Norway.
  const Json& autumn = data["phases"][4 + 8];
  ASSERT_EQ(autumn["n"], "F1904M");
  bool found = false;
  for (const Json& order : autumn["o"])
    found = found || (order[1] == "M" && order[2] == "STP/NC" && order[3] == "NWY");
  EXPECT_TRUE(found);
}

TEST(PageData, MapsOffTheStandardBoardAreLaidOutFromTheirBorders) {
  const std::optional<rules::MapFile> pure = savedgame::known_map("pure");
  ASSERT_TRUE(pure);
  savedgame::SavedGame game;
  game.map = "pure";
  const Json laid = page_data(game, *pure)["board"];
  EXPECT_EQ(laid["provinces"].size(), 7u);
  EXPECT_EQ(laid["links"].size(), 21u);  // every pair of the seven borders each other
  for (const auto& [name, province] : laid["provinces"].items()) {
    EXPECT_FALSE(province["path"].get<std::string>().empty()) << name;
    EXPECT_GE(province["x"].get<double>(), 0);
    EXPECT_LE(province["x"].get<double>(), laid["width"].get<double>());
  }
  // A variant on the standard provinces keeps the standard board, its others marked off.
  const std::optional<rules::MapFile> west = savedgame::known_map("west");
  ASSERT_TRUE(west);
  const Json board = page_data(game, *west)["board"];
  EXPECT_EQ(board["provinces"].size(), 75u);
  EXPECT_EQ(board["off"].size(), 75u - 28u);
}

TEST(BoardPage, TextOfTheGameIsNeverMarkup) {
  savedgame::SavedGameReading reading = sample("france-austria-random.json");
  ASSERT_TRUE(reading.game) << reading.error;
  savedgame::SavedGame game = *reading.game;
  const std::string hostile = "</script><script>alert('x')</script><!-- & <b>";
  game.id = hostile;
  game.phases[0].state.note = hostile;
  game.phases[0].messages[0].message = hostile;
  const std::string page = board_page(game, *reading.map);
  const std::string plain = board_page(*reading.game, *reading.map);
  EXPECT_EQ(count(page, "</script"), count(plain, "</script"));
  EXPECT_EQ(count(page, "<script"), count(plain, "<script"));
  EXPECT_EQ(page.find("<!--"), std::string::npos);
  EXPECT_EQ(page.find("<b>"), std::string::npos);
  EXPECT_NE(page.find("\\u003c/script\\u003e\\u003cscript\\u003ealert"), std::string::npos);
  // The page needs nothing from the network.
  EXPECT_EQ(page.find("http://"), page.find("http://www.w3.org/2000/svg"));
  EXPECT_EQ(page.find("https://"), std::string::npos);
  EXPECT_EQ(page.find(" src="), std::string::npos);
}

class ViewCommand : public ::testing::Test {
 protected:
  int view(const std::vector<std::string>& args) {
    testing::ChildProcess child(QUORVEL_VIEW_BINARY, args, dir.path());
    return child.wait_exit(60000).value_or(-1);
  }
  std::string errors() const { return testing::read_file(dir / "stderr.txt"); }
  testing::TempDir dir;
};

TEST_F(ViewCommand, MakesThePageOfAnyGameOfAFile) {
  std::filesystem::copy_file(kSamples + "/france-austria-random.json", dir / "game.json");
  EXPECT_EQ(view({"game.json"}), 0) << errors();
  EXPECT_TRUE(std::filesystem::exists(dir / "game.html"));
  EXPECT_EQ(view({"game.json", "-o", "other.html", "--check"}), 0) << errors();
  EXPECT_TRUE(std::filesystem::exists(dir / "other.html"));
  {
    std::ofstream lines(dir / "many.jsonl");
    lines << testing::read_file(dir / "game.json") << "\n" << testing::read_file(dir / "game.json");
  }
  EXPECT_EQ(view({"many.jsonl", "--game", "2", "-o", "second.html"}), 0) << errors();
  EXPECT_EQ(view({"many.jsonl", "--game", "3"}), 2);
  EXPECT_NE(errors().find("holds 2 games, not 3"), std::string::npos) << errors();
}

TEST_F(ViewCommand, ABadFileIsNamedWithItsPlaceAndNoPageIsWritten) {
  std::ofstream(dir / "bad.json") << "{\"id\": \"x\", \"map\": \"standard\",\n \"phases\": [\n{]";
  EXPECT_EQ(view({"bad.json"}), 2);
  EXPECT_NE(errors().find("bad.json:3: not JSON"), std::string::npos) << errors();
  EXPECT_FALSE(std::filesystem::exists(dir / "bad.html"));
  EXPECT_EQ(view({"none.json"}), 2);
  EXPECT_NE(errors().find("none.json: cannot be opened"), std::string::npos) << errors();
  EXPECT_EQ(view({}), 2);
  EXPECT_EQ(view({"a.json", "--game", "x"}), 2);
}

}  // namespace
}  // namespace quorvel::page

namespace quorvel::page {
namespace {

TEST(PageData, AMapFilesPlacesPutItsProvincesWhereItSays) {
  std::optional<rules::MapFile> pure = savedgame::known_map("pure");
  ASSERT_TRUE(pure);
  pure->places = {{"VIE", 0, 0}, {"LON", 100, 0}, {"PAR", 100, 100}};
  savedgame::SavedGame game;
  game.map = "pure";
  const Json board = page_data(game, *pure)["board"];
  const Json& vie = board["provinces"]["VIE"];
  const Json& lon = board["provinces"]["LON"];
  const Json& par = board["provinces"]["PAR"];
  EXPECT_LT(vie["x"].get<double>(), lon["x"].get<double>());
  EXPECT_EQ(vie["y"], lon["y"]);
  EXPECT_EQ(lon["x"], par["x"]);
  EXPECT_LT(lon["y"].get<double>(), par["y"].get<double>());
  // The provinces it does not place are laid out around those it does.
  EXPECT_EQ(board["provinces"].size(), 7u);
  EXPECT_NE(board_page(game, *pure).find("game-data"), std::string::npos);
}

}  // namespace
}  // namespace quorvel::page
