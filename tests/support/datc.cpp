#include "support/datc.h"

#include <gtest/gtest.h>

#include <sstream>

#include "game/game_board.h"
#include "protocol/tokens.h"
#include "support/messages.h"

namespace quorvel::testing {

namespace {

const char* const kStartCentres =
    "AUS: BUD TRI VIE; ENG: EDI LON LVP; FRA: BRE MAR PAR; GER: BER KIE MUN; "
    "ITA: NAP ROM VEN; RUS: MOS SEV STP WAR; TUR: ANK CON SMY";

std::vector<std::string> split(const std::string& text, char separator) {
  std::vector<std::string> parts;
  std::stringstream stream(text);
  std::string part;
  while (std::getline(stream, part, separator)) {
    const auto first = part.find_first_not_of(' ');
    if (first == std::string::npos) continue;
    parts.push_back(part.substr(first, part.find_last_not_of(' ') - first + 1));
  }
  return parts;
}

std::vector<std::string> words(const std::string& text) {
  std::vector<std::string> result;
  std::stringstream stream(text);
  std::string word;
  while (stream >> word)
    result.push_back(word);
  return result;
}

// "SPA/NC" -> "( SPA NCS )", "PAR" -> "PAR".
std::string place(const std::string& text) {
  const auto slash = text.find('/');
  if (slash == std::string::npos) return text;
  const std::string coast = text.substr(slash + 1);
  const std::string token = coast == "NC"   ? "NCS"
                            : coast == "SC" ? "SCS"
                            : coast == "EC" ? "ECS"
                                            : "WCS";
  return "( " + text.substr(0, slash) + " " + token + " )";
}

std::string province_of(const std::string& text) {
  return text.substr(0, text.find('/'));
}

std::string unit_text(const std::string& power, const std::string& type, const std::string& where) {
  return "( " + power + " " + (type == "A" ? "AMY" : "FLT") + " " + place(where) + " )";
}

// "ENG: F SPA/NC" -> ENG FLT ( SPA NCS ), without the outer brackets.
TokenMessage bare_unit(const std::string& unit) {
  const std::string power = unit.substr(0, unit.find(':'));
  const auto w = words(unit.substr(unit.find(':') + 1));
  return parse(unit_text(power, w[0], w[1])).sub_message(0);
}

}  // namespace

Datc::Datc(const std::string& season, const std::string& units, const std::string& centres) {
  EXPECT_EQ(game.load_map(standard_map_message()), -1);
  std::string now = "NOW ( " + season + " 1901 )";
  for (const std::string& group : split(units, ';')) {
    const std::string power = group.substr(0, group.find(':'));
    for (const std::string& unit : split(group.substr(group.find(':') + 1), ',')) {
      const auto parts = words(unit);
      now.append(" ").append(unit_text(power, parts[0], parts[1]));
    }
  }
  std::string sco = "SCO";
  for (const std::string& group : split(centres.empty() ? kStartCentres : centres, ';')) {
    sco.append(" ( ")
        .append(group.substr(0, group.find(':')))
        .append(" ")
        .append(group.substr(group.find(':') + 1))
        .append(" )");
  }
  EXPECT_EQ(game.load_position(parse(now), parse(sco)), -1) << now << "\n" << sco;
}

TokenMessage Datc::order_message(const std::string& text) const {
  const std::string power = text.substr(0, text.find(':'));
  const auto w = words(text.substr(text.find(':') + 1));
  if (w.size() == 1 && w[0] == "waive") return parse(power + " WVE");
  if (w[0] == "build" || w[0] == "remove") {
    return parse(unit_text(power, w[1], w[2]) + (w[0] == "build" ? " BLD" : " REM"));
  }
  const std::string self = unit_text(power, w[0], w[1]);
  const auto& units = game.position().units;
  // The unit an order names, with its owner's power as the board has it.
  auto other = [&](const std::string& type, const std::string& where) {
    const int p = parse(province_of(where)).first_token().subtoken();
    const auto there = units.find(p);
    const std::string owner =
        there == units.end() ? power
                             : TokenMessage(GameBoard::power_token(there->second.power)).to_text();
    return unit_text(words(owner)[0], type, where);
  };
  const std::string kind = w.size() > 2 ? w[2] : "H";
  std::string order;
  if (kind == "H") {
    order = self + " HLD";
  } else if (kind == "-" && w.size() > 4 && w[4] == "via") {
    const std::vector<std::string> seas(w.begin() + 5, w.end());
    std::string path;
    for (const std::string& sea : seas)
      path += " " + sea;
    order = self + " CTO " + province_of(w[3]) + " VIA (" + path + " )";
  } else if (kind == "-") {
    order = self + " MTO " + place(w[3]);
  } else if (kind == "S" && w.size() == 5) {
    order = self + " SUP " + other(w[3], w[4]);
  } else if (kind == "S") {
    order = self + " SUP " + other(w[3], w[4]) + " MTO " + province_of(w[6]);
  } else if (kind == "C") {
    order = self + " CVY " + other(w[3], w[4]) + " CTO " + w[6];
  } else if (kind == "R") {
    order = self + " RTO " + place(w[3]);
  } else if (kind == "D") {
    order = self + " DSB";
  } else {
    ADD_FAILURE() << "cannot read " << text;
  }
  return parse(order);
}

Token Datc::order(const std::string& text) {
  const std::string power = text.substr(0, text.find(':'));
  return game.submit(parse(power).first_token().subtoken(), order_message(text));
}

void Datc::orders(const std::vector<std::string>& texts) {
  for (const std::string& text : texts)
    EXPECT_EQ(order(text), tok::MBV) << text;
}

void Datc::process() {
  last_results = game.process().results;
}

std::string Datc::result(const std::string& unit) const {
  const TokenMessage expected = bare_unit(unit);
  for (const TokenMessage& ord : last_results) {
    if (ord.sub_message(2).sub_message(0) == expected) {
      const TokenMessage result = ord.sub_message(3);
      std::string text;
      for (int i = 0; i < result.length(); ++i)
        text += (text.empty() ? "" : " ") + words(TokenMessage(result.token_at(i)).to_text())[0];
      return text;
    }
  }
  ADD_FAILURE() << "no result for " << unit;
  return "";
}

std::set<std::string> Datc::position_lines() const {
  const rules::RulesMap& map = game.map();
  // "ENG FLT ( SPA NCS )" -> "ENG: F SPA/NC".
  auto unit_line = [&](const rules::Unit& unit) {
    const auto w = words(rules::unit_message(map, unit).to_text());
    std::string where = w[2] == "(" ? w[3] + "/" + w[4].substr(0, 2) : w[2];
    return w[0] + ": " + (w[1] == "AMY" ? "A " : "F ") + where;
  };
  std::set<std::string> lines;
  for (const auto& [province, unit] : game.position().units)
    lines.insert(unit_line(unit));
  for (const auto& [province, entry] : game.position().dislodged) {
    std::set<std::string> names;
    for (const Location& to : entry.retreats) {
      const auto w = words(rules::location_message(map, to).to_text());
      names.insert(w[0] == "(" ? w[1] + "/" + w[2].substr(0, 2) : w[0]);
    }
    std::string line = unit_line(entry.unit) + " ->";
    for (const std::string& name : names)
      line += " " + name;
    lines.insert(line);
  }
  return lines;
}

}  // namespace quorvel::testing
