#include "arena/outside_game.h"

#include <filesystem>
#include <iostream>
#include <memory>
#include <mutex>
#include <optional>
#include <ostream>
#include <set>

#include "arena/in_process_seats.h"
#include "arena/session_result.h"
#include "platform/program_run.h"
#include "server/game_record.h"
#include "server/game_report.h"
#include "server/game_session.h"
#include "server/tcp_server.h"

namespace quorvel::arena {

namespace {

// The session's messages: to the TCP server's clients or to the in-process Quorvels.
class Outputs : public server::SessionOutput {
 public:
  Outputs(server::TcpServer& tcp, InProcessSeats& quorvels) : tcp_(tcp), quorvels_(quorvels) {}
  void send(int client, const TokenMessage& message) override {
    if (InProcessSeats::in_process(client)) {
      quorvels_.send(client, message);
    } else {
      tcp_.send(client, message);
    }
  }
  void close(int client) override {
    if (!InProcessSeats::in_process(client)) tcp_.close(client);
  }

 private:
  server::TcpServer& tcp_;
  InProcessSeats& quorvels_;
};

// An outside program's seat, and how its program has done so far.
struct ProgramSeat {
  int power = 0;
  std::unique_ptr<platform::ProgramRun> run;
  std::string end;  // empty while nothing went wrong
  std::string failed_in;
  // When its connection ended while the program still ran: it gets a moment to exit.
  std::optional<server::Clock::time_point> left_at;

  void fail(const std::string& how, const std::string& phase) {
    if (!end.empty()) return;
    end = how;
    failed_in = phase;
  }
};

constexpr auto kExitGrace = std::chrono::seconds(2);

// A program that ended before it joined is named on standard error, once a run for each
// command and way it ended, however many games it fails in.
void say_once(const std::string& command, const platform::ProgramEnd& end) {
  static std::mutex lock;
  static std::set<std::string> said;
  std::string why = end.text();
  if (!end.signalled && end.number == 127) why += ": not found";
  if (!end.signalled && end.number == 126) why += ": cannot be run";
  const std::lock_guard<std::mutex> guard(lock);
  if (!said.insert(command + "\n" + why).second) return;
  std::cerr << "quorvel-arena: '" << command << "' ended before it joined its game (" << why
            << "); its seats are in civil disorder\n";
}

}  // namespace

GameResult play_outside_game(const std::vector<const ArenaPlayer*>& by_power, std::uint64_t seed,
                             int last_year, const std::string& record_path,
                             const GameVariant& press, const rules::MapFile& map,
                             const OutsideGameOptions& outside) {
  const rules::MapFile own = map;
  server::ServerOptions options;
  options.port = 0;
  options.loopback_only = true;
  options.last_year = last_year;
  options.seed = static_cast<unsigned>(seed);
  options.record = record_path;
  options.variant = press;
  options.variant.move_seconds = outside.move_seconds;
  options.variant.retreat_seconds = outside.retreat_seconds;
  options.variant.build_seconds = outside.build_seconds;
  options.im_seconds = outside.connect_seconds;

  const int powers = static_cast<int>(by_power.size());
  server::GameRecord record(record_path, false);
  std::ostream quiet(nullptr);
  server::TcpServer tcp(options);
  InProcessSeats quorvels(powers, true);
  Outputs outputs(tcp, quorvels);
  server::GameSession session(options, outputs, record, quiet);
  quorvels.attach(session);
  session.load(own.mdf, own.now, own.sco, own.name);
  if (!record_path.empty()) session.keep_saved_game("arena-seed-" + std::to_string(seed));
  std::vector<std::optional<opponents::OpponentKind>> kinds;
  for (const ArenaPlayer* player : by_power)
    kinds.push_back(player != nullptr ? player->house : std::nullopt);
  session.fix_seats(kinds);

  std::vector<ProgramSeat> programs;
  for (int power = 0; power < powers; ++power) {
    const ArenaPlayer* player = by_power[static_cast<std::size_t>(power)];
    if (player == nullptr || !player->is_outside()) continue;
    programs.emplace_back();
    programs.back().power = power;
  }
  std::string error;
  if (!tcp.listen(error)) {
    std::cerr << "quorvel-arena: game " << seed << ": cannot listen: " << error << "\n";
    for (ProgramSeat& seat : programs)
      seat.fail("no-connect", "");
  }
  for (int power = 0; power < powers; ++power) {
    const ArenaPlayer* player = by_power[static_cast<std::size_t>(power)];
    if (player != nullptr && player->is_quorvel()) quorvels.join(power, *player, seed);
  }
  quorvels.deliver();

  // Each program in turn, so that the seat it joins is its own.
  const std::filesystem::path folders =
      std::filesystem::path(outside.folder) / ("game-" + std::to_string(seed));
  for (ProgramSeat& seat : programs) {
    if (!seat.end.empty()) continue;
    const std::string power = server::power_name(seat.power);
    const std::filesystem::path folder = folders / power;
    std::error_code ec;
    std::filesystem::create_directories(folder, ec);
    const std::string command = program_command(
        by_power[static_cast<std::size_t>(seat.power)]->command, "127.0.0.1", tcp.port());
    seat.run = platform::ProgramRun::start(command, folder.string(), error);
    if (!seat.run) {
      std::cerr << "quorvel-arena: cannot start '" << command << "': " << error << "\n";
      seat.fail("no-connect", session.phase());
      continue;
    }
    record.write(power + " is played by the program '" + command + "'");
    session.seat_next_join(seat.power);
    const int errors_before = tcp.protocol_errors();
    const auto until = server::Clock::now() + std::chrono::seconds(outside.connect_seconds);
    while (!session.seat_ready(seat.power) && server::Clock::now() < until && !seat.run->poll()) {
      tcp.turn(session);
      quorvels.deliver();
    }
    // What else it opened serves no seat: closed before the next program comes.
    tcp.close_unseated(session);
    if (session.seat_ready(seat.power)) continue;
    // It never took its seat: whatever it started is stopped, its seat stays empty.
    // Ended by itself, not by the stop below: it is named.
    if (const auto ended = seat.run->poll()) {
      record.write(power + "'s program ended before it joined: " + ended->text());
      say_once(by_power[static_cast<std::size_t>(seat.power)]->command, *ended);
    }
    seat.run->stop();
    seat.fail(tcp.protocol_errors() > errors_before ? "protocol" : "no-connect", session.phase());
  }
  session.start_with_empty_seats(server::Clock::now());
  quorvels.deliver();

  // The game: each turn, what the programs did is looked at.
  tcp.run(session, [&] {
    quorvels.deliver();
    const auto now = server::Clock::now();
    for (ProgramSeat& seat : programs) {
      if (!seat.run || !seat.end.empty()) continue;
      const int power = seat.power;
      if (const auto end = seat.run->poll()) {
        if (!session.finished()) {
          const std::string& left = session.left_in(power);
          seat.fail(end->text(), left.empty() ? session.phase() : left);
          seat.run->stop();
        }
        continue;
      }
      std::string how;
      std::string phase;
      if (!session.broke_protocol_in(power).empty()) {
        how = "protocol";
        phase = session.broke_protocol_in(power);
      } else if (!session.timed_out_in(power).empty()) {
        how = "timeout";
        phase = session.timed_out_in(power);
      } else if (!session.left_in(power).empty() && !session.finished()) {
        // Its connection is gone and the program runs on: it has a moment to exit.
        if (!seat.left_at) seat.left_at = now;
        if (now - *seat.left_at < kExitGrace) continue;
        how = "protocol";
        phase = session.left_in(power);
      }
      if (how.empty()) continue;
      seat.fail(how, phase);
      // Stopped: its power is in civil disorder and nobody waits for it.
      seat.run->stop();
    }
  });
  const bool stalled = !session.finished();

  for (ProgramSeat& seat : programs) {
    if (seat.run) seat.run->stop();
  }
  save_beside_record(session, record_path, own, record);
  GameResult result = session_result(session, by_power, seed, press.level, own.now, stalled);
  for (PowerResult& entry : result.powers) {
    for (const ProgramSeat& seat : programs) {
      if (server::power_name(seat.power) != entry.power) continue;
      entry.program = seat.end.empty() ? "ok" : seat.end;
      entry.failed_in = seat.failed_in;
    }
  }
  if (!outside.keep_folders) {
    std::error_code ec;
    std::filesystem::remove_all(folders, ec);
  }
  return result;
}

}  // namespace quorvel::arena
