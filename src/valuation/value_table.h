#pragma once

#include <array>
#include <string>
#include <vector>

namespace quorvel {

class IniStore;

// Where a supply centre stands for the bot, as the value tables index it.
enum CentreKind { kSupplyCentreKind = 0, kHomeCentreKind = 12 };
enum OwnerClass { kNeutralOwner = 0, kMyOwner = 1, kEnemyOwner = 2 };
// Who is nearer to a province: the bot ("owned"), a foreign power ("lost"), or neither.
enum ProvinceClass { kOwnedClass = 0, kLostClass = 3, kNearBorderClass = 6, kFarBorderClass = 9 };

// Integer weights per kind of supply centre, and the two border weights, read from one
// settings section. Keys name the slots they add to, e.g. "enemysclost" or "hc".
struct ValueTable {
  std::array<int, 24> weights{};
  int inner_border = 0;
  int outer_border = 0;

  // Adds every key of the section; answers the keys that name no slot.
  std::vector<std::string> add_section(const IniStore& store, const std::string& section);
  // Adds one key's value; false when the key names no slot.
  bool add_key(const std::string& key, int value);
};

}  // namespace quorvel
