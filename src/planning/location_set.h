#pragma once

#include <algorithm>
#include <vector>

#include "game/location.h"

namespace quorvel {

// An ordered set of Locations kept in a sorted vector: the sets are small and are copied
// and indexed far more often than they change.
class LocationSet {
 public:
  LocationSet() = default;
  template <typename Range>
  static LocationSet of(const Range& range) {
    LocationSet set;
    set.items_.assign(range.begin(), range.end());
    std::sort(set.items_.begin(), set.items_.end());
    set.items_.erase(std::unique(set.items_.begin(), set.items_.end()), set.items_.end());
    return set;
  }

  bool insert(const Location& location) {
    const auto at = std::lower_bound(items_.begin(), items_.end(), location);
    if (at != items_.end() && *at == location) return false;
    items_.insert(at, location);
    return true;
  }
  bool contains(const Location& location) const {
    return std::binary_search(items_.begin(), items_.end(), location);
  }
  void clear() { items_.clear(); }
  template <typename Predicate>
  void erase_if(Predicate predicate) {
    std::erase_if(items_, predicate);
  }

  std::size_t size() const { return items_.size(); }
  bool empty() const { return items_.empty(); }
  const Location& operator[](std::size_t i) const { return items_[i]; }
  const Location& front() const { return items_.front(); }
  auto begin() const { return items_.begin(); }
  auto end() const { return items_.end(); }

  friend bool operator==(const LocationSet&, const LocationSet&) = default;

 private:
  std::vector<Location> items_;
};

}  // namespace quorvel
