// PoolMenus: the key and gamepad images beside the dialog that takes input,
// and the text labels at the buttons of the VR hand controllers.
#include <iostream>

#include "engine/controller_button_locations.h"
#include "game/app/pool_engine.h"
#include "game/menus/pool_menus.h"
#include "render/texture.h"
#include "ui/dialog.h"

namespace {

// Between a hint and its item, and in front of the dialog.
constexpr float kHintGap = 0.005f;
constexpr float kHintDepth = 0.005f;
constexpr float kLabelTextSize = 0.01f;
constexpr double kLabelPeriod = 1.0 / 90.0;

struct LabelSpec {
  const char* button;
  const char* text;
  Vec3 offset;
};
constexpr LabelSpec kLabels[] = {
    {"trackpad", "Move", {0.0f, 0.008f, 0.0f}},
    {"menu", "Menu", {0.0f, 0.008f, 0.0f}},
    {"trigger", "Select", {0.0f, -0.008f, 0.0f}},
    {"left_grip", "Place\nball", {-0.028f, 0.0f, 0.0f}},
    {"right_grip", "Place\nball", {0.028f, 0.0f, 0.0f}},
    {"system", "System", {0.0f, 0.008f, 0.0f}},
};

std::string label_name(int controller, const std::string& button) {
  return "help_" + std::to_string(controller) + "_" + button;
}

}  // namespace

int PoolMenus::load_hint_images() {
  if (!engine) return 0;
  int errors = 0;
  for (const char* name : kHintImages) {
    const std::string path =
        engine->settings().find_texture(std::string("controls/") + name + ".png");
    if (path.empty()) continue;
    Texture image;
    if (const int r = image.load_png(path, true, true, true); r != 0) {
      std::cerr << "Error " << r << " in load_png()" << std::endl;
      errors += r;
      continue;
    }
    Decal& decal = hint(name);
    static_cast<TextureGL&>(decal) = image;
    decal.init();
    decal.visible = false;
  }
  return errors;
}

Decal& PoolMenus::hint(const std::string& name) {
  return hint_images[name];
}

void PoolMenus::place_control_hints() {
  for (auto& [name, image] : hint_images) image.visible = false;
  if (!engine || !engine->awaiting_human_input()) return;
  Dialog* d = current_dialog();
  if (!d) return;
  const bool gamepad = engine->menu_controller() == ControllerType::gamepad;
  place_hint(hint(gamepad ? "gamepad_A" : "keyboard_Enter"), *d,
             [](const Frame& f) { return f.selectable() && (f.selected() || f.activated()); });
  place_hint(hint(gamepad ? "gamepad_B" : "keyboard_Esc"), *d,
             [](const Frame& f) { return !f.selected() && !f.activated() && f.is_back; });
}

void PoolMenus::place_hint(Decal& image, Dialog& d, const std::function<bool(const Frame&)>& test,
                           float height, bool left) {
  Frame* item = nullptr;
  for (Frame* child : d.children()) {
    if (child && test(*child)) {
      item = child;
      break;
    }
  }
  if (!item) {
    image.visible = false;
    return;
  }
  // The size first: the offset from the item depends on the image's width.
  image.height = height != 0.0f ? height : hint_scale * item->vol()[1];
  const float aspect =
      image.TextureGL::width > 0 && image.TextureGL::height > 0
          ? static_cast<float>(image.TextureGL::width) / static_cast<float>(image.TextureGL::height)
          : 1.0f;
  image.width = image.height * aspect;

  Vec3 p = item->coord_sys().position();
  p[0] += (left ? -1.0f : 1.0f) * ((image.width + item->vol()[0]) / 2.0f + kHintGap);
  p[2] += kHintDepth;
  CoordinateSystem& pose = image;
  pose = d.frame().coord_sys();
  pose.position() = d.frame().coord_sys().local2global(p);
  image.visible = true;
  image.depth_test = d.depth_test();
}

Dialog* PoolMenus::current_dialog() {
  for (auto& [name, menu] : menus)
    if (menu->enabled()) return menu;
  if (!engine || !engine->awaiting_human_input()) return nullptr;
  // The shot is on its way: the dialog its button hid stays hidden, and
  // Enter meanwhile presses nothing.
  if (!engine->paused() && engine->stroke_coming()) return nullptr;
  const int step = engine->shot_wizard.current_step_index();
  static constexpr const char* kStepDialogs[4] = {"ball in hand", "ball", "pocket", "shoot"};
  // Shown again where its step puts it, or in front of the view while the
  // viewer cannot see that place.
  if (step == 1)
    choose_ball();
  else if (step == 2)
    choose_pocket();
  else if (step == 3)
    shoot();
  Dialog* last = nullptr;
  for (auto& [name, dialog] : wizard_dialogs) {
    const bool mine = step >= 0 && step < 4 && name == kStepDialogs[step];
    dialog->enable(mine);
    if (mine) last = dialog;
  }
  return last;
}

// ---- VR controller labels

void PoolMenus::init_vr_labels(int controller) {
  for (const LabelSpec& spec : kLabels)
    add_vr_label(controller, spec.button, spec.text, spec.offset);
}

Dialog* PoolMenus::add_vr_label(int controller, const std::string& button, const std::string& text,
                                const Vec3& offset) {
  if (!engine || controller < 0) return nullptr;
  const auto& tables = engine->button_locations();
  if (static_cast<std::size_t>(controller) >= tables.size()) return nullptr;
  const auto& buttons = tables[static_cast<std::size_t>(controller)].buttons();
  const auto location = buttons.find(button);
  if (location == buttons.end()) return nullptr;

  const std::string name = label_name(controller, button);
  if (const auto found = vr_labels.find(name); found != vr_labels.end()) return found->second;
  return create_vr_label(name, controller, to_vec3(location->second.data()) + offset, text);
}

Dialog* PoolMenus::create_vr_label(const std::string& name, int controller, const Vec3& at,
                                   const std::string& text) {
  if (!engine) return nullptr;
  Dialog* label = new_dialog(name);
  TextFrame& frame = label->frame();
  frame.text_size(kLabelTextSize, true);
  frame.selectable(0);
  frame.activated(0);
  frame.text_style().line_width(2.0f);
  label->add_text(text, false);
  for (TextFrame* line : label->text_frames()) line->shadow_text_style().enable(false);
  frame.bg_color()[3] = 0.0f;
  label->follow_player(0);

  const auto index = static_cast<std::size_t>(controller);
  engine->realtime_queue().run_periodically(
      [this, label, index, at] {
        if (!label->enabled() || index >= engine->controller_vbos().size()) return;
        VBO* model = engine->controller_vbos()[index];
        if (!model) return;
        label->frame().coord_sys().position() = model->coord_sys().local2global(at);
      },
      kLabelPeriod, {}, "orient " + name);
  vr_labels[name] = label;
  label->select_default_child();
  return label;
}

void PoolMenus::update_vr_labels() {
  set_vr_label_text(-1, "System", "system");
  set_vr_label_text(-1, "Move", "trackpad");
  std::string trigger = "Hold\nposition", grips;
  if (menus_active) {
    trigger = "Select";
  } else if (engine && engine->shot_wizard.current_step().name() == PoolEngine::kWizardSteps[0]) {
    trigger.clear();
    grips = "Place\nball";
  }
  set_vr_label_text(-1, trigger, "trigger");
  set_vr_label_text(-1, grips, "left_grip");
  set_vr_label_text(-1, grips, "right_grip");
}

void PoolMenus::set_vr_label_text(int controller, const std::string& text,
                                  const std::string& button) {
  if (controller == -1) {
    set_vr_label_text(0, text, button);
    set_vr_label_text(1, text, button);
    return;
  }
  const auto found = vr_labels.find(label_name(controller, button));
  if (found == vr_labels.end()) return;
  Dialog* label = found->second;
  const std::vector<TextFrame*> lines = label->text_frames();
  if (!lines.empty()) lines.front()->set_text(text);
  if (text.empty()) label->frame().disable();
}
