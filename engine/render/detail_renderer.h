// Level-of-detail renderers: one object drawn at a detail chosen from its
// distance to the viewer, each detail's geometry built the first time it is
// needed; and the older scheme of display lists indexed by a detail value.
// Drawing runs on the thread that owns the OpenGL context.
#pragma once

#include <algorithm>
#include <cmath>
#include <functional>
#include <iostream>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "render/gl.h"
#include "render/object_gl.h"
#include "render/primitives.h"
#include "render/vbo.h"

// The shape that builds the levels; borrowed, never freed.
class VertexGenerator {
 public:
  void generator(ParametericVertices& g) { generator_ = &g; }
  ParametericVertices* generator() const { return generator_; }

 private:
  ParametericVertices* generator_ = nullptr;
};

// Maps a distance to a detail between the minimum and the maximum through a
// replaceable distance function and asks render_detail to draw it. The
// default function is the linear mapping of this very object: a copy maps
// with its own fields, never with those of the object it was copied from.
class DetailRenderer {
 public:
  using DistanceFunction = std::function<unsigned int(float)>;
  // One of this class's own mappings, bound to whichever object holds it.
  using Mapping = unsigned int (DetailRenderer::*)(float) const;

  DetailRenderer() { distance_function(&DetailRenderer::linear_distance2detail); }
  virtual ~DetailRenderer() = default;
  DetailRenderer(const DetailRenderer& other) { *this = other; }
  DetailRenderer& operator=(const DetailRenderer& other);
  DetailRenderer(DetailRenderer&& other) { *this = std::move(other); }
  DetailRenderer& operator=(DetailRenderer&& other);

  virtual void render_detail(unsigned int detail) = 0;

  void set_render_detail(unsigned int max, float distance, unsigned int min) {
    max_detail_ = max;
    render_distance_ = distance;
    min_detail_ = min;
  }
  // Any function; a copy of this object calls the same function.
  void distance_function(DistanceFunction f) {
    function_ = std::move(f);
    mapping_ = nullptr;
  }
  // A mapping of this class (linear_distance2detail, log2_distance2detail),
  // bound to this object and, after a copy, to the copy.
  void distance_function(Mapping m) {
    mapping_ = m;
    function_ = [this, m](float d) { return (this->*m)(d); };
  }
  DistanceFunction distance_function() const { return function_; }

  // round(render distance / d x maximum), clamped to [minimum, maximum]:
  // the maximum up to the render distance, falling off as 1 / d.
  unsigned int linear_distance2detail(float d) const;
  // ceil(log2(render distance x 2^maximum / d)), clamped to [minimum,
  // maximum]: one level less per doubling of d beyond the render distance.
  unsigned int log2_distance2detail(float d) const;
  // Draws the detail the distance function gives for d; an empty function
  // throws std::bad_function_call.
  void render_distance(float d) { render_detail(function_(d)); }

  unsigned int max_detail() const { return max_detail_; }
  unsigned int min_detail() const { return min_detail_; }
  float detail_distance() const { return render_distance_; }

 private:
  unsigned int clamp_detail(double detail) const;
  // The other's fields; its mapping bound to this object, or else `function`.
  void take(const DetailRenderer& other, DistanceFunction function);

  unsigned int max_detail_ = 1;
  unsigned int min_detail_ = 1;
  float render_distance_ = 1.0f;
  DistanceFunction function_;
  Mapping mapping_ = nullptr;
};

// Keeps one T per detail, built by construct_detail when first drawn.
template <typename T>
class DetailRenderObj : public DetailRenderer {
 public:
  // Draws the object of the detail, building it first when missing. An
  // object that fails to build stays in the map and is not drawn now.
  void render_detail(unsigned int detail) override {
    auto found = objects_.find(detail);
    if (found == objects_.end()) {
      found = objects_.emplace(detail, T()).first;
      if (construct_detail(detail, found->second) != 0) return;
    }
    render_object(found->second);
  }
  // (Re)builds the objects of every detail from the minimum to the maximum;
  // the sum of the construct_detail codes (0 when the minimum exceeds the
  // maximum; -1, reported, when the range holds more than kMaxDetailLevels).
  int construct_all_detail();

  virtual int construct_detail(unsigned int detail, T& object) = 0;
  virtual void render_object(T& object) = 0;

  std::map<unsigned int, T>& objects() { return objects_; }
  const std::map<unsigned int, T>& objects() const { return objects_; }

 private:
  std::map<unsigned int, T> objects_;
};

template <typename T>
int DetailRenderObj<T>::construct_all_detail() {
  if (min_detail() > max_detail()) return 0;
  if (static_cast<unsigned long long>(max_detail()) - min_detail() + 1 > kMaxDetailLevels) {
    std::cerr << "DetailRenderObj::construct_all_detail(): details " << min_detail() << " .. "
              << max_detail() << " refused" << std::endl;
    return -1;
  }
  int sum = 0;
  for (unsigned long long d = min_detail(); d <= max_detail(); ++d) {
    const auto detail = static_cast<unsigned int>(d);
    sum += construct_detail(detail, objects_[detail]);
  }
  return sum;
}

extern template class DetailRenderObj<VAO>;
extern template class DetailRenderObj<VBO>;

// Each detail as a vertex-array object built from the generator, its arrays
// at the three attribute locations (-1: the fixed-function client arrays).
class DetailVertexDataVAO : public DetailRenderObj<VAO>, public VertexGenerator {
 public:
  void set_attributes(std::array<int, 3> locations) { attributes_ = locations; }
  const std::array<int, 3>& attributes() const { return attributes_; }

  // -1 without a generator; the generator's code when it refuses the detail.
  int construct_detail(unsigned int detail, VAO& vao) override;
  void render_object(VAO& vao) override { vao.draw_arrays(); }

 private:
  std::array<int, 3> attributes_{-1, -1, -1};
};

// Each detail as a vertex buffer set built from the generator.
class DetailVertexDataVBO : public DetailRenderObj<VBO>, public VertexGenerator {
 public:
  // -1 without a generator; the generator's code when it refuses the
  // detail; 1 when the buffers could not be filled; else 0.
  int construct_detail(unsigned int detail, VBO& vbo) override;
  void render_object(VBO& vbo) override { vbo.draw(true, false, false); }
};

// A named list of T (display lists) indexed by a detail computed from a
// distance: level k has detail detail_start() + k.
template <typename T, typename F = float>
class DetailedObject {
 public:
  DetailedObject(F scale, F min, F max) : scale_(scale), max_detail_(max), min_detail_(min) {}

  void set(F scale, F min, F max) {
    scale_ = scale;
    min_detail_ = min;
    max_detail_ = max;
  }
  // maximum x d / scale clamped to [minimum, maximum]: grows with d and
  // reaches the maximum at d = scale. Without a scale (0) the maximum.
  F dist2detail(F d) const {
    if (scale_ == F(0)) return max_detail_;
    F x = max_detail_ * d / scale_;
    if (std::isnan(x)) x = min_detail_;
    return std::min(std::max(x, min_detail_), max_detail_);
  }
  // dist2detail(d) - detail start, truncated; 0 below the start.
  unsigned int dist2ind(F d) const { return to_index(dist2detail(d) - F(detail_start_)); }
  unsigned int set_detail(double d) { return current_ = dist2ind(static_cast<F>(d)); }
  // detail - detail start, clamped to the lists (0 without lists).
  unsigned int set_detail_level(int detail) {
    const long long i = static_cast<long long>(detail) - detail_start_;
    return current_ = static_cast<unsigned int>(clamp_index(i));
  }
  unsigned int current_detail() const { return current_; }
  std::size_t size() const { return details_.size(); }
  std::vector<T>& details() { return details_; }
  const std::vector<T>& details() const { return details_; }

  // With by_index, list i clamped to the lists; otherwise the list of detail
  // value i, clamped likewise. Without lists, an empty T.
  T& get(int i, bool by_index) { return at(index_for(i, by_index)); }
  const T& get(int i, bool by_index) const {
    return const_cast<DetailedObject*>(this)->get(i, by_index);
  }
  // The list dist2ind(d) selects, clamped to the lists.
  T& get_at(F d) { return at(clamp_index(dist2ind(d))); }
  const T& get_at(F d) const { return const_cast<DetailedObject*>(this)->get_at(d); }

  // detail start = the smaller detail truncated; one list per detail up to
  // the larger. A negative, huge or non-finite range is refused (reported,
  // no lists, false).
  bool allocate() {
    const DetailLevels levels =
        detail_levels(static_cast<float>(max_detail_), static_cast<float>(min_detail_));
    if (!levels.valid) {
      std::cerr << "DetailedObject::allocate(): " << name_ << " detail range " << min_detail_
                << " .. " << max_detail_ << " refused" << std::endl;
      details_.clear();
      return false;
    }
    detail_start_ = levels.start;
    if (levels.count != details_.size()) details_.resize(levels.count);
    return true;
  }

  std::string& name() { return name_; }
  const std::string& name() const { return name_; }
  F scale() const { return scale_; }
  F max_detail() const { return max_detail_; }
  F min_detail() const { return min_detail_; }
  int detail_start() const { return detail_start_; }

 protected:
  static unsigned int to_index(F x) {
    if (!(x > F(0))) return 0;
    if (x >= F(4294967295.0)) return 4294967295u;
    return static_cast<unsigned int>(x);
  }
  std::size_t clamp_index(long long i) const {
    if (details_.empty() || i < 0) return 0;
    return static_cast<std::size_t>(
        std::min<long long>(i, static_cast<long long>(details_.size()) - 1));
  }
  std::size_t index_for(int i, bool by_index) const {
    if (by_index) return clamp_index(i);
    return clamp_index(static_cast<long long>(std::max(i, detail_start_)) - detail_start_);
  }
  T& at(std::size_t index) { return details_.empty() ? missing_ : details_[index]; }

  std::string name_ = "None";
  unsigned int current_ = 0;
  F scale_;
  F max_detail_;
  F min_detail_;
  int detail_start_ = 0;
  std::vector<T> details_;

 private:
  T missing_{};
};

extern template class DetailedObject<DisplayListGL, float>;

// How DetailedDisplayLists sets up its GLU quadric. 6914 (GL_FILL) is no GLU
// draw style: GLU ignores it and keeps drawing filled.
struct QuadricOptions {
  int draw_style = 6914;
  int normals = GLU_SMOOTH;
  bool texture = true;
  int orientation = GLU_OUTSIDE;
};

// Display lists of GLU partial disks, one per detail. Copies share the
// quadric (freed with the last of them) and the list names.
class DetailedDisplayLists : public DetailedObject<DisplayListGL, float> {
 public:
  DetailedDisplayLists() : DetailedObject<DisplayListGL, float>(0.0f, 4.0f, 16.0f) {}

  // One list per detail from the minimum to the maximum (their difference +
  // 1 lists), each a disk of max(1, round(detail)) slices and max(1,
  // round(detail x loops_factor)) loops; the detail start becomes the
  // minimum. Nothing without a quadric or for a range of more than
  // kMaxDetailLevels.
  void partial_disks(double inner, double outer, double start, double sweep, double loops_factor);
  // Calls the current list; nothing when there is no such list.
  void draw_list() const;

  QuadricOptions& quadric_style() { return options_; }
  const QuadricOptions& quadric_style() const { return options_; }

 private:
  std::shared_ptr<GLUquadric> quadric_;
  QuadricOptions options_;
};
