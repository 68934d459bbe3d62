// quorvel-view: the board page of a saved game, ours or one the field's engine wrote.
#include <iostream>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "page/board_page.h"
#include "page/page_data.h"
#include "savedgame/replay.h"
#include "savedgame/saved_game_json.h"

namespace {

const char* const kUsage =
    "usage: quorvel-view FILE.json [-o FILE.html] [--game N] [--maps DIR] [--check]\n"
    "  makes the board page of a saved game (FILE.html beside FILE.json by default)\n"
    "  --game N   the Nth game of a file of many, one per line (from 1)\n"
    "  --maps DIR where maps not shipped are found, as NAME.map (also FILE's folder)\n"
    "  --check    plays the game again through the rules and says where they differ\n";

}  // namespace

int main(int argc, char** argv) {
  using namespace quorvel;
  std::vector<std::string> args(argv + 1, argv + argc);
  std::string input, output;
  std::vector<std::string> map_folders;
  int number = 1;
  bool check = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    const bool has_value = i + 1 < args.size();
    if (arg == "--help" || arg == "-h") {
      std::cout << kUsage;
      return 0;
    } else if (arg == "-o" && has_value) {
      output = args[++i];
    } else if (arg == "--game" && has_value) {
      try {
        number = std::stoi(args[++i]);
      } catch (...) {
        number = 0;
      }
      if (number < 1) {
        std::cerr << "quorvel-view: --game takes a number from 1\n" << kUsage;
        return 2;
      }
    } else if (arg == "--maps" && has_value) {
      map_folders.push_back(args[++i]);
    } else if (arg == "--check") {
      check = true;
    } else if (input.empty() && !arg.empty() && arg[0] != '-') {
      input = arg;
    } else {
      std::cerr << "quorvel-view: what is '" << arg << "'?\n" << kUsage;
      return 2;
    }
  }
  if (input.empty()) {
    std::cerr << kUsage;
    return 2;
  }
  const std::string folder =
      input.find('/') == std::string::npos ? "." : input.substr(0, input.rfind('/'));
  map_folders.push_back(folder);
  // The phases are taken as they are read, so that a game of any length needs no more
  // memory than its page.
  const bool make_page = !check || !output.empty();
  std::unique_ptr<rules::RulesMap> map;
  std::unique_ptr<savedgame::MapNames> names;
  std::unique_ptr<savedgame::Replay> replay;
  std::vector<std::string> views;
  std::string difference;
  std::size_t phases = 0;
  const savedgame::SavedGameReading reading = savedgame::read_saved_game(
      input, number, map_folders,
      [&](savedgame::SavedPhase&& phase, const rules::MapFile& map_file) {
        ++phases;
        if (check && difference.empty()) {
          if (!replay)
            replay = std::make_unique<savedgame::Replay>(map_file, savedgame::SavedGame{});
          difference = replay->next(phase);
        }
        if (!make_page) return;
        if (!names) {
          map = std::make_unique<rules::RulesMap>();
          map->load(map_file.mdf);
          names = std::make_unique<savedgame::MapNames>(*map);
        }
        views.push_back(page::phase_data_text(*names, phase));
      });
  if (!reading.game) {
    std::cerr << "quorvel-view: " << reading.error << "\n";
    return 2;
  }
  if (check) {
    if (!difference.empty()) {
      std::cerr << "quorvel-view: " << input << ": " << difference << "\n";
      return 1;
    }
    std::cout << input << ": " << phases << " phases, as the rules play them\n";
    if (output.empty()) return 0;
  }
  if (output.empty()) {
    const std::size_t dot = input.rfind('.');
    const bool extension = dot != std::string::npos && dot > input.rfind('/') + 1;
    output = (extension ? input.substr(0, dot) : input) + ".html";
  }
  std::string error;
  if (!names ||
      !page::write_board_page(output, *names, *reading.game, *reading.map,
                              std::vector<std::string_view>(views.begin(), views.end()), &error)) {
    std::cerr << "quorvel-view: " << error << "\n";
    return 1;
  }
  std::cout << output << "\n";
  return 0;
}
