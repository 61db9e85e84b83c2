// Virtual screens: flat rectangles in the scene that show what is rendered
// into their framebuffer, with the mappings between framebuffer pixels,
// points on the screen plane and points in the scene, and pointer-ray hits.
#pragma once

#include <array>
#include <functional>

#include "core/coordinate_system.h"
#include "core/named.h"
#include "core/wrapper.h"
#include "render/frame_buffer.h"
#include "render/geometry.h"
#include "render/material.h"
#include "ui/option.h"

// The screen's size in scene units is the first two extents (w, h) of its
// coordinate system's volume; its framebuffer is W x H pixels. Local points
// have their origin at the screen's centre. A zero w, h, W or H maps every
// coordinate along that axis to 0 instead of dividing by it. OpenGL work
// runs on the context's thread.
class VirtualScreen : public RenderInterface,
                      public Wrapper<CoordinateSystem>,
                      public GeomObj,
                      public Named,
                      public SimpleOption {
 public:
  // Borrows each object given; a null one is made and owned.
  explicit VirtualScreen(FrameBuffer* frame_buffer = nullptr, CoordinateSystem* coord_sys = nullptr,
                         ParameterizedGeometry* geometry = nullptr);

  // Makes the framebuffer at its stored size; FrameBuffer::create's result.
  int init_render() override;
  // Runs the render function, when there is one.
  void render() override;
  void init() override {}
  void draw() override { draw(false); }
  // Shows the framebuffer's picture, unlit, on the screen's rectangle; with
  // `overlay` the overlay colour is drawn over it. Nothing when disabled.
  // OpenGL state and the matrix are as before on return.
  void draw(bool overlay);
  // Unbinds the 2-D texture and draws the overlay colour over the rectangle
  // (nothing for alpha 0), setting the current colour back to white.
  void draw_overlay();
  // Selects the quad set's level from its detail; the arguments are not used.
  void set_observer(const float* position, const float* direction) override;
  // Clears the framebuffer to the style's fill colour; the framebuffers
  // bound before stay bound.
  void fill();

  void set_overlay(std::array<float, 4> color) { overlay_ = color; }
  const std::array<float, 4>& overlay() const { return overlay_; }
  DrawStyle& style() { return style_; }
  const DrawStyle& style() const { return style_; }
  Material& material() { return material_; }
  const Material& material() const { return material_; }
  std::function<void()>& render_func(std::function<void()> f) {
    render_func_ = std::move(f);
    return render_func_;
  }
  std::function<void()>& get_render_func() { return render_func_; }
  CoordinateSystem& coord_sys() { return Wrapper<CoordinateSystem>::get(); }
  const CoordinateSystem& coord_sys() const { return Wrapper<CoordinateSystem>::get(); }

  std::array<float, 2> global2pixel(const float* p) const;
  std::array<float, 2> local2pixel(const float* p) const;
  std::array<float, 2> pixel2local(const float* pixel) const;
  // Pixels per scene unit across and up, and 0.
  std::array<float, 3> pix_per_length() const;
  // Whether the point lies on the rectangle (edges included); its local x
  // and y go to `local` when given, inside or not.
  bool in_bounds(const float* p, float* local) const;
  // The ray's crossing of the screen plane. A failed intersection writes its
  // non-zero status; with `bounds`, a crossing outside the rectangle writes
  // -3. Otherwise the status is left alone.
  std::array<float, 3> ray_intersection_3d(const float* origin, const float* direction, int* status,
                                           bool reverse, bool bounds) const;
  // The pixel where the ray (reversed on request) meets the screen, or
  // (-1, -1): with the plane's non-zero status when it misses the plane, with
  // status -1 when it meets the plane outside the rectangle.
  std::array<float, 2> ray2pixels(const float* origin, const float* direction, int* status,
                                  bool reverse) const;

 private:
  // w and h, W and H.
  std::array<float, 2> size() const;
  std::array<float, 2> pixels() const;
  // Local x and y of a scene point.
  std::array<float, 2> local_of(const float* p) const;
  // The pixel of local (x, y) on a screen with the given size.
  std::array<float, 2> pixel_of(float x, float y) const;
  // Builds the quad set once (one level of detail 1) when it has no shapes.
  void ensure_quad();

  Material material_;
  std::array<float, 4> overlay_{1, 1, 1, 0};
  std::function<void()> render_func_;
  DrawStyle style_;
};
