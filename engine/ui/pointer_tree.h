// PointerTree: a list of child pointers with a master pointer, the child
// list of a dialog.
#pragma once

#include <vector>

// The children are borrowed or owned as the holder decides: the tree frees
// them only in delete_children(), never in its destructor. Copies copy the
// pointers as they stand, so copies share their children. T needs a virtual
// destructor when a tree holds children of several classes.
template <typename T>
class PointerTree {
 public:
  explicit PointerTree(T* master = nullptr) : master_(master) {}

  // Appends a non-null child; null is ignored.
  void add(T* child) {
    if (child) children_.push_back(child);
  }
  PointerTree& operator+=(T* child) {
    add(child);
    return *this;
  }

  std::vector<T*>& children() { return children_; }
  const std::vector<T*>& children() const { return children_; }
  T* master() const { return master_; }
  void master(T* m) { master_ = m; }

 protected:
  // Destroys every child (as its own class), then empties the list.
  void delete_children() {
    for (T*& child : children_) {
      delete child;
      child = nullptr;
    }
    children_.clear();
  }

 private:
  std::vector<T*> children_;
  T* master_;
};
