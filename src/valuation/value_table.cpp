#include "valuation/value_table.h"

#include <cctype>

#include "settings/ini_store.h"

namespace quorvel {

namespace {

// -1 for no part, -2 for an unknown one.
int owner_of(const std::string& part) {
  if (part.empty()) return -1;
  if (part == "neutral") return kNeutralOwner;
  if (part == "my") return kMyOwner;
  if (part == "enemy") return kEnemyOwner;
  return -2;
}

int situation_of(const std::string& part) {
  if (part.empty()) return -1;
  if (part == "owned") return kOwnedClass;
  if (part == "lost") return kLostClass;
  if (part == "nearborder") return kNearBorderClass;
  if (part == "farborder") return kFarBorderClass;
  return -2;
}

}  // namespace

bool ValueTable::add_key(const std::string& key, int value) {
  std::string name = key;
  for (char& c : name)
    c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));

  int kind;
  std::size_t split = name.find("sc");
  if (split != std::string::npos) {
    kind = kSupplyCentreKind;
  } else if ((split = name.find("hc")) != std::string::npos) {
    kind = kHomeCentreKind;
  } else {
    if (name == "innerborder" || name == "border") inner_border += value;
    if (name == "outerborder" || name == "border") outer_border += value;
    return name == "innerborder" || name == "outerborder" || name == "border";
  }

  const int owner = owner_of(name.substr(0, split));
  const int situation = situation_of(name.substr(split + 2));
  if (owner == -2 || situation == -2) return false;
  for (int o : {kNeutralOwner, kMyOwner, kEnemyOwner}) {
    if (owner >= 0 && o != owner) continue;
    for (int s : {kOwnedClass, kLostClass, kNearBorderClass, kFarBorderClass}) {
      if (situation >= 0 && s != situation) continue;
      weights[static_cast<std::size_t>(kind + o + s)] += value;
    }
  }
  return true;
}

std::vector<std::string> ValueTable::add_section(const IniStore& store,
                                                 const std::string& section) {
  std::vector<std::string> unknown;
  for (int i = 0; i < store.keyCount(section); ++i) {
    const std::string key = store.keyAt(section, i);
    if (!add_key(key, store.getInt(section, key, 0))) unknown.push_back(key);
  }
  return unknown;
}

}  // namespace quorvel
