#include "rules/map_file.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>

#include "rules/rules_game.h"
#include "rules/standard_map.h"
#include "support/boards.h"
#include "support/messages.h"
#include "support/temp_dir.h"

namespace quorvel::rules {
namespace {

using testing::parse;

std::string map_path(const std::string& name) {
  return (std::filesystem::path(QUORVEL_DATA_DIR) / "maps" / name).string();
}

struct Shipped {
  const char* file;
  int powers;
  int provinces;
  int centres;
  int units;
};

TEST(MapFile, EveryShippedMapLoadsAsAGame) {
  const Shipped maps[] = {{"standard.map", 7, 75, 34, 22},
                          {"standard_france_austria.map", 2, 75, 34, 6},
                          {"pure.map", 7, 7, 7, 7},
                          {"west.map", 3, 28, 11, 7}};
  for (const Shipped& shipped : maps) {
    const MapFileReading reading = read_map_file(map_path(shipped.file));
    ASSERT_TRUE(reading.map) << reading.error;
    RulesGame game;
    ASSERT_EQ(game.load_map(reading.map->mdf), -1) << shipped.file;
    ASSERT_EQ(game.load_position(reading.map->now, reading.map->sco), -1) << shipped.file;
    const BoardMap& map = game.map().board();
    int provinces = 0;
    for (int p = 0; p < map.province_count; ++p)
      provinces += map.on_map(p);
    EXPECT_EQ(map.named_power_count(), shipped.powers) << shipped.file;
    EXPECT_EQ(provinces, shipped.provinces) << shipped.file;
    EXPECT_EQ(game.map().supply_centre_count(), shipped.centres) << shipped.file;
    EXPECT_EQ(static_cast<int>(game.position().units.size()), shipped.units) << shipped.file;
  }
}

TEST(MapFile, TheStandardFileIsTheBuiltInGame) {
  const MapFileReading reading = read_map_file(map_path("standard.map"));
  ASSERT_TRUE(reading.map) << reading.error;
  EXPECT_EQ(reading.map->mdf, testing::standard_map_message());
  EXPECT_EQ(reading.map->sco, parse(std::string(standard_start_sco())));
  EXPECT_EQ(reading.map->now, parse(std::string(standard_start_now())));
}

// Where each unit type steps: armies over land, fleets from any of their coasts, none of
// either where it cannot stand.
TEST(MapFile, EachUnitTypeStepsWhereItCanMove) {
  RulesGame game;
  ASSERT_EQ(game.load_map(testing::standard_map_message()), -1);
  const RulesMap& map = game.map();
  const auto names = [&](const std::vector<int>& provinces) {
    std::vector<std::string> out;
    for (int p : provinces)
      out.push_back(map.name(p));
    std::sort(out.begin(), out.end());
    return out;
  };
  const int bulgaria = testing::province("BUL");
  EXPECT_EQ(names(map.steps(bulgaria, true)),
            (std::vector<std::string>{"CON", "GRE", "RUM", "SER"}));
  EXPECT_EQ(names(map.steps(bulgaria, false)),
            (std::vector<std::string>{"AEG", "BLA", "CON", "GRE", "RUM"}));
  EXPECT_TRUE(map.steps(testing::province("NTH"), true).empty());
  EXPECT_TRUE(map.steps(testing::province("SER"), false).empty());
}

// Each fault is named with the line and column where it stands.
TEST(MapFile, FaultsAreNamedWithTheirPlace) {
  const std::string mdf = "MDF ( FRA ITA )\n( ( ( FRA PAR ) ( ITA ROM ) ) ( BUR ) )\n";
  const std::string adj = "( ( PAR ( AMY BUR ) ) ( ROM ( AMY BUR ) ) ( BUR ( AMY PAR ROM ) ) )\n";
  const std::string start = "SCO ( FRA PAR ) ( ITA ROM )\nNOW ( SPR 1901 ) ( FRA AMY PAR )\n";
  ASSERT_TRUE(read_map_text(mdf + adj + start, "m").map)
      << read_map_text(mdf + adj + start, "m").error;

  struct Case {
    std::string text;
    std::string error;
  };
  const Case cases[] = {
      {"# comment\nMDF ( FRA ITA ) ( ( ( FRA PAR ) ) ( XYZ ) )", "m:2:37: 'XYZ' is no token"},
      {mdf + adj + "SCO ( FRA PAR", "m:4:14: the file ends inside brackets"},
      {mdf + adj + "SCO ( FRA PAR )\n", "m:5:1: the file ends before its NOW"},
      {mdf + adj + start + "NOW ( SPR 1901 )", "m:6:1: nothing may follow the NOW"},
      {"SCO ( FRA PAR )", "m:1:1: expected MDF here"},
      {mdf + "( ( PAR ( AMY GAS ) ) )\n" + start,
       "m:3:15: a destination that is not a province of the map"},
      {"MDF ( FRA ) ( ( ( ITA ROM ) ) ( ) ) ( )\n" + start,
       "m:1:19: a home centre of a power not in the power list"},
      {mdf + "( ( PAR ( AMY BUR ) ) ( BUR ( AMY ROM ) ) ( ROM ( AMY BUR ) ) )\n" + start,
       "m:3:15: a move with no move back"},
      {mdf + adj + "SCO ( FRA PAR ) ( ITA PAR )\nNOW ( SPR 1901 )", "m:4:23: a centre owned twice"},
      {mdf + adj + "SCO ( GER PAR )\nNOW ( SPR 1901 )",
       "m:4:7: an owner that is not a power of the map"},
      {mdf + adj + "SCO ( FRA BUR )\nNOW ( SPR 1901 )", "m:4:11: not a supply centre of the map"},
      {mdf + adj + "SCO\nNOW ( SPR 1901 ) ( FRA AMY GAS )",
       "m:5:28: a unit on a province not on the map"},
      {mdf + adj + "SCO\nNOW ( SPR 1901 ) ( GER AMY PAR )",
       "m:5:20: a unit of a power not in the power list"},
      {mdf + adj + "SCO\nNOW ( SPR 1901 ) ( FRA AMY PAR ) ( ITA AMY PAR )",
       "m:5:34: two units in one province"},
      {mdf + adj + "SCO\nNOW ( SPR 1901 ) ( FRA AMY PAR MRT ( BUR ) )",
       "m:5:18: a start position holds units only, none dislodged"},
      {mdf + adj + "SCO\nNOW ( 1901 )", "m:5:5: the turn must be ( season year )"},
      {mdf + adj + "SCO\nNOW ( SPR 99999 )", "m:5:11: a number above 8191"},
      {mdf + adj + "SCO\nNOW ( SPR 1901 ) ; ( FRA AMY PAR )", "m:5:18: unexpected character ';'"},
      {mdf + adj + "SCO ) ( FRA PAR )\nNOW ( SPR 1901 )",
       "m:4:5: a closing bracket without its opening one"},
      {"MDF ( ) ( ( ( UNO PAR ROM ) ) ( BUR ) )\n" + adj + "SCO\nNOW ( SPR 1901 )",
       "m:1:5: a map without powers"},
      {"MDF ( FRA ITA ) ( ( ( FRA ) ( ITA ) ) ( PAR ROM BUR ) )\n" + adj +
           "SCO\nNOW ( SPR 1901 ) ( FRA AMY PAR )",
       "m:1:7: a map without supply centres"},
  };
  for (const Case& c : cases) {
    const MapFileReading reading = read_map_text(c.text, "m");
    EXPECT_FALSE(reading.map) << c.text;
    EXPECT_EQ(reading.error, c.error) << c.text;
  }
  EXPECT_EQ(read_map_file("/no/such/file.map").error, "/no/such/file.map: cannot be read");
}

}  // namespace
}  // namespace quorvel::rules

namespace quorvel::rules {
namespace {

// A map file may say where a page draws its provinces; a place that does not read is a
// fault of the file like any other.
TEST(MapFilePlaces, PlacesReadAndTheirFaultsArePlaced) {
  const std::string map =
      testing::read_file(std::filesystem::path(QUORVEL_DATA_DIR) / "maps" / "pure.map");
  const MapFileReading placed =
      read_map_text(map + "#place VIE 10 20\n  #place lon 30.5 40\n# place PAR not a place\n", "p");
  ASSERT_TRUE(placed.map) << placed.error;
  ASSERT_EQ(placed.map->places.size(), 2u);
  EXPECT_EQ(placed.map->places[1].province, "LON");
  EXPECT_DOUBLE_EQ(placed.map->places[1].x, 30.5);
  EXPECT_TRUE(read_map_text(map, "p").map->places.empty());

  const int last = static_cast<int>(std::count(map.begin(), map.end(), '\n')) + 1;
  const std::pair<std::string, std::string> faults[] = {
      {"#place XYZ 1 2", ":" + std::to_string(last) + ":8: XYZ is no province of the map"},
      {"#place NAP 1 2", "NAP is no province of the map"},
      {"#place VIE 1 2\n#place VIE 3 4",
       ":" + std::to_string(last + 1) + ":8: VIE has a place already"},
      {"#place VIE 1", "two numbers"},
      {"#place VIE 1 2 3", "two numbers"},
      {"#place VIE -1 2", "two numbers"},
      {"#place VIE x y", "two numbers"},
  };
  for (const auto& [line, expected] : faults) {
    const MapFileReading reading = read_map_text(map + line + "\n", "p");
    EXPECT_FALSE(reading.map) << line;
    EXPECT_NE(reading.error.find(expected), std::string::npos) << line << ": " << reading.error;
  }
}

}  // namespace
}  // namespace quorvel::rules
