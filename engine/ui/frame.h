// Frame: the base of every panel of the dialog toolkit (a box placed by a
// coordinate system inside its dialog, with margins, a background, selection
// state, a click action and the actions of arrow pushes), and FrameParent,
// what a frame may ask of the dialog that holds it.
#pragma once

#include <array>
#include <functional>

#include "core/coordinate_system.h"
#include "ui/option.h"

class Frame;

// The dialog side of a frame's parent link. A frame whose shown content
// changed size asks its holder for a new layout before the next drawing.
class FrameParent {
 public:
  virtual ~FrameParent() = default;
  virtual void child_resized(Frame& child) = 0;
};

// A panel. Its pose is its coordinate system: the position is the panel's
// centre, the rotation its axes, and the box size the coordinate system
// carries beside its position is the panel's volume (width, height, depth)
// in the parent's units. Drawing is fixed-function OpenGL on the thread that
// owns the context.
//
// Copies and moves take every field, the three functions and the parent
// link included. The destructor is virtual: a dialog deletes its children
// through Frame*.
class Frame : public SimpleOption {
 public:
  using Vec3 = std::array<float, 3>;
  using Color = std::array<float, 4>;
  // Lower corner, then upper corner.
  using Bounds = std::array<Vec3, 2>;
  using Action = std::function<void()>;

  explicit Frame(Action callback = {});
  Frame(const Frame&) = default;
  Frame& operator=(const Frame&) = default;
  Frame(Frame&&) = default;
  Frame& operator=(Frame&&) = default;
  ~Frame() override;

  // Draws the content in the frame's own coordinates.
  virtual void render() = 0;
  // Places the frame (applies its pose to the current matrix) and draws it.
  virtual void display() = 0;
  // Recomputes vol() from the content.
  virtual void calculate_volume() = 0;

  CoordinateSystem& coord_sys() { return coord_sys_; }
  const CoordinateSystem& coord_sys() const { return coord_sys_; }
  Vec3& vol() { return coord_sys_.volume(); }
  const Vec3& vol() const { return coord_sys_.volume(); }
  // Width and height.
  std::array<float, 2> area() const { return {vol()[0], vol()[1]}; }

  // Left, bottom, right, top.
  std::array<float, 4> margins() const { return margins_; }
  void margins(float left, float bottom, float right, float top) {
    margins_ = {left, bottom, right, top};
  }
  void margins(const std::array<float, 4>& m) { margins_ = m; }

  int selectable() const { return selectable_; }
  void selectable(int v) { selectable_ = v; }
  int selected() const { return selected_; }
  // 0 also deactivates.
  void selected(int v);
  int activated() const { return activated_; }
  // Non-zero also selects.
  void activated(int v);

  Action& callback() { return callback_; }
  const Action& callback() const { return callback_; }

  // The arrow actions. next() and back() run the function and answer 0, or
  // answer 1 and do nothing when none is set.
  int next();
  int back();
  void next(Action f) { next_ = std::move(f); }
  void back(Action f) { back_ = std::move(f); }
  Action& get_next() { return next_; }
  const Action& get_next() const { return next_; }
  Action& get_back() { return back_; }
  const Action& get_back() const { return back_; }

  Color& bg_color() { return bg_color_; }
  const Color& bg_color() const { return bg_color_; }

  // (centre - size/2, centre + size/2).
  static Bounds bounding_box(const Vec3& centre, const Vec3& size);
  // Recomputes the box from the position and vol() (parent coordinates),
  // stores it and returns the stored box.
  Bounds& bounding_box();
  // The stored box, as last computed or assigned.
  const Bounds& bounding_box() const { return bounding_box_; }

  // Whether p lies in the box of vol() centred on the frame's origin, testing
  // the first n axes (at most 3); bounds count as inside. With parent_coords p
  // is first taken into the frame's axes. A frame whose first n extents are
  // all 0 contains nothing and stores nothing; otherwise the answer goes to
  // was_inside() and, when inside, the first n local coordinates to
  // last_inside().
  bool inside_volume(const float* p, bool parent_coords, int n = 3);
  bool inside_volume(const Vec3& p, bool parent_coords, int n = 3) {
    return inside_volume(p.data(), parent_coords, n);
  }
  bool inside_area(const float* p, bool parent_coords) {
    return inside_volume(p, parent_coords, 2);
  }
  bool inside_area(const Vec3& p, bool parent_coords) { return inside_volume(p, parent_coords, 2); }
  Vec3 last_inside() const { return last_inside_; }
  bool was_inside() const { return was_inside_; }

  // Multiplies the current matrix by the pose: the whole pose when the
  // rotation is switched on, else the translation when that is on.
  void apply_pose() const;
  // The display of frames without one of their own: the pose, the pressed
  // offset while selectable and activated, then render(); the matrix is as
  // before afterwards.
  void default_display();
  // The background over the stored bounding box, in the frame's pose; nothing
  // for a background alpha of 0.
  void render_bg() const;
  // A flat quad of the colour over the box's x and y extent at its centre
  // (unlit). Alpha 1 draws opaque with depth writes; any other alpha blends
  // and leaves depth alone; alpha 0 draws nothing. The state and the matrix
  // are as before afterwards.
  void render_bg(const Color& color, const Vec3& min, const Vec3& max) const;

  // The dialog that holds the frame (borrowed); set by the dialog.
  FrameParent* parent = nullptr;
  // Marks the button that leaves its dialog.
  bool is_back = false;

 protected:
  // Translation while selectable and activated: the frame sinks back.
  Vec3 pressed_offset_{0.0f, 0.0f, -0.025f};

 private:
  CoordinateSystem coord_sys_;
  std::array<float, 4> margins_{};
  int selectable_ = 1;
  int selected_ = 0;
  int activated_ = 0;
  Action callback_;
  Vec3 last_inside_{};
  bool was_inside_ = false;
  Color bg_color_{0.0f, 0.0f, 0.0f, 0.75f};
  Bounds bounding_box_{};
  Action next_;
  Action back_;
};
