// Dialog: a named panel of child frames (buttons, text lines, lists,
// toggles, sliders, images) stacked vertically or horizontally, drawn with
// its background in the 3-D scene, chosen with a pointer ray, the arrow keys
// and clicks, and turned or moved to face a viewer; CursorData, the hit of a
// pointer on a dialog.
#pragma once

#include <array>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "core/bezier_fader.h"
#include "core/event.h"
#include "core/named.h"
#include "ui/frame.h"
#include "ui/pointer_tree.h"
#include "ui/slider.h"
#include "ui/text_frame.h"

class TexFrame;

// A pointer's hit on a dialog: the child hit (-1 none) and the ray parameter
// from the pointer's origin to the dialog's plane.
struct CursorData {
  int index = -1;
  float distance = 0.0f;

  bool valid() const { return index >= 0 && distance > 0.0f; }
  // Equal indices and exactly equal distances.
  bool operator==(const CursorData& other) const = default;
};

// The dialog's own text frame, frame(), carries the title or message, the
// dialog's pose in the scene (its coordinate system), the dialog's enable
// flag, background and bounding box. The children are placed in the
// dialog's local coordinates.
//
// Ownership: the dialog owns the frames it creates and the frames handed to
// add_button(Frame*), and frees them only in delete_children(); its
// destructor leaves the children alone. Copies and moves take every member,
// the child pointers as they stand, so copies share their children (whose
// parent link names the dialog that adopted them).
//
// Main thread only; drawing needs the OpenGL context.
class Dialog : public Named, public PointerTree<Frame>, public Frame, public FrameParent {
 public:
  using Vec3 = Frame::Vec3;
  using Bounds = Frame::Bounds;
  using OrientFunc = std::function<void(bool force)>;

  // frame() gets the text and the callback, and is selectable exactly when
  // the callback is set.
  explicit Dialog(std::string text = "", Action callback = {});
  Dialog(const Dialog&) = default;
  Dialog& operator=(const Dialog&) = default;
  Dialog(Dialog&&) = default;
  Dialog& operator=(Dialog&&) = default;
  ~Dialog() override;

  // Building. Each new child is selectable, has this dialog as its parent
  // and asks for a new layout before the next drawing.
  //
  // A button copied from frame() (styles, sizes, margins, alignment,
  // background and pose) with this text and click action.
  TextFrame* add_button(std::string text, Action callback);
  // Adopts a frame (null is ignored); the dialog owns it from then on.
  void add_button(Frame* f);
  // A line of text; selectable as asked.
  TextFrame* add_text(std::string text, bool selectable);
  // A button that hides this dialog and shows target.
  TextFrame* add_menu_button(std::string text, Dialog* target);
  Slider* add_slider(Slider::ValueCallback callback, float value, Slider::Limits limits, Vec3 size);
  // Sets the text of the n-th text-frame child (counting only TextFrames,
  // from 0), first appending empty, unselectable lines while there are n or
  // fewer; returns that child.
  TextFrame* set_text(std::string text, int n);
  // Every child i's click action becomes fn(i); with closing, the action
  // first hides the dialog when close_on_choice is set at this call.
  void set_child_callbacks(std::function<void(int)> fn, bool closing);
  // Frees the children and clears the cursor.
  void delete_children();

  // Layout. Children are stacked along y (layout 0, the first on top) or x
  // (layout 1, the first on the left), each centred in a slot of its size
  // plus gap, the slots laid end to end and centred on the origin.
  void arrange_children();
  void vertical_layout();
  void horizontal_layout();
  int layout_dimension() const { return layout_dimension_; }
  // Stores n % 2 (truncating, so -1 stays -1); no new layout.
  void layout_dimension(int n) { layout_dimension_ = n % 2; }
  bool rearrange() const { return rearrange_; }
  void rearrange(bool on) { rearrange_ = on; }
  // A child's content changed size: lay out again before the next drawing.
  void child_resized(Frame& child) override;

  // Volume of the union of the children's boxes, into both this frame's and
  // frame()'s volume; (0, 0, 0) without children.
  void calculate_volume() override;
  // frame()'s box (from its own position and volume when from_frame is set,
  // else from the origin) widened by every child's box; stored as frame()'s
  // bounding box, in the dialog's local coordinates.
  Bounds& calc_bounding_box(bool from_frame);
  // Each non-null child's position-and-size box, in child order.
  std::vector<Box<3, float>*> child_boxes();
  std::vector<const Box<3, float>*> child_boxes() const;
  // No background on frame() or on any child.
  void hide_bg();

  // Queries.
  TextFrame& frame() { return frame_; }
  const TextFrame& frame() const { return frame_; }
  // Shows or hides the dialog (frame()'s flag).
  void enable(bool on) override;
  bool enabled() const { return frame_.enabled(); }
  bool disabled() const { return !frame_.enabled(); }
  // The first non-null child, -1 when none.
  int first_child_index() const;
  std::vector<TextFrame*> text_frames();
  std::vector<const TextFrame*> text_frames() const;
  std::vector<TexFrame*> tex_frames();
  std::vector<const TexFrame*> tex_frames() const;
  bool depth_test() const { return depth_test_; }
  void depth_test(bool on) { depth_test_ = on; }
  int follow_player() const { return follow_player_; }
  void follow_player(int v) { follow_player_ = v; }
  int follow_player_rotation() const { return follow_player_rotation_; }
  void follow_player_rotation(int v) { follow_player_rotation_ = v; }
  OrientFunc& orient_func() { return orient_func_; }
  const OrientFunc& orient_func() const { return orient_func_; }
  // Selectable enabled children, counted at the last layout.
  long long selectable_children() const { return selectable_children_; }
  // 1 when enabled and either frame() is selectable or the last layout
  // counted selectable children.
  int any_selectable() const;
  // Steady-clock seconds of the last click that ran an action.
  double last_click_time() const { return last_click_time_; }

  // Drawing: lays out when due, sets the depth test as depth_test() says,
  // draws the background, the text of frame() and then each enabled child
  // in the dialog's pose, the cursor's child shown selected. The attributes
  // and the matrix are as before afterwards, except the depth test.
  void display() override;
  // frame()'s text.
  void render() override;

  // Selection and activation.
  //
  // The hit of a pointer's ray (origin at its position, along its z axis,
  // backward along -z when backward is set) on the dialog's plane: the child
  // under it (-1 none) and the ray parameter. Empty (-1, 0) when the dialog
  // is disabled, has no selectable children or the ray misses the plane. A
  // hit child's selected flag becomes its selectable flag.
  CursorData cursor_callback(const CoordinateSystem* pointer, bool backward, bool unused = false);
  // The last applied hit; its index is the cursor, the child display() shows
  // selected.
  const CursorData& cursor_data() const { return cursor_data_; }
  // Applies a hit: -1 when skip_same and it equals the stored hit (nothing
  // changes); otherwise stores it (an invalid stored hit reaching a child
  // gets the distance 100), selects the hit child and deselects the other
  // selectable enabled ones; 0 when a child was hit, else 1.
  int cursor_data(const CursorData& hit, bool skip_same);
  // Moves the cursor to the nearest selectable enabled child in the
  // direction (projected on the dialog's plane, in one of `sectors` equal
  // sectors, sector 0 centred on +x, counting counter-clockwise); with wrap
  // and nothing there, to the farthest in the opposite sector; with
  // pass_to_child and still nothing, hands the push to the cursor's child
  // (next() for the first half of the sectors, back() for the rest). True
  // when the cursor moved or the child took the push. Without a cursor it
  // clears every child's selection and answers false; 0 sectors answer
  // false.
  bool move_selection(std::array<float, 3> direction, unsigned int sectors, bool wrap,
                      bool pass_to_child);
  // A press (state != 0) marks the cursor's child pressed when the cursor is
  // on a selectable enabled child, else every selectable enabled child; a
  // release (state 0) runs the action of the first such child (with
  // only_activated and two or more of them, the first pressed one),
  // releases it, stamps the click time and answers 0. 1 when no action ran.
  int click(int state, bool only_activated);
  // Selects the first non-null selectable child (enabled or not) and puts
  // the cursor on it (distance 100 unless the cursor has one); its index,
  // or -1 without changes.
  int select_default_child();
  // The first non-null, enabled child (selectable when only_selectable)
  // whose area holds p (in the dialog's local coordinates when
  // parent_coords); -1 when none.
  int point_in_child(const Vec3& p, bool parent_coords, bool only_selectable) const;
  // -1 when p lies in frame()'s area, else the child holding p, else -2.
  int get_in_bounds(const float* p, bool parent_coords);
  int get_in_bounds(const Vec3& p, bool parent_coords) {
    return get_in_bounds(p.data(), parent_coords);
  }
  // Whether origin + t dir lies in frame()'s area; with check, false when
  // frame() is not selectable or not enabled.
  bool ray_hits_text(float t, const float* origin, const float* dir, bool check);

  // Placement.
  //
  // Installs and returns the orientation function, called with a force
  // flag: it turns the dialog in place toward the viewer (follow only the
  // rotation), or, when the viewer's z axis has turned max_angle degrees
  // or more away from the dialog's (or when forced), places the dialog
  // `distance` in front of the viewer (the viewer's z axis with drop_axis
  // zeroed), facing the viewer's position + offset: animated over move_time
  // on frame()'s queue when it has one (the placement fader and the event
  // "Billboard" are also appended to *events when given), else at once. A
  // placed dialog's z axis points toward the viewer. The viewer is held by
  // reference and must outlive the function.
  OrientFunc& billboard_callback(const CoordinateSystem& viewer, std::array<float, 3> offset,
                                 std::vector<Event*>* events);
  // Prepares position_fader() to move position_buffer() to target over
  // duration seconds from now; queues nothing. 0.
  int move_to(std::array<float, 3> target, double duration, double unused = 0.0);
  // Now lies strictly inside position_fader()'s span.
  bool move_in_progress() const;
  // An animated placement of the orientation function has not ended yet:
  // its fader is queued and has not stopped.
  bool placement_under_way() const;
  BezierFaderBuffered<float>& position_fader() { return position_fader_; }
  std::array<float, 3>& position_buffer() { return position_buffer_; }

  // Distance in front of the viewer of a placed dialog.
  static constexpr float kPlacedDistance = 0.8f;
  float distance = kPlacedDistance;
  // Placement gates of the orientation function.
  float follow_limit_1 = 0.5f;
  float follow_limit_2 = 2.0f;
  // Degrees between the viewer's and the dialog's z axes that make a
  // following dialog move.
  float max_angle = 40.0f;
  // Component of the viewer's z axis zeroed before placing (-1 none).
  int drop_axis = -1;
  // Seconds of an animated placement; 0 places at once.
  double move_time = 0.2;
  // Actions installed by set_child_callbacks with closing hide the dialog.
  bool close_on_choice = false;
  // The engine plays its menu sounds for this dialog.
  bool sounds = true;
  // Space between stacked children.
  float gap = 0.0f;
  // Back with nothing below it on the menu stack leaves this dialog open.
  bool stay_open = false;

 private:
  // The child's index when it is non-null, selectable and enabled.
  bool choosable(int i) const;
  // Turns the pose so its z axis points from origin toward target.
  static void face(CoordinateSystem& pose, const Vec3& origin, const Vec3& target);
  void orient(const CoordinateSystem& viewer, const Vec3& offset, std::vector<Event*>* events,
              bool force);

  bool depth_test_ = true;
  TextFrame frame_;
  OrientFunc orient_func_;
  int layout_dimension_ = 0;
  int follow_player_ = 1;
  int follow_player_rotation_ = 1;
  double last_click_time_ = 0.0;
  long long selectable_children_ = 0;
  BezierFaderBuffered<float> position_fader_;
  std::array<float, 3> position_buffer_{};
  CursorData cursor_data_;
  BezierFaderBuffered<float> placement_fader_;
  Event placement_event_;
  bool rearrange_ = true;
};

// Frees a dialog together with its children: the deleter of a dialog's one
// owner, which never copies it.
struct DialogDeleter {
  void operator()(Dialog* d) const;
};
using DialogPtr = std::unique_ptr<Dialog, DialogDeleter>;
