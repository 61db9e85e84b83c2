// Dialogs: building, layout, bounding boxes, drawing and the placement in
// front of a viewer. Selection and activation live in dialog_selection.cpp.
#include "ui/dialog.h"

#include <algorithm>
#include <cmath>
#include <optional>

#include "core/event_queue.h"
#include "core/timer.h"
#include "core/vector_math.h"
#include "render/gl.h"
#include "render/state_guards.h"
#include "ui/tex_frame.h"

Dialog::Dialog(std::string text, Action callback) : frame_(std::move(text), std::move(callback)) {
  frame_.selectable(frame_.callback() ? 1 : 0);
}

Dialog::~Dialog() = default;

// Building.

TextFrame* Dialog::add_button(std::string text, Action callback) {
  auto* button = new TextFrame(frame_);
  button->set_text(std::move(text));
  button->callback() = std::move(callback);
  add_button(button);
  return button;
}

void Dialog::add_button(Frame* f) {
  if (!f) return;
  f->selectable(1);
  f->parent = this;
  add(f);
  rearrange_ = true;
}

TextFrame* Dialog::add_text(std::string text, bool selectable) {
  TextFrame* line = add_button(std::move(text), {});
  line->selectable(selectable ? 1 : 0);
  return line;
}

TextFrame* Dialog::add_menu_button(std::string text, Dialog* target) {
  return add_button(std::move(text), [this, target] {
    frame_.enable(false);
    if (target) target->enable(true);
  });
}

Slider* Dialog::add_slider(Slider::ValueCallback callback, float value, Slider::Limits limits,
                           Vec3 size) {
  auto* slider = new Slider(std::move(callback), value, limits, size);
  add_button(slider);
  return slider;
}

TextFrame* Dialog::set_text(std::string text, int n) {
  if (n < 0) return nullptr;
  std::vector<TextFrame*> lines = text_frames();
  while (static_cast<int>(lines.size()) <= n) {
    add_text("", false);
    lines = text_frames();
  }
  TextFrame* line = lines[static_cast<std::size_t>(n)];
  line->set_text(std::move(text));
  calc_bounding_box(false);
  return line;
}

void Dialog::set_child_callbacks(std::function<void(int)> fn, bool closing) {
  const bool hide = closing && close_on_choice;
  const auto& list = children();
  for (std::size_t i = 0; i < list.size(); ++i) {
    if (!list[i]) continue;
    list[i]->callback() = [this, fn, i = static_cast<int>(i), hide] {
      if (hide) frame_.enable(false);
      if (fn) fn(i);
    };
  }
}

void Dialog::delete_children() {
  cursor_data_.index = -1;
  PointerTree<Frame>::delete_children();
  rearrange_ = true;
}

void DialogDeleter::operator()(Dialog* d) const {
  if (!d) return;
  d->delete_children();
  delete d;
}

// Layout and geometry.

void Dialog::arrange_children() {
  auto& list = children();
  if (std::none_of(list.begin(), list.end(), [](const Frame* f) { return f != nullptr; })) {
    selectable_children_ = 0;
    frame_.text_changed(false);
    return;
  }
  frame_.text_changed(false);
  for (Frame* f : list)
    if (f) f->calculate_volume();

  const int axis = (layout_dimension_ + 1) % 2;
  std::vector<Box<3, float>*> boxes = child_boxes();
  if (axis == 1) std::reverse(boxes.begin(), boxes.end());
  float total = 0.0f, mean = 0.0f;
  for (const Box<3, float>* b : boxes) {
    total += b->volume()[axis] + gap;
    mean += b->position()[axis];
  }
  total -= gap;
  mean /= static_cast<float>(boxes.size());
  float start = mean - total * 0.5f;
  for (Box<3, float>* b : boxes) {
    const float slot = b->volume()[axis] + gap;
    b->position()[axis] = start + slot * 0.5f;
    start += slot;
  }
  selectable_children_ = 0;
  for (Frame* f : list) {
    if (!f) continue;
    f->coord_sys().enable_translation(true);
    f->coord_sys().position()[axis] -= mean;
    if (f->selectable() && f->enabled()) ++selectable_children_;
  }
  calc_bounding_box(false);
  rearrange_ = false;
}

void Dialog::vertical_layout() {
  layout_dimension_ = 0;
  arrange_children();
}

void Dialog::horizontal_layout() {
  layout_dimension_ = 1;
  arrange_children();
}

void Dialog::child_resized(Frame&) {
  rearrange(true);
  calc_bounding_box(false);
}

void Dialog::calculate_volume() {
  std::optional<Bounds> all;
  for (Frame* f : children()) {
    if (!f) continue;
    f->calculate_volume();
    const Bounds b = Frame::bounding_box(f->coord_sys().position(), f->vol());
    if (!all) {
      all = b;
      continue;
    }
    for (int i = 0; i < 3; ++i) {
      (*all)[0][i] = std::min((*all)[0][i], b[0][i]);
      (*all)[1][i] = std::max((*all)[1][i], b[1][i]);
    }
  }
  Vec3 extent{};
  if (all)
    for (int i = 0; i < 3; ++i) extent[i] = (*all)[1][i] - (*all)[0][i];
  vol() = extent;
  frame_.vol() = extent;
}

Frame::Bounds& Dialog::calc_bounding_box(bool from_frame) {
  Bounds box{};
  if (from_frame) box = Frame::bounding_box(frame_.coord_sys().position(), frame_.vol());
  for (Frame* f : children()) {
    if (!f) continue;
    const Bounds& b = f->bounding_box();
    for (int i = 0; i < 3; ++i) {
      box[0][i] = std::min(box[0][i], b[0][i]);
      box[1][i] = std::max(box[1][i], b[1][i]);
    }
  }
  Bounds& stored = frame_.bounding_box();
  stored = box;
  return stored;
}

std::vector<Box<3, float>*> Dialog::child_boxes() {
  std::vector<Box<3, float>*> boxes;
  for (Frame* f : children())
    if (f) boxes.push_back(&f->coord_sys());
  return boxes;
}

std::vector<const Box<3, float>*> Dialog::child_boxes() const {
  std::vector<const Box<3, float>*> boxes;
  for (const Frame* f : children())
    if (f) boxes.push_back(&f->coord_sys());
  return boxes;
}

void Dialog::hide_bg() {
  frame_.bg_color()[3] = 0.0f;
  for (Frame* f : children())
    if (f) f->bg_color()[3] = 0.0f;
}

// Queries.

void Dialog::enable(bool on) {
  frame_.enable(on);
  enabled_ = on;
}

int Dialog::first_child_index() const {
  const auto& list = children();
  for (std::size_t i = 0; i < list.size(); ++i)
    if (list[i]) return static_cast<int>(i);
  return -1;
}

namespace {

// The children that are T (const or not), in child order.
template <typename T>
std::vector<T*> children_of_type(const std::vector<Frame*>& list) {
  std::vector<T*> found;
  for (Frame* f : list)
    if (T* t = dynamic_cast<T*>(f)) found.push_back(t);
  return found;
}

}  // namespace

std::vector<TextFrame*> Dialog::text_frames() {
  return children_of_type<TextFrame>(children());
}

std::vector<const TextFrame*> Dialog::text_frames() const {
  return children_of_type<const TextFrame>(children());
}

std::vector<TexFrame*> Dialog::tex_frames() {
  return children_of_type<TexFrame>(children());
}

std::vector<const TexFrame*> Dialog::tex_frames() const {
  return children_of_type<const TexFrame>(children());
}

int Dialog::any_selectable() const {
  return enabled() && (frame_.selectable() || selectable_children_ != 0) ? 1 : 0;
}

// Drawing.

void Dialog::display() {
  if (disabled()) return;
  if (rearrange_) arrange_children();
  const CurrentColorGuard color;
  glPushAttrib(GL_ALL_ATTRIB_BITS);
  if (depth_test_)
    glEnable(GL_DEPTH_TEST);
  else
    glDisable(GL_DEPTH_TEST);
  frame_.render_bg();
  glPushMatrix();
  frame_.display();
  const auto& list = children();
  for (std::size_t i = 0; i < list.size(); ++i) {
    Frame* f = list[i];
    if (!f || !f->enabled()) continue;
    const bool cursor_here = cursor_data_.index >= 0 &&
                             static_cast<std::size_t>(cursor_data_.index) == i && f->selectable();
    // selected(0) also releases a press; a selected child keeps its own.
    f->selected(cursor_here ? 1 : 0);
    glPushMatrix();
    f->display();
    glPopMatrix();
  }
  glPopMatrix();
  glPopAttrib();
}

void Dialog::render() {
  frame_.render();
}

// Placement.

void Dialog::face(CoordinateSystem& pose, const Vec3& origin, const Vec3& target) {
  // Turned so the z axis points at the target: the text reads left to right
  // from there and the x axis is the viewer's right.
  pose.look_at(origin, target, {0.0f, 1.0f, 0.0f}, true);
}

Dialog::OrientFunc& Dialog::billboard_callback(const CoordinateSystem& viewer,
                                               std::array<float, 3> offset,
                                               std::vector<Event*>* events) {
  const CoordinateSystem* v = &viewer;
  orient_func_ = [this, v, offset, events](bool force) { orient(*v, offset, events, force); };
  return orient_func_;
}

void Dialog::orient(const CoordinateSystem& viewer, const Vec3& offset, std::vector<Event*>* events,
                    bool force) {
  if (disabled() || (!follow_player_ && !follow_player_rotation_)) return;
  CoordinateSystem& pose = frame_.coord_sys();
  if (follow_player_rotation_ && !follow_player_) {
    face(pose, pose.position(), viewer.position());
    return;
  }
  if (max_angle > 0.0f && !force) {
    // Clamped: a dot product a rounding above 1 would make acos NaN.
    const float c = std::clamp(dot(viewer.zhat(), pose.zhat()), -1.0f, 1.0f);
    if (std::acos(c) / kDegToRad < max_angle) return;
  }
  const Vec3 target = viewer.position() + offset;
  if (follow_limit_1 <= 0.0f && follow_limit_2 <= 0.0f && !force && max_angle <= 0.0f &&
      cursor_data_.index >= 0)
    return;

  std::optional<Vec3> placed;
  if (distance != 0.0f) {
    Vec3 d = viewer.zhat_array();
    if (drop_axis >= 0 && drop_axis < 3) d[static_cast<std::size_t>(drop_axis)] = 0.0f;
    // A viewer looking straight along the dropped axis leaves no direction
    // to place the dialog in: it stays where it is.
    if (dot(d, d) > 1e-12f) placed = target - normalized(d) * distance;
  }

  EventQueue* queue = frame_.queue();
  if (move_time != 0.0 && queue) {
    if (!placed) return;
    const double t0 = queue->time();
    float* position = pose.position().data();
    placement_fader_.init(3, position, position, placed->data(), t0, move_time,
                          "BezierFaderBuffered");
    // The fader writes the end position at its stop, after the last update:
    // the turn follows it there too, or a frame that passes the end in one
    // step (a long first move at a low frame rate) leaves the dialog turned
    // from where it was.
    const auto turn = [this, target](double) {
      CoordinateSystem& cs = frame_.coord_sys();
      face(cs, cs.position(), target);
    };
    placement_event_.init("Billboard", t0, move_time, {}, turn, turn, {});
    if (events) {
      events->push_back(&placement_fader_);
      events->push_back(&placement_event_);
    }
    queue->add(&placement_fader_);
    queue->add(&placement_event_);
    return;
  }
  face(pose, placed ? *placed : pose.position(), target);
}

int Dialog::move_to(std::array<float, 3> target, double duration, double) {
  position_fader_.init(3, position_buffer_.data(), position_buffer_.data(), target.data(),
                       time_origin(), duration, "BezierFaderBuffered");
  return 0;
}

bool Dialog::placement_under_way() const {
  return placement_fader_.queue() && !placement_fader_.stop_called();
}

bool Dialog::move_in_progress() const {
  const double now = time_origin();
  const auto& span = position_fader_.epochs();
  return span[0] < now && now < span[1];
}
