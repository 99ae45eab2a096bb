// Which rows of an order list may no longer be true: after the connection to
// the exchange was lost, every row until the exchange tells of its order again.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <set>

class StaleRows {
 public:
  // Every order of `orders` is in doubt.
  template <typename Map>
  void MarkAll(const Map& orders) {
    for (const auto& entry : orders) ids_.insert(entry.first);
  }
  // The exchange has told of the order again, or it has gone from the list;
  // true when its row was stale.
  bool Forget(std::int32_t orderId) { return ids_.erase(orderId) != 0; }
  void Clear() { ids_.clear(); }
  bool Contains(std::int32_t orderId) const { return ids_.count(orderId) != 0; }
  std::size_t Count() const { return ids_.size(); }

 private:
  std::set<std::int32_t> ids_;
};
