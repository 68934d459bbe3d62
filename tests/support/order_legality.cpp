#include "support/order_legality.h"

#include <map>
#include <set>

#include "protocol/seasons.h"
#include "protocol/tokens.h"

namespace quorvel::testing {

namespace {

using namespace tok;

struct Unit {
  Token power;
  Token type;
  Location location;
};

// A place as orders write it: a province token, or ( province coast ).
bool read_place(const TokenMessage& place, Token unit_type, Location& location) {
  if (place.is_single_token() && place.first_token().is_province()) {
    location = {place.first_token().subtoken(), unit_type == AMY ? AMY : FLT};
    return true;
  }
  if (place.length() == 2 && place.token_at(0).is_province() &&
      place.token_at(1).category() == CATEGORY_COAST) {
    location = {place.token_at(0).subtoken(), place.token_at(1)};
    return true;
  }
  return false;
}

bool read_unit(const TokenMessage& unit, Unit& out) {
  if (unit.sub_message_count() != 3) return false;
  out.power = unit.sub_message(0).first_token();
  out.type = unit.sub_message(1).first_token();
  return read_place(unit.sub_message(2), out.type, out.location);
}

class Checker {
 public:
  Checker(const GameBoard& board) : board_(board), own_(board.own_power) {}

  std::vector<std::string> check(const TokenMessage& submission) {
    if (submission.first_token() != SUB) fault("not a SUB message");
    for (int i = 1; i < submission.sub_message_count(); ++i) {
      const TokenMessage order = submission.sub_message(i);
      text_ = order.to_text();
      orders_.push_back(order);
      read_order(order);
    }
    text_.clear();
    const Token season = board_.season;
    if (is_movement_season(season)) check_movement();
    if (is_retreat_season(season)) check_retreats();
    if (season == WIN) check_adjustments();
    return faults_;
  }

 private:
  void fault(const std::string& what) {
    faults_.push_back(what + (text_.empty() ? "" : ": " + text_));
  }

  const MapProvince& province(int p) const { return board_.provinces[static_cast<std::size_t>(p)]; }
  bool reaches(const Location& from, int p) const {
    const auto list = province(from.province).adjacency.find(from.coast);
    if (list == province(from.province).adjacency.end()) return false;
    for (const Location& to : list->second) {
      if (to.province == p) return true;
    }
    return false;
  }
  bool at_sea(int p) const { return !province(p).has_army_moves; }
  bool own_unit_matches(const Unit& unit, const std::map<int, UnitRecord>& table) const {
    const auto it = table.find(unit.location.province);
    return unit.power == own_ && it != table.end() && it->second.power == own_.subtoken() &&
           it->second.unit_type == unit.type && it->second.location == unit.location;
  }
  bool unit_on_board(const Unit& unit) const {
    const auto it = board_.units.find(unit.location.province);
    return it != board_.units.end() && GameBoard::power_token(it->second.power) == unit.power &&
           it->second.unit_type == unit.type && it->second.location == unit.location;
  }

  void read_order(const TokenMessage& order) {
    if (order.sub_message_count() == 2 && order.sub_message_is_single_token(0) &&
        order.token_at(1) == WVE) {
      if (order.first_token() != own_) fault("waive for another power");
      ++waives_;
      return;
    }
    Unit unit;
    if (order.sub_message_is_single_token(0) || !read_unit(order.sub_message(0), unit)) {
      fault("unreadable unit");
      return;
    }
    const Token kind = order.token_at(order.sub_message_start(1));
    if (!ordered_.insert(unit.location.province).second) fault("unit ordered twice");
    kinds_[unit.location.province] = kind;
    units_[unit.location.province] = unit;
    bodies_[unit.location.province] = order;
  }

  void check_movement() {
    for (const auto& [p, unit] : units_) {
      const TokenMessage order = bodies_[p];
      text_ = order.to_text();
      if (!own_unit_matches(unit, board_.units)) {
        fault("no such unit of the bot");
        continue;
      }
      const Token kind = kinds_[p];
      if (kind == HLD) {
        if (order.sub_message_count() != 2) fault("malformed hold");
      } else if (kind == MTO) {
        Location to;
        if (!read_place(order.sub_message(2), unit.type, to)) {
          fault("unreadable destination");
        } else if (!province(p).adjacency.at(unit.location.coast).count(to)) {
          fault("destination not adjacent to the unit's coast");
        }
      } else if (kind == SUP) {
        check_support(unit, order);
      } else if (kind == CVY) {
        check_convoy(unit, order);
      } else if (kind == CTO) {
        check_convoyed_move(unit, order);
      } else {
        fault("order kind not for movement");
      }
    }
    for (int p : board_.own_units) {
      if (!units_.count(p)) {
        text_ = board_.province_text(p);
        fault("unit without an order");
      }
    }
  }

  void check_support(const Unit& supporter, const TokenMessage& order) {
    Unit supported;
    if (!read_unit(order.sub_message(2), supported) || !unit_on_board(supported)) {
      fault("supported unit is not on the board");
      return;
    }
    const int q = supported.location.province;
    if (q == supporter.location.province) fault("unit supports itself");
    if (order.sub_message_count() == 3) {
      if (!reaches(supporter.location, q)) fault("supporter cannot reach the held province");
      return;
    }
    if (order.sub_message_count() != 5 || order.token_at(order.sub_message_start(3)) != MTO) {
      fault("malformed support");
      return;
    }
    const Token target = order.sub_message(4).first_token();
    if (!target.is_province() || !order.sub_message(4).is_single_token()) {
      fault("support names more than a province");
      return;
    }
    const int t = target.subtoken();
    if (t == supporter.location.province) fault("support into the supporter's own province");
    if (!reaches(supporter.location, t)) fault("supporter cannot reach the target province");
    // An own supported unit must be ordered there; a foreign one must be able to go.
    if (units_.count(q) && supported.power == own_) {
      const TokenMessage moved = bodies_[q];
      const Token kind = kinds_[q];
      const bool there =
          (kind == MTO || kind == CTO) && moved.sub_message(2).first_token().subtoken() == t;
      if (!there) fault("supported move is not ordered");
    } else if (!reaches(supported.location, t)) {
      fault("supported unit cannot reach the target");
    }
  }

  void check_convoy(const Unit& fleet, const TokenMessage& order) {
    if (fleet.type != FLT || !at_sea(fleet.location.province)) fault("convoy by a unit not at sea");
    Unit army;
    if (order.sub_message_count() != 5 || !read_unit(order.sub_message(2), army) ||
        army.type != AMY || !own_unit_matches(army, board_.units)) {
      fault("convoyed unit is no army of the bot");
      return;
    }
    const int a = army.location.province;
    const int t = order.sub_message(4).first_token().subtoken();
    if (!units_.count(a) || kinds_[a] != CTO) {
      fault("convoyed army is not ordered to move by convoy");
      return;
    }
    const TokenMessage moved = bodies_[a];
    if (moved.sub_message(2).first_token().subtoken() != t) fault("convoy to another destination");
    const TokenMessage path = moved.sub_message(4);
    bool on_path = false;
    for (int i = 0; i < path.length(); ++i)
      on_path |= path.token_at(i).subtoken() == fleet.location.province;
    if (!on_path) fault("convoying fleet is not on the army's path");
  }

  void check_convoyed_move(const Unit& army, const TokenMessage& order) {
    if (army.type != AMY) fault("a fleet moved by convoy");
    if (order.sub_message_count() != 5 || order.token_at(order.sub_message_start(3)) != VIA) {
      fault("malformed convoyed move");
      return;
    }
    const Token destination = order.sub_message(2).first_token();
    const int t = destination.subtoken();
    if (!destination.is_province() || !province(t).has_army_moves) fault("convoy to no land");
    const TokenMessage path = order.sub_message(4);
    if (path.length() < 1) fault("convoy without fleets");
    int from = army.location.province;
    std::set<int> seen;
    for (int i = 0; i < path.length(); ++i) {
      const int sea = path.token_at(i).subtoken();
      if (!seen.insert(sea).second) fault("fleet twice on a path");
      const auto fleet = board_.units.find(sea);
      if (fleet == board_.units.end() || fleet->second.power != own_.subtoken() ||
          fleet->second.unit_type != FLT || !at_sea(sea)) {
        fault("path through a sea without a fleet of the bot");
        return;
      }
      if (!reaches(fleet->second.location, from)) fault("path not connected");
      const auto convoy = kinds_.find(sea);
      if (convoy == kinds_.end() || convoy->second != CVY ||
          bodies_[sea].sub_message(4).first_token().subtoken() != t) {
        fault("fleet on the path does not convoy there");
      }
      from = sea;
    }
    if (!path.is_empty() && path.length() >= 1) {
      const int last = path.token_at(path.length() - 1).subtoken();
      const auto fleet = board_.units.find(last);
      if (fleet != board_.units.end() && !reaches(fleet->second.location, t)) {
        fault("last fleet does not touch the destination");
      }
    }
    if (t == army.location.province) fault("convoy to the army's own province");
  }

  void check_retreats() {
    std::set<int> taken;
    for (const auto& [p, unit] : units_) {
      text_ = bodies_[p].to_text();
      if (!own_unit_matches(unit, board_.dislodged_units)) {
        fault("no dislodged unit of the bot");
        continue;
      }
      const Token kind = kinds_[p];
      if (kind == DSB) continue;
      if (kind != RTO) {
        fault("order kind not for retreats");
        continue;
      }
      Location to;
      if (!read_place(bodies_[p].sub_message(2), unit.type, to) ||
          !board_.dislodged_units.at(p).retreat_options.count(to)) {
        fault("retreat to no retreat option");
        continue;
      }
      if (board_.units.count(to.province)) fault("retreat into an occupied province");
      if (!taken.insert(to.province).second) fault("two retreats into one province");
    }
  }

  void check_adjustments() {
    const int count = board_.adjustment_count;
    int builds = 0;
    int removals = 0;
    std::set<int> built;
    for (const auto& [p, unit] : units_) {
      text_ = bodies_[p].to_text();
      const Token kind = kinds_[p];
      if (kind == BLD) {
        ++builds;
        if (count >= 0) fault("build without a build allowed");
        if (unit.power != own_) fault("build for another power");
        if (!board_.own_home_centres.count(p)) fault("build outside a home centre");
        if (province(p).owner != own_) fault("build in a centre the bot does not own");
        if (board_.units.count(p)) fault("build in an occupied centre");
        if (!built.insert(p).second) fault("two builds in one centre");
        const bool army_ok = unit.type == AMY && unit.location.coast == AMY;
        const bool fleet_ok = unit.type == FLT && unit.location.coast != AMY;
        if ((!army_ok && !fleet_ok) || !province(p).adjacency.count(unit.location.coast)) {
          fault("unit type or coast the map does not allow there");
        }
      } else if (kind == REM) {
        ++removals;
        if (count <= 0) fault("removal without one owed");
        if (!own_unit_matches(unit, board_.units)) fault("removal of no unit of the bot");
      } else {
        fault("order kind not for adjustments");
      }
    }
    text_.clear();
    if (count < 0 && builds + waives_ > -count) fault("more builds and waives than allowed");
    if (count > 0 && removals < count) fault("fewer removals than owed");
    if (count > 0 && waives_ > 0) fault("waive in a removal phase");
  }

  const GameBoard& board_;
  const Token own_;
  std::string text_;
  std::vector<std::string> faults_;
  std::vector<TokenMessage> orders_;
  std::set<int> ordered_;
  std::map<int, Token> kinds_;
  std::map<int, Unit> units_;
  std::map<int, TokenMessage> bodies_;
  int waives_ = 0;
};

}  // namespace

std::vector<std::string> order_faults(const GameBoard& board, const TokenMessage& submission) {
  return Checker(board).check(submission);
}

}  // namespace quorvel::testing
