// Distance-to-detail mappings, the vertex-data renderers and the display lists of disks.
#include "render/detail_renderer.h"

#include <cmath>
#include <iostream>

DetailRenderer& DetailRenderer::operator=(const DetailRenderer& other) {
  if (this != &other) take(other, other.function_);
  return *this;
}

DetailRenderer& DetailRenderer::operator=(DetailRenderer&& other) {
  if (this != &other) take(other, std::move(other.function_));
  return *this;
}

void DetailRenderer::take(const DetailRenderer& other, DistanceFunction function) {
  max_detail_ = other.max_detail_;
  min_detail_ = other.min_detail_;
  render_distance_ = other.render_distance_;
  if (other.mapping_)
    distance_function(other.mapping_);
  else
    distance_function(std::move(function));
}

unsigned int DetailRenderer::clamp_detail(double detail) const {
  // min(detail, maximum) and then at least the minimum; NaN gives the minimum.
  if (std::isnan(detail)) return min_detail_;
  const double capped = std::min(detail, static_cast<double>(max_detail_));
  if (capped <= static_cast<double>(min_detail_)) return min_detail_;
  return static_cast<unsigned int>(capped);
}

// A viewer at distance 0 sees the maximum detail in both mappings.
unsigned int DetailRenderer::linear_distance2detail(float d) const {
  if (d == 0.0f) return clamp_detail(max_detail_);
  const float detail = std::round(render_distance_ / d * static_cast<float>(max_detail_));
  return clamp_detail(detail);
}

unsigned int DetailRenderer::log2_distance2detail(float d) const {
  if (d == 0.0f) return clamp_detail(max_detail_);
  // 2^maximum scaled exactly: the power-of-two distances give whole levels.
  const double ratio = std::ldexp(static_cast<double>(render_distance_),
                                  static_cast<int>(std::min(max_detail_, 2048u))) /
                       d;
  return clamp_detail(std::ceil(std::log2(ratio)));
}

template class DetailRenderObj<VAO>;
template class DetailRenderObj<VBO>;

int DetailVertexDataVAO::construct_detail(unsigned int detail, VAO& vao) {
  ParametericVertices* g = generator();
  if (!g) return -1;
  if (const int code = g->construct(detail); code != 0) return code;
  const auto depths = g->attrib_depth();
  vao.construct_indexed(g->vertices(), g->normals(), g->tex_coords(), attributes_[0],
                        attributes_[1], attributes_[2], static_cast<int>(depths[0]),
                        static_cast<int>(depths[1]), static_cast<int>(depths[2]));
  vao.mode().mode = static_cast<GLenum>(g->primitive_mode());
  return 0;
}

int DetailVertexDataVBO::construct_detail(unsigned int detail, VBO& vbo) {
  ParametericVertices* g = generator();
  if (!g) return -1;
  if (const int code = g->construct(detail); code != 0) return code;
  return vbo.init(*g, g->primitive_mode()) ? 1 : 0;
}

template class DetailedObject<DisplayListGL, float>;

void DetailedDisplayLists::partial_disks(double inner, double outer, double start, double sweep,
                                         double loops_factor) {
  if (!quadric_) {
    GLUquadric* q = gluNewQuadric();
    if (!q) return;
    quadric_.reset(q, gluDeleteQuadric);
  }
  const float n = max_detail_ - min_detail_ + 1.0f;
  if (!(n <= static_cast<float>(kMaxDetailLevels))) {
    std::cerr << "DetailedDisplayLists::partial_disks(): detail range " << min_detail_ << " .. "
              << max_detail_ << " refused" << std::endl;
    return;
  }
  const std::size_t count = n > 0.0f ? static_cast<std::size_t>(n) : 0;
  if (count != details_.size()) details_.resize(count);
  // List i holds detail minimum + i: the detail start follows, so that
  // set_detail_level and the distance look-ups find the list of a detail.
  if (count > 0 && min_detail_ >= 0.0f) detail_start_ = static_cast<int>(min_detail_);
  // Rounded to nearest, at least 1, and bounded so that no disk is absurd.
  auto steps = [](double v) -> GLint {
    if (!(v >= 1.0)) return 1;
    return static_cast<GLint>(std::round(std::min(v, static_cast<double>(kMaxDetailValue))));
  };
  for (std::size_t i = 0; i < count; ++i) {
    DisplayListGL& list = details_[i];
    if (list.id() == 0) list.create();
    list.bind();
    gluQuadricOrientation(quadric_.get(), static_cast<GLenum>(options_.orientation));
    gluQuadricNormals(quadric_.get(), static_cast<GLenum>(options_.normals));
    gluQuadricDrawStyle(quadric_.get(), static_cast<GLenum>(options_.draw_style));
    gluQuadricTexture(quadric_.get(), options_.texture ? GL_TRUE : GL_FALSE);
    const double d = static_cast<double>(min_detail_) + static_cast<double>(i);
    gluPartialDisk(quadric_.get(), inner, outer, steps(d), steps(d * loops_factor), start, sweep);
    list.release();
  }
}

void DetailedDisplayLists::draw_list() const {
  if (current_ < details_.size()) details_[current_].call();
}
