// PoolEngine: the intro — the two logos over the fade overlay, the
// computer-against-computer game that starts behind them and the viewer's
// walk to the table — and the overlay pass that draws the fades.
#include <memory>
#include <utility>

#include "core/bezier_fader.h"
#include "engine/controller_tutorial.h"
#include "game/app/pool_engine.h"
#include "render/gl.h"
#include "ui/dialog.h"
#include "ui/tex_frame.h"

namespace {

// The intro's steps, in seconds from its start.
constexpr double kLogoChange = 2.0 * PoolEngine::kIntroFade;
constexpr double kGameStart = 4.0 * PoolEngine::kIntroFade;
constexpr double kIntroEnd = 5.0 * PoolEngine::kIntroFade;
// The gamepad buttons flashed at the end (XInput masks: A, D-pad left) and
// their period.
constexpr int kFlashButtons[] = {0x1000, 0x0004};
constexpr double kFlashPeriod = 0.5;

// A logo over the view: the image at `height`, then the caption when there
// is one, on no background, hidden, in the engine's overlay dialogs.
DialogPtr logo_dialog(PoolEngine& engine, const char* image, float height, const char* caption) {
  DialogPtr d(new Dialog());
  d->depth_test(false);
  auto* picture = new TexFrame(engine.settings().find_texture(image), "", height);
  d->add_button(picture);
  picture->selectable(0);
  if (caption) {
    TextFrame* text = d->add_text(caption, false);
    text->text_style().line_width(3.0f);
    text->text_style().line_color(1.0f, 1.0f, 1.0f, 1.0f);
  }
  d->hide_bg();
  d->frame().disable();
  engine.ortho_dlgs().push_back(d.get());
  return d;
}

}  // namespace

Dialog* PoolEngine::maker_logo_dialog() {
  if (!maker_logo) maker_logo = logo_dialog(*this, kMakerLogo, 0.065f, "presents");
  return maker_logo.get();
}

Dialog* PoolEngine::product_logo_dialog() {
  if (!product_logo) product_logo = logo_dialog(*this, kProductLogo, 0.05f, nullptr);
  return product_logo.get();
}

std::array<Vec3, 3> PoolEngine::intro_waypoints() const {
  const Vec3& h = table.half_extents;
  return {Vec3{-1.5f, 1.2f, -1.0f}, Vec3{-5.0f, -0.2f, -1.0f},
          Vec3{-h[0] - 0.8f, h[1] - 0.02f, 0.0f}};
}

void PoolEngine::allow_pausing() {
  if (!in_intro) pause_allowed(true);
}

void PoolEngine::intro() {
  in_intro = true;
  pause_allowed(false);
  product_logo_dialog()->enable(false);
  for (auto& [name, dialog] : menus.wizard_dialogs)
    if (dialog) dialog->enable(false);

  // The overlay clears over the first fade, darkens and clears around the
  // change of logos, and darkens and clears again around the game's start.
  fade_in(kIntroFade, 0.0);
  maker_logo_dialog()->enable(true);
  fade_out_in(kIntroFade, kIntroFade, kLogoChange - kIntroFade);
  enqueue(
      [this] {
        maker_logo_dialog()->enable(false);
        product_logo_dialog()->enable(true);
      },
      kLogoChange, nullptr);
  fade_out_in(kIntroFade, kIntroFade, kGameStart - kIntroFade);
  enqueue(
      [this] {
        product_logo_dialog()->enable(false);
        if (ControllerTutorial* tutorial = controller_tutorial()) {
          const ProgramCfg& controls = std::as_const(settings())["controls"];
          tutorial->enable(controls.flag("show_control_hints", false));
        }
        if (start_game_hook()) start_game_hook()(0, 2);
      },
      kGameStart, nullptr);
  enqueue(
      [this] {
        if (Dialog* board = new_score_board()) board->enable(true);
        in_intro = false;
        pause_allowed(true);
        ControllerTutorial* tutorial = controller_tutorial();
        if (tutorial && xinput().num_joysticks() > 0)
          for (const int button : kFlashButtons)
            tutorial->flash_gamepad_button(button, kFlashPeriod);
      },
      kIntroEnd, nullptr);

  if (hmd_control()) return;
  EventQueue& queue = realtime_queue();
  // A look of an earlier intro ends where it stands.
  queue.erase(&intro_look);
  sync_look_events();
  for (Event* e : look_events())
    if (e) e->clear();

  const double now = queue.time();
  // At its end the look leaves the engine's list itself: the last prune
  // of "disable camera animation" may come before it stops, and a stopped
  // look left listed would hold the keys until something prunes again.
  intro_look.init(
      "intro look", now, kIntroEnd, nullptr,
      [this](double) { std::erase(look_events(), &intro_look); },
      [this](double) {
        if (positional_control(1)) return;
        const Vec3 eye = walking().position();
        const Vec3 centre{0.0f, 0.0f, 0.0f};
        const Vec3 up{0.0f, 1.0f, 0.0f};
        mouse_look().coord_sys().look_at(eye.data(), centre.data(), up.data(), false);
      },
      nullptr);
  queue.add(&intro_look);
  look_events().push_back(&intro_look);

  const std::array<Vec3, 3> waypoints = intro_waypoints();
  for (std::size_t i = 0; i + 1 < waypoints.size(); ++i)
    queue.adopt(std::make_unique<BezierFaderBuffered<float>>(
        walking().position().data(), waypoints[i].data(), waypoints[i + 1].data(),
        kIntroTangents[i].data(), kIntroTangents[i + 1].data(), now + double(i) * kIntroSegment,
        kIntroSegment));

  const double walk = double(waypoints.size() - 1) * kIntroSegment;
  queue.adopt(std::make_unique<Event>(
      "disable camera animation", now, walk, nullptr, nullptr,
      [this](double) { sync_look_events(); }, nullptr));
}

void PoolEngine::render_overlay_pass() {
  const bool human_waits = rules && !rules->current_player().computer && awaiting_human_input();
  if (menus.menus_active || human_waits)
    for (auto& [name, decal] : menus.hint_images) decal.render();

  glPushAttrib(GL_ALL_ATTRIB_BITS);
  glEnable(GL_BLEND);
  glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
  glDepthMask(GL_FALSE);
  draw_overlay(0, {1.0f, 1.0f});
  glPopAttrib();
}
