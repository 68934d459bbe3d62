// The local game server: serves one game of Diplomacy over DAIDE, or adjudicates one
// phase from standard input.
#include <csignal>
#include <cstring>
#include <iostream>
#include <string>
#include <vector>

#include "platform/os.h"
#include "rules/adjudicate_command.h"
#include "rules/standard_map.h"
#include "server/centres_chart.h"
#include "server/game_record.h"
#include "server/game_report.h"
#include "server/game_session.h"
#include "server/server_options.h"
#include "server/tcp_server.h"

namespace {

void on_stop_signal(int) {
  quorvel::server::TcpServer::request_stop();
}

quorvel::TokenMessage parsed(std::string_view text) {
  quorvel::TokenMessage message;
  message.parse_text(text);
  return message;
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
  if (session.load(parsed(rules::standard_map_text()), parsed(rules::standard_start_now()),
                   parsed(rules::standard_start_sco())) != -1) {
    std::cerr << "quorvel-server: the standard map does not load\n";
    return 1;
  }
  std::signal(SIGINT, on_stop_signal);
  std::signal(SIGTERM, on_stop_signal);
  platform::os::ignore_broken_pipes();
  std::cout << "quorvel-server: listening on port " << tcp.port() << std::endl;
  record.write("listening on port " + std::to_string(tcp.port()));
  session.maybe_start(server::Clock::now());
  tcp.run(session);
  if (!options.chart.empty() && session.finished() && !session.outcome().empty()) {
    std::vector<std::string> names;
    for (int power = 0; power < session.game().map().power_count(); ++power)
      names.push_back(server::power_name(power));
    if (!charts::write_svg(
            server::centres_chart(session.centres_by_year(), names, session.outcome()),
            options.chart)) {
      std::cerr << "quorvel-server: cannot write the chart " << options.chart << "\n";
    }
  }
  return 0;
}
