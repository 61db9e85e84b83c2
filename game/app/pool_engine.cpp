// PoolEngine: construction, the settings it reads, the shot wizard and the
// sounds.
#include "game/app/pool_engine.h"

#include <cstdlib>
#include <utility>

namespace {

const char* const kVideoSection = "video_settings";
const char* const kAudioSection = "audio_settings";

}  // namespace

std::array<std::string, 2> sink_event_names(unsigned int ball) {
  std::string sink = "Sink " + std::to_string(ball);
  return {sink, sink + " delayed"};
}

std::string label_event_name(unsigned int ball) {
  return std::to_string(ball) + " event";
}

PoolEngine::PoolEngine()
    : BasicEngine(nullptr, "TALVORIN_ROOT"),
      table(&geometry()),
      rules(&eight_ball),
      cue(
          &geometry(), [this] { return realtime_queue().time(); }, &realtime_queue()),
      aim_guide(&cue, [this] { return realtime_queue().time(); }),
      update_listener([this] {
        update_listener_audio();
        listener().apply_state();
      }),
      tutorial(std::make_unique<ControllerTutorialPool>(this)) {
  controller_tutorial() = tutorial.get();
  start_position() = {0.0f, 1.2f, 0.0f};
  // The view starts dark; the intro fades it in.
  overlay_color() = {0.0f, 0.0f, 0.0f, 1.0f};

  // The flag as atoi reads it: a word is 0, a window.
  bool fullscreen = true;
  EngineSettings& cfg = settings();
  if (cfg.load_section(kVideoSection) == 0)
    fullscreen = std::as_const(cfg)[kVideoSection].flag("fullscreen", fullscreen);
  window().fullscreen_flag(fullscreen);
  fullscreen_setting = fullscreen;
}

PoolEngine::~PoolEngine() {
  wait_for_loads();
  // The logos and the cue's label go with their members, before the
  // engine's lists.
  for (const Dialog* d : {maker_logo.get(), product_logo.get(), cue.label.get()}) remove_dialog(d);
}

int PoolEngine::init_sounds(const std::string& log_file) {
  const int result = audio.init_audio(&realtime_queue(), &settings(), log_file);
  // "Effects" off silences the engine's menu sounds as well as the game's.
  if (audio.game_bank.muted()) menu_audio().bank().mute(true);
  EngineSettings& cfg = settings();
  if (cfg.load_section(kAudioSection) == 0) {
    ProgramCfg& section = cfg[kAudioSection];
    // The sliders' range: a volume outside it is held to it.
    constexpr std::array<float, 2> kVolumes = {0.0f, 1.0f};
    float volume = 0.0f;
    if (section.read("effects_volume", &volume, kVolumes)) audio.set_effects_volume(volume);
    if (section.read("music_volume", &volume, kVolumes)) audio.bg_source().gain(volume);
  }
  return result;
}

int PoolEngine::init_shot_wizard() {
  shot_wizard.create(static_cast<int>(kWizardSteps.size()), true);
  std::vector<WizardStep>& steps = shot_wizard.steps();
  for (std::size_t i = 0; i < steps.size(); ++i) steps[i].rename(kWizardSteps[i]);
  steps.front().set_finish(false);
  return 0;
}
