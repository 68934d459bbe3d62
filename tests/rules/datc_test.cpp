// The adjudicator test cases, read from one file per section of the case list
// (tests/rules/datc/). A case is a few lines:
//   case 6.A.5 Move to own sector with convoy
//   note       why the DAIDE syntax decides it differently (any number)
//   start      SEASON UNITS                 "SPR ENG: F NTH, A YOR; GER: F LON"
//   centres    OWNERS                       "GER: BER KIE MUN; RUS: WAR", else as at the start
//   order      ORDER [by POWER]             must be taken (MBV)
//   refused    NOTE ORDER [by POWER]        must get NOTE
//   process
//   expect     SEASON [UNITS]               the whole position after processing ...
//   dislodged  UNIT -> RETREATS             ... with every dislodged unit and its retreats
//   result     UNIT RESULT                  the unit's order result, "BNC RET"
// Order and unit notation as the test support reads it ("ENG: F NTH C A LON - BEL").
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <memory>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "protocol/token_message.h"
#include "protocol/tokens.h"
#include "support/datc.h"
#include "support/messages.h"

namespace quorvel {
namespace {

struct DatcCase {
  std::string number;  // "6.A.5"
  std::string title;
  std::string origin;                                      // file:line
  std::vector<std::pair<std::string, std::string>> steps;  // keyword, rest of the line
};

std::string trimmed(const std::string& text) {
  const auto first = text.find_first_not_of(' ');
  if (first == std::string::npos) return "";
  return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

// Test output names a case by its number and title.
void PrintTo(const DatcCase& c, std::ostream* out) {
  *out << c.number << " " << c.title;
}

std::string text_of(Token token) {
  return trimmed(TokenMessage(token).to_text());
}

std::vector<DatcCase> read_cases() {
  std::vector<std::filesystem::path> files;
  for (const auto& entry : std::filesystem::directory_iterator(QUORVEL_DATC_DIR))
    files.push_back(entry.path());
  std::sort(files.begin(), files.end());
  std::vector<DatcCase> cases;
  for (const auto& file : files) {
    std::ifstream in(file);
    std::string line;
    for (int number = 1; std::getline(in, line); ++number) {
      if (trimmed(line).empty() || line[0] == '#') continue;
      const auto space = line.find(' ');
      const std::string keyword = line.substr(0, space);
      const std::string rest = space == std::string::npos ? "" : trimmed(line.substr(space));
      if (keyword == "case") {
        const auto end = rest.find(' ');
        cases.push_back({rest.substr(0, end),
                         trimmed(rest.substr(end)),
                         file.filename().string() + ":" + std::to_string(number),
                         {}});
      } else if (!cases.empty()) {
        cases.back().steps.emplace_back(keyword, rest);
      } else {
        ADD_FAILURE() << file << ":" << number << ": a line before the first case";
      }
    }
  }
  return cases;
}

// "6.A.5" and "Move to own sector with convoy" -> "6A05_MoveToOwnSectorWithConvoy".
std::string test_name(const ::testing::TestParamInfo<DatcCase>& info) {
  std::string name;
  std::stringstream number(info.param.number);
  for (std::string part; std::getline(number, part, '.');)
    name += part.size() == 1 && std::isdigit(static_cast<unsigned char>(part[0])) &&
                    !name.empty() && !std::isdigit(static_cast<unsigned char>(name.back()))
                ? "0" + part
                : part;
  name += "_";
  bool upper = true;
  for (char c : info.param.title) {
    if (std::isalnum(static_cast<unsigned char>(c))) {
      name += upper ? static_cast<char>(std::toupper(static_cast<unsigned char>(c))) : c;
      upper = false;
    } else {
      upper = true;
    }
  }
  return name;
}

// "UNIT by GER" -> the power that submits it, and the unit's order without it.
std::pair<int, std::string> submitter(const std::string& order) {
  const auto by = order.rfind(" by ");
  const std::string text = by == std::string::npos ? order : order.substr(0, by);
  const std::string power =
      by == std::string::npos ? order.substr(0, order.find(':')) : order.substr(by + 4);
  return {testing::parse(power).first_token().subtoken(), text};
}

std::set<std::string> split_units(const std::string& units) {
  std::set<std::string> lines;
  std::stringstream groups(units);
  for (std::string group; std::getline(groups, group, ';');) {
    const std::string power = trimmed(group.substr(0, group.find(':')));
    std::stringstream list(group.substr(group.find(':') + 1));
    for (std::string unit; std::getline(list, unit, ',');)
      lines.insert(power + ": " + trimmed(unit));
  }
  return lines;
}

class DatcCaseTest : public ::testing::TestWithParam<DatcCase> {};

TEST_P(DatcCaseTest, Adjudicates) {
  const DatcCase& c = GetParam();
  SCOPED_TRACE(c.origin + " " + c.number + " " + c.title);
  std::unique_ptr<testing::Datc> d;
  std::string season, units, centres;
  std::set<std::string> expected;
  bool expecting = false;
  auto compare = [&] {
    if (expecting) {
      EXPECT_EQ(d->position_lines(), expected);
    }
    expecting = false;
  };
  for (const auto& [keyword, rest] : c.steps) {
    if (keyword == "note") continue;
    if (keyword == "start") {
      season = rest.substr(0, 3);
      units = rest.substr(3);
    } else if (keyword == "centres") {
      centres = rest;
    } else if (!d) {
      d = std::make_unique<testing::Datc>(season, units, centres);
    }
    if (keyword == "order" || keyword == "refused") {
      compare();
      const std::string note = keyword == "order" ? "MBV" : rest.substr(0, rest.find(' '));
      const auto [power, text] =
          submitter(keyword == "order" ? rest : trimmed(rest.substr(rest.find(' '))));
      const Token got = d->game.submit(power, d->order_message(text));
      EXPECT_EQ(text_of(got), note) << text;
    } else if (keyword == "process") {
      compare();
      d->process();
    } else if (keyword == "expect") {
      EXPECT_EQ(text_of(d->season()), rest.substr(0, 3));
      expected = rest.size() > 3 ? split_units(rest.substr(3)) : std::set<std::string>{};
      expecting = true;
    } else if (keyword == "dislodged") {
      expected.insert(rest);
    } else if (keyword == "result") {
      // The unit is "POWER: T PLACE"; the rest is the result.
      const auto at = rest.find(' ', rest.find(' ', rest.find(':') + 2) + 1);
      EXPECT_EQ(d->result(rest.substr(0, at)), trimmed(rest.substr(at)));
    } else if (keyword != "start" && keyword != "centres") {
      ADD_FAILURE() << "unknown line: " << keyword << " " << rest;
    }
  }
  compare();
}

INSTANTIATE_TEST_SUITE_P(Datc, DatcCaseTest, ::testing::ValuesIn(read_cases()), test_name);

}  // namespace
}  // namespace quorvel
