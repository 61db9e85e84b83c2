// BasicEngine: the registered dialogs, kept facing the viewer, pointed at,
// clicked, sorted far to near, and their texts changed between frames.
#include <algorithm>
#include <cmath>
#include <iostream>
#include <memory>
#include <utility>

#include "engine/basic_engine.h"
#include "ui/dialog.h"

// What the orientation event of one registration keeps between its runs.
struct BasicEngine::DialogOrientState {
  // Cleared by remove_dialog: the event ends at its next run without
  // touching the dialog.
  bool registered = true;
  // The dialog was enabled at the last run; starts as the negation of its
  // state at registration, so an enabled dialog is forced at the first run.
  bool was_enabled = false;
  float height_tolerance = 0.0f;
  Dialog::OrientFunc orient;
};

namespace {

// Farther first; a distance that is not a number after every other.
bool farther(float a, float b) {
  if (std::isnan(a)) return false;
  if (std::isnan(b)) return true;
  return a > b;
}

}  // namespace

BasicEngine& BasicEngine::add_dialog(Dialog* d) {
  return add_dialog(d, dialogs_, 0.8f);
}

BasicEngine& BasicEngine::operator+=(Dialog* d) {
  return add_dialog(d);
}

BasicEngine& BasicEngine::add_dialog(Dialog* d, std::list<Dialog*>& list, float height_tolerance) {
  if (!d) return *this;
  d->frame().queue(&realtime_queue());
  list.push_back(d);
  d->billboard_callback(mouse_look_.coord_sys(), {0.0f, 0.0f, 0.0f}, nullptr);
  d->orient_func()(true);

  auto state = std::make_shared<DialogOrientState>();
  state->was_enabled = !d->enabled();
  state->height_tolerance = height_tolerance;
  state->orient = d->orient_func();
  dialog_orient_states_.emplace(d, state);
  const double period = std::min(0.5, d->move_time);
  Event* e = queue_periodic(realtime_queue(), "auto orient", period, {});
  // The event ends itself through its own link once the dialog is removed.
  e->update_callback() = [this, d, state, e](double) {
    if (!state->registered) {
      e->clear();
      return;
    }
    const bool enabled = d->enabled();
    // A placement under way is left to end, the flag kept for the next
    // run: restarted from where the dialog stands at every run, it would
    // never move while a frame takes as long as the period (a menu opened
    // at a low frame rate, with the viewer turned, would stay out of view).
    if (enabled && d->placement_under_way()) return;
    if (enabled && state->height_tolerance > 0.0f) {
      const float height = dot(
          d->frame().coord_sys().position() - mouse_look_.coord_sys().position(), up_direction());
      state->orient(!state->was_enabled || std::fabs(height) > state->height_tolerance);
    }
    state->was_enabled = enabled;
  };
  return *this;
}

void BasicEngine::remove_dialog(const Dialog* d) {
  if (!d) return;
  const auto [first, last] = dialog_orient_states_.equal_range(d);
  for (auto it = first; it != last; ++it) it->second->registered = false;
  dialog_orient_states_.erase(first, last);
  dialogs_.remove_if([d](const Dialog* x) { return x == d; });
  std::erase(sorted_dialogs_, d);
  std::erase(ortho_dlgs_, d);
  if (selected_dialog_ == d) selected_dialog_ = nullptr;
}

void BasicEngine::update_dialogs_periodically(double period) {
  queue_periodic(realtime_queue(), "Update dialogs", period, [this] {
    if (pointer_input_recent()) point_at_dialogs();
    update_dialogs();
  });
}

void BasicEngine::sort_dialogs_periodically(double period) {
  queue_periodic(realtime_queue(), "Sort dialogs", period, [this] { sort_dialogs(); });
}

bool BasicEngine::pointer_input_recent() const {
  return recent(last_mouse_time(), mouse_timeout()) || joystick_look_active() ||
         !controllers_.empty();
}

bool BasicEngine::clickable(const Dialog* d) {
  return d && d->enabled() && d->selectable_children() != 0;
}

void BasicEngine::point_at_dialogs() {
  for (Dialog* d : dialogs_) {
    if (!clickable(d)) continue;
    bool hit = false;
    // Every pose is tried: a later hit overrides an earlier one.
    for (const CoordinateSystem* pose : pointer_coordsys_) {
      if (!pose) continue;
      const CursorData c = d->cursor_callback(pose, true, false);
      if (!c.valid()) continue;
      d->cursor_data(c, true);
      selected_dialog_ = d;
      hit = true;
    }
    // The first dialog hit in registration order takes the pointer.
    if (hit) return;
  }
}

void BasicEngine::update_dialogs() {
  process_mouse_button_events([this](int state) { click_dialogs(state); }, 0);
}

void BasicEngine::click_dialogs(int state) {
  // Taken before any action runs: a dialog that an action shows never saw
  // this click's press and waits for the next click.
  std::vector<Dialog*> clicked;
  for (Dialog* d : dialogs_)
    if (clickable(d)) clicked.push_back(d);
  for (Dialog* d : clicked) {
    // An earlier dialog's action may have hidden this one.
    if (!clickable(d)) continue;
    d->click(state == 1, true);
    if (state != 1 && d->sounds) play_menu_select_sound(&d->frame().coord_sys());
  }
}

void BasicEngine::sort_dialogs() {
  const Vec3& viewer = mouse_look_.coord_sys().position();
  std::vector<std::pair<float, Dialog*>> keyed;
  for (Dialog* d : dialogs_)
    if (d && d->enabled()) keyed.emplace_back(d->frame().coord_sys().distance(viewer), d);
  std::stable_sort(keyed.begin(), keyed.end(),
                   [](const auto& a, const auto& b) { return farther(a.first, b.first); });
  sorted_dialogs_.clear();
  for (const auto& [distance, d] : keyed) sorted_dialogs_.push_back(d);
}

void BasicEngine::set_dialog_text(Dialog* d, std::string text) {
  auto e = std::make_unique<Event>(
      "Set dlg text: '" + text + "'", realtime_queue().time(), 0.0,
      [this, d, text](double) {
        if (quit_ != 0 || !d) return;
        std::cout << "set_dialog_text()" << std::endl;
        d->set_text(text, 0);
      },
      nullptr, nullptr, nullptr);
  // Runs at the next advance even when the queue's time stands still.
  e->monotonic(false);
  realtime_queue().adopt(std::move(e));
}

void BasicEngine::set_frame_text(TextFrame* f, std::string text) {
  if (!f) return;
  enqueue([f, text = std::move(text)] { f->set_text(text); }, 0.0);
}
