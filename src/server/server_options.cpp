#include "server/server_options.h"

#include "base/number_text.h"
#include "watch/watch_server.h"

namespace quorvel::server {

std::string server_usage() {
  return "usage: quorvel-server [options]            serve one game\n"
         "       quorvel-server adjudicate < phase   adjudicate one phase (see the README)\n"
         "options (the letter followed directly by its value):\n"
         "  -pPORT     port to listen on (16713; 0 picks a free one and prints it)\n"
         "  -oN        seats kept for clients, 0 to 7 (7); the others get opponents\n"
         "  -kKIND     opponents: random (random legal orders), hold (hold everything),\n"
         "             greedy (go for the most valuable centres), or honest or liar (greedy\n"
         "             players that negotiate in games with press; honest keeps its word)\n"
         "  -lLEVEL    press level: 0 no press (0), 10 peace and alliances, 20 also order\n"
         "             proposals, 30 also AND and ORR; a higher level is announced, press\n"
         "             above 30 gets HUH\n"
         "  -vOPTION   an option of press games (with -l10 or more), any of them: PDA\n"
         "             (partial draws), NPR (no press in retreats), NPB (none in\n"
         "             adjustments), PTL=SECONDS (none in the last seconds of a movement\n"
         "             phase with a time limit)\n"
         "  -yYEAR     last year; the game is drawn after it (1935)\n"
         "  -mSECONDS  time limit of movement phases (0: none)\n"
         "  -rSECONDS  time limit of retreat phases (0: none)\n"
         "  -bSECONDS  time limit of adjustment phases (0: none)\n"
         "  -iSECONDS  how long a connection may wait before its IM, or stop in the middle\n"
         "             of a message (30)\n"
         "  -aFILE     the map and the start of the game, as MDF, SCO and NOW in a text\n"
         "             file (see data/maps; the standard map when not given)\n"
         "  -gFILE     the game record (game.txt)\n"
         "  -cFILE     a chart of every power's centres per year, as SVG, at the end\n"
         "  -jFILE     the game as saved-game JSON, and its board page (FILE with .html),\n"
         "             both rewritten as each phase begins\n"
         "  -wPORT     serves the game's live page at http://127.0.0.1:PORT/ (0: a free\n"
         "             port); -wADDRESS:PORT on another address, such as 0.0.0.0\n"
         "  -sSEED     seed of the opponents' play and of the seating (the time)\n"
         "  --help     this text\n";
}

bool read_press_option(const std::string& text, GameVariant& variant) {
  if (text == "PDA") {
    variant.partial_draws = true;
  } else if (text == "NPR") {
    variant.no_retreat_press = true;
  } else if (text == "NPB") {
    variant.no_build_press = true;
  } else if (text.rfind("PTL=", 0) == 0) {
    return read_number(text.substr(4), 1, 86400, variant.press_time_limit);
  } else {
    return false;
  }
  return true;
}

ParsedOptions parse_server_options(const std::vector<std::string>& args) {
  ParsedOptions parsed;
  ServerOptions& o = parsed.options;
  GameVariant& v = o.variant;
  bool press_options = false;
  for (const std::string& arg : args) {
    if (arg == "--help" || arg == "-h") {
      o.help = true;
      continue;
    }
    if (arg.size() < 2 || arg[0] != '-') {
      parsed.errors.push_back("unknown argument '" + arg + "'");
      continue;
    }
    const std::string value = arg.substr(2);
    bool ok = true;
    int seed = 0;
    switch (arg[1]) {
      case 'p':
        ok = read_number(value, 0, 65535, o.port);
        break;
      case 'o':
        ok = read_number(value, 0, 7, o.open_seats);
        break;
      case 'k':
        if (const auto kind = opponents::opponent_kind(value)) o.opponents = *kind;
        ok = opponents::opponent_kind(value).has_value();
        break;
      case 'l':
        ok = read_number(value, 0, 8000, v.level);
        break;
      case 'v':
        ok = read_press_option(value, v);
        press_options = press_options || ok;
        break;
      case 'y':
        ok = read_number(value, 1901, 9999, o.last_year);
        break;
      case 'm':
        ok = read_number(value, 0, 86400, v.move_seconds);
        break;
      case 'r':
        ok = read_number(value, 0, 86400, v.retreat_seconds);
        break;
      case 'b':
        ok = read_number(value, 0, 86400, v.build_seconds);
        break;
      case 'i':
        ok = read_number(value, 1, 3600, o.im_seconds);
        break;
      case 'c':
        ok = !value.empty();
        o.chart = value;
        break;
      case 'g':
        ok = !value.empty();
        o.record = value;
        break;
      case 'j':
        ok = !value.empty();
        o.saved_game = value;
        break;
      case 'w':
        ok = watch::read_watch_address(value, o.watch_address, o.watch_port);
        break;
      case 'a':
        ok = !value.empty();
        o.map_file = value;
        break;
      case 's':
        ok = read_number(value, 0, 999999999, seed);
        o.seed = static_cast<unsigned>(seed);
        break;
      default:
        ok = false;
        break;
    }
    if (!ok) parsed.errors.push_back("bad option '" + arg + "'");
  }
  if (press_options && v.level < 10)
    parsed.errors.push_back("options of press games (-v) need a press level of 10 or more");
  return parsed;
}

}  // namespace quorvel::server
