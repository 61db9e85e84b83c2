// A simulated headset as the current VR runtime for the length of a test,
// and small render models to give it.
#pragma once

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <vector>

#include "platform/vr_simulator.h"

namespace testing_support {

// Base is the test fixture to extend (::testing::Test, GLTest, ...). The
// headset is current from construction to destruction; the runtime is not
// started.
template <typename Base = ::testing::Test>
class HeadsetTest : public Base {
 protected:
  HeadsetTest() { vr::set_runtime(&headset_); }
  ~HeadsetTest() override { vr::set_runtime(nullptr); }

  vr::SimulatedHeadset headset_;
};

// A vertex at p with normal n and texture coordinate t.
inline vr::RenderModel_Vertex_t model_vertex(std::array<float, 3> p, std::array<float, 3> n,
                                             std::array<float, 2> t) {
  return {{{p[0], p[1], p[2]}}, {{n[0], n[1], n[2]}}, {t[0], t[1]}};
}

// A unit square of two triangles facing +z, texture coordinates over the
// whole image, with the given texture (negative: none).
inline vr::SimulatedModel square_model(vr::TextureID_t texture_id) {
  vr::SimulatedModel m;
  m.vertices = {
      model_vertex({0, 0, 0}, {0, 0, 1}, {0, 0}), model_vertex({1, 0, 0}, {0, 0, 1}, {1, 0}),
      model_vertex({1, 1, 0}, {0, 0, 1}, {1, 1}), model_vertex({0, 1, 0}, {0, 0, 1}, {0, 1})};
  m.indices = {0, 1, 2, 0, 2, 3};
  m.texture_id = texture_id;
  return m;
}

// A width x height texture whose pixel (x, y) (row y as the runtime hands
// it out) is (x, y, 10 * x + y, 255).
inline vr::SimulatedTexture gradient_texture(std::uint16_t width, std::uint16_t height) {
  vr::SimulatedTexture t;
  t.width = width;
  t.height = height;
  for (std::uint16_t y = 0; y < height; ++y)
    for (std::uint16_t x = 0; x < width; ++x)
      t.rgba.insert(t.rgba.end(),
                    {std::uint8_t(x), std::uint8_t(y), std::uint8_t(10 * x + y), 255});
  return t;
}

}  // namespace testing_support
