// The engine's stock of generated shapes at several levels of detail (quads,
// spheres, cylinders), each level uploaded into its own vertex buffer set,
// and the base of every object drawn from such a stock.
#pragma once

#include <algorithm>
#include <iostream>
#include <list>
#include <string>
#include <vector>

#include "core/wrapper.h"
#include "render/primitives.h"
#include "render/vbo.h"

// A level waiting to be built and uploaded when it is first drawn.
struct PendingLevel {
  unsigned int level = 0;  // index into the levels
  int mode = kQuadsMode;   // primitive mode handed to VBO::init
  int built = 0;           // the shape's arrays are generated already
};

// One shape and one VBO per detail level between the minimum and maximum
// detail (in either order); level k has detail detail_start() + k. The levels
// are built all at once (construct) or one by one when first drawn
// (init_lazy, then draw). OpenGL work runs on the context's thread.
template <typename Shape, typename Scale = float, typename Detail = float>
class Detailed {
 public:
  Detailed() = default;

  // Sizes the levels to the detail range. A negative, huge or non-finite
  // range is refused: reported, no levels and no VBOs, false.
  bool allocate();
  // Generates every level and fills its VBO. 0; -1 when the range is
  // refused; otherwise the number of levels whose upload failed.
  int construct();
  // Queues every level for building on first use; `clear` empties a level's
  // arrays once uploaded. Calling it twice queues the levels twice.
  void init_lazy(bool clear);
  // Draws the current level's VBO, first building it when it is queued.
  // A level without a VBO is reported on std::cerr and not drawn.
  void draw();
  // Empties the CPU arrays of every level's shape.
  void clear_shapes() {
    for (Shape& s : details_) s.clear();
  }

  std::string& name() { return name_; }
  const std::string& name() const { return name_; }
  bool& clear_after_upload() { return clear_after_upload_; }
  bool clear_after_upload() const { return clear_after_upload_; }
  std::list<PendingLevel>& pending() { return pending_; }
  const std::list<PendingLevel>& pending() const { return pending_; }
  // Index of the level that draw() draws.
  int& current_level() { return current_level_; }
  int current_level() const { return current_level_; }
  // The size the set's users relate distances to; no operation here reads it.
  Scale& scale() { return scale_; }
  Scale scale() const { return scale_; }
  Detail& max_detail() { return max_detail_; }
  Detail max_detail() const { return max_detail_; }
  Detail& min_detail() { return min_detail_; }
  Detail min_detail() const { return min_detail_; }
  // Detail of level 0 (set by allocate).
  int detail_start() const { return detail_start_; }
  std::vector<Shape>& details() { return details_; }
  const std::vector<Shape>& details() const { return details_; }
  std::vector<VBO>& vbos() { return vbos_; }
  const std::vector<VBO>& vbos() const { return vbos_; }

 private:
  std::string name_ = "None";
  bool clear_after_upload_ = true;
  std::list<PendingLevel> pending_;
  int current_level_ = 0;
  Scale scale_ = 0;
  Detail max_detail_ = 16;
  Detail min_detail_ = 4;
  int detail_start_ = 0;
  std::vector<Shape> details_;
  std::vector<VBO> vbos_;
};

template <typename Shape, typename Scale, typename Detail>
bool Detailed<Shape, Scale, Detail>::allocate() {
  const DetailLevels levels =
      detail_levels(static_cast<float>(max_detail_), static_cast<float>(min_detail_));
  if (!levels.valid) {
    std::cerr << "Detailed::allocate(): " << name_ << " detail range " << min_detail_ << " .. "
              << max_detail_ << " refused" << std::endl;
    details_.clear();
    vbos_.clear();
    return false;
  }
  detail_start_ = levels.start;
  if (levels.count != details_.size()) details_.resize(levels.count);
  return true;
}

template <typename Shape, typename Scale, typename Detail>
int Detailed<Shape, Scale, Detail>::construct() {
  std::cout << "construct(): allocating" << std::endl;
  if (!allocate()) return -1;
  std::cout << "construct(): detail_start = " << detail_start_
            << ", details.size() = " << details_.size() << std::endl;
  const int last = detail_start_ - 1 + static_cast<int>(details_.size());
  std::cout << "construct(): detail_en = " << last << std::endl;
  for (int d = detail_start_; d <= last; ++d) {
    std::cout << "Constructing " << name_ << ", detail = " << d << std::endl;
    details_[static_cast<std::size_t>(d - detail_start_)].construct(static_cast<unsigned int>(d));
  }
  std::cout << "construct(): creating VBO" << std::endl;
  vbos_.resize(details_.size());
  int failures = 0;
  for (std::size_t k = 0; k < details_.size(); ++k)
    if (vbos_[k].init(details_[k], details_[k].primitive_mode())) ++failures;
  return failures;
}

template <typename Shape, typename Scale, typename Detail>
void Detailed<Shape, Scale, Detail>::init_lazy(bool clear) {
  clear_after_upload_ = clear;
  std::cout << "construct_async(): allocating" << std::endl;
  if (!allocate()) return;
  for (std::size_t k = 0; k < details_.size(); ++k)
    pending_.push_back({static_cast<unsigned int>(k), details_[k].primitive_mode(), 0});
}

template <typename Shape, typename Scale, typename Detail>
void Detailed<Shape, Scale, Detail>::draw() {
  const auto entry = std::find_if(pending_.begin(), pending_.end(), [this](const PendingLevel& p) {
    return current_level_ >= 0 && p.level == static_cast<unsigned int>(current_level_);
  });
  if (entry != pending_.end()) {
    if (entry->level >= details_.size()) {
      std::cerr << "Detailed::draw(): " << name_ << " level " << entry->level << " beyond its "
                << details_.size() << " shapes" << std::endl;
    } else {
      Shape& shape = details_[entry->level];
      if (!entry->built) {
        shape.construct(static_cast<unsigned int>(detail_start_) + entry->level);
        entry->built = 1;
      }
      vbos_.resize(details_.size());
      vbos_[entry->level].init(shape, entry->mode);
      if (clear_after_upload_) shape.clear();
    }
    pending_.erase(entry);
  }
  if (current_level_ >= 0 && static_cast<std::size_t>(current_level_) < vbos_.size()) {
    vbos_[static_cast<std::size_t>(current_level_)].draw(true, false, false);
  } else {
    std::cerr << "VBO warning, name " << name_ << ", current index = " << current_level_
              << ", but vbo size = " << vbos_.size() << std::endl;
  }
}

extern template class Detailed<Quad, float, float>;
extern template class Detailed<SolidSphere, float, float>;
extern template class Detailed<Cylinder, float, float>;

// Three detailed sets (quads, spheres, cylinders), each borrowed from the
// caller or owned. The sets are named "Quads", "Spheres" and "Cylinders",
// borrowed ones included.
class ParameterizedGeometry {
 public:
  using Quads = Detailed<Quad, float, float>;
  using Spheres = Detailed<SolidSphere, float, float>;
  using Cylinders = Detailed<Cylinder, float, float>;

  explicit ParameterizedGeometry(Quads* quads = nullptr, Spheres* spheres = nullptr,
                                 Cylinders* cylinders = nullptr);

  Quads& quads() { return quads_.get(); }
  const Quads& quads() const { return quads_.get(); }
  Spheres& spheres() { return spheres_.get(); }
  const Spheres& spheres() const { return spheres_.get(); }
  Cylinders& cylinders() { return cylinders_.get(); }
  const Cylinders& cylinders() const { return cylinders_.get(); }

  // Builds every level of spheres, quads and cylinders, in that order; with
  // `clear` each set's CPU arrays are emptied afterwards (the VBOs stay).
  // 0, or the sum of the sets' construct codes.
  int init(bool clear);
  // Queues the levels of spheres, quads and cylinders for building on first draw.
  void init_lazy(bool clear);

 private:
  Wrapper<Quads> quads_;
  Wrapper<Spheres> spheres_;
  Wrapper<Cylinders> cylinders_;
};

// The base of everything drawn from a ParameterizedGeometry, which it
// borrows or, given none, owns.
class GeomObj : public Wrapper<ParameterizedGeometry> {
 public:
  explicit GeomObj(ParameterizedGeometry* geometry = nullptr)
      : Wrapper<ParameterizedGeometry>(geometry) {}
  virtual ~GeomObj() = default;
  GeomObj(const GeomObj&) = default;
  GeomObj& operator=(const GeomObj&) = default;

  virtual void draw() = 0;
  // Builds what the object needs once, before its first draw.
  virtual void init() = 0;
  // Where the viewer is (position, viewing direction), to choose a level of detail.
  virtual void set_observer(const float* position, const float* direction) = 0;

  ParameterizedGeometry& geometry() { return get(); }
  const ParameterizedGeometry& geometry() const { return get(); }
};
