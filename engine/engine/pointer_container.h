// PointerContainer: an ordered list of borrowed pointers, for the objects the
// engine draws or tracks on the application's behalf.
#pragma once

#include <algorithm>
#include <cstddef>
#include <vector>

// P is a pointer type. The container never deletes what it lists; entries
// may repeat and may be null (users skip null entries).
template <typename P>
class PointerContainer {
 public:
  using iterator = typename std::vector<P>::iterator;
  using const_iterator = typename std::vector<P>::const_iterator;

  void add(P p) { items_.push_back(p); }
  // Removes the first entry equal to p; false when there is none.
  bool remove(P p) {
    const auto it = std::find(items_.begin(), items_.end(), p);
    if (it == items_.end()) return false;
    items_.erase(it);
    return true;
  }
  bool contains(P p) const { return std::find(items_.begin(), items_.end(), p) != items_.end(); }
  void clear() { items_.clear(); }

  std::size_t size() const { return items_.size(); }
  bool empty() const { return items_.empty(); }
  // Entry i; null when i is past the end.
  P at(std::size_t i) const { return i < items_.size() ? items_[i] : nullptr; }
  P operator[](std::size_t i) const { return items_[i]; }

  iterator begin() { return items_.begin(); }
  iterator end() { return items_.end(); }
  const_iterator begin() const { return items_.begin(); }
  const_iterator end() const { return items_.end(); }

 private:
  std::vector<P> items_;
};
