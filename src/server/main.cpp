// The local game server: serves one game of Diplomacy over DAIDE, or adjudicates one
// phase from standard input.
#include <chrono>
#include <csignal>
#include <cstring>
#include <filesystem>
#include <iostream>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "base/whole_file.h"
#include "page/phase_texts.h"
#include "platform/os.h"
#include "rules/adjudicate_command.h"
#include "rules/map_file.h"
#include "rules/standard_map.h"
#include "server/centres_chart.h"
#include "server/game_record.h"
#include "server/game_report.h"
#include "server/game_session.h"
#include "server/server_options.h"
#include "server/tcp_server.h"
#include "watch/game_watch.h"
#include "watch/watch_server.h"

namespace {

void on_stop_signal(int) {
  quorvel::server::TcpServer::request_stop();
}

// A game's id: the server's seed where one is given, else the moment it starts.
std::string game_id(const quorvel::server::ServerOptions& options) {
  if (options.seed) return "quorvel-seed-" + std::to_string(*options.seed);
  const auto now = std::chrono::duration_cast<std::chrono::milliseconds>(
      std::chrono::system_clock::now().time_since_epoch());
  return "quorvel-" + std::to_string(now.count());
}

}  // namespace

int main(int argc, char** argv) {
  using namespace quorvel;
  if (argc >= 2 && std::strcmp(argv[1], "adjudicate") == 0) {
    return rules::run_adjudicate(std::cin, std::cout, std::cerr);
  }
  const server::ParsedOptions parsed_options =
      server::parse_server_options(std::vector<std::string>(argv + 1, argv + argc));
  if (parsed_options.options.help) {
    std::cout << server::server_usage();
    return 0;
  }
  if (!parsed_options.errors.empty()) {
    for (const std::string& error : parsed_options.errors)
      std::cerr << "quorvel-server: " << error << "\n";
    std::cerr << server::server_usage();
    return 2;
  }
  const server::ServerOptions& options = parsed_options.options;
  // A faulty map file stops the server before it listens or writes anything.
  rules::MapFile map = rules::standard_map_file();
  if (!options.map_file.empty()) {
    rules::MapFileReading reading = rules::read_map_file(options.map_file);
    if (!reading.map) {
      std::cerr << "quorvel-server: " << reading.error << "\n";
      return 2;
    }
    map = std::move(*reading.map);
  }

  server::TcpServer tcp(options);
  std::string error;
  if (!tcp.listen(error)) {
    std::cerr << "quorvel-server: cannot listen on port " << options.port << ": " << error << "\n";
    return 1;
  }
  server::GameRecord record(options.record);
  if (!record.is_open()) {
    std::cerr << "quorvel-server: cannot write the game record " << options.record << "\n";
    return 1;
  }
  server::GameSession session(options, tcp, record, std::cout);
  if (session.load(map.mdf, map.now, map.sco, map.name) != -1) {
    std::cerr << "quorvel-server: the map does not load\n";
    return 1;
  }
  // Watchers see the game through a server of their own, which the game never waits for.
  std::shared_ptr<watch::GameWatch> watched;
  std::unique_ptr<watch::WatchServer> watch_server;
  if (options.watch_port >= 0) {
    watched = std::make_shared<watch::GameWatch>(map);
    watch_server = std::make_unique<watch::WatchServer>(watched);
    if (!watch_server->start(options.watch_address, options.watch_port, error)) {
      std::cerr << "quorvel-server: " << error << "\n";
      return 1;
    }
  }
  if (!options.saved_game.empty() || watched) {
    // The board page goes beside the saved game. A file that cannot be written is said
    // once; the game goes on.
    const std::string page_path =
        std::filesystem::path(options.saved_game).replace_extension(".html").string();
    // Each phase's texts are made once; only the phase going on is made again.
    auto texts = std::make_shared<page::PhaseTexts>(map, false);
    session.keep_saved_game(game_id(options), [&, page_path, texts, said = false](
                                                  const savedgame::SavedGame& game) mutable {
      if (watched) watched->publish(game, session.finished());
      if (options.saved_game.empty()) return;
      texts->update(game, session.finished());
      std::string failure;
      if ((!write_whole_file(options.saved_game, texts->saved_game_json(game) + "\n", &failure) ||
           !write_whole_file(page_path, texts->board_page(game), &failure)) &&
          !said) {
        std::cerr << "quorvel-server: " << failure << "\n";
        said = true;
      }
    });
  }
  std::signal(SIGINT, on_stop_signal);
  std::signal(SIGTERM, on_stop_signal);
  platform::os::ignore_broken_pipes();
  std::cout << "quorvel-server: listening on port " << tcp.port() << std::endl;
  if (watched) {
    const std::string host = options.watch_address.find(':') != std::string::npos
                                 ? "[" + options.watch_address + "]"
                                 : options.watch_address;
    std::cout << "quorvel-server: watch the game at http://" << host << ":" << watch_server->port()
              << "/" << std::endl;
  }
  record.write("listening on port " + std::to_string(tcp.port()));
  session.maybe_start(server::Clock::now());
  tcp.run(session);
  // A page that follows the game is given its end before the server goes.
  if (watched && watched->watched_within(std::chrono::seconds(10))) {
    for (int i = 0; i < 100 && !watched->end_seen(); ++i)
      std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
  if (watch_server) watch_server->stop();
  if (!options.chart.empty() && session.finished() && !session.outcome().empty()) {
    std::vector<std::string> names;
    for (int power = 0; power < session.game().map().power_count(); ++power)
      names.push_back(session.on_map(power) ? server::power_name(power) : "");
    if (!charts::write_svg(
            server::centres_chart(session.centres_by_year(), names, session.outcome()),
            options.chart)) {
      std::cerr << "quorvel-server: cannot write the chart " << options.chart << "\n";
    }
  }
  return 0;
}
