// PoolEngine: new games and racks, the end of a shot, the next turn, the
// computer's suggestion and free spots for the cue ball.
#include <algorithm>
#include <cmath>
#include <memory>

#include "engine/controller_tutorial.h"
#include "game/app/pool_engine.h"
#include "game/scene/bezier_fader.h"
#include "ui/dialog.h"

namespace {

// A unit vector from three draws uniform in [-1, 1); a draw too short to
// give a direction is drawn again.
Vec3 random_direction(RandomReal& random) {
  random.a = -1.0f;
  random.b = 1.0f;
  for (;;) {
    Vec3 v{random(), random(), random()};
    const float length2 = dot(v, v);
    if (length2 == 1.0f) return v;
    if (length2 > 1e-6f) return v / std::sqrt(length2);
  }
}

// A uniform draw in [a, b).
float draw(RandomReal& random, float a, float b) {
  random.a = a;
  random.b = b;
  return random();
}

}  // namespace

void PoolEngine::new_game(int humans, int computers) {
  if (pause_allowed()) {
    pause(true);
    audio.game_bank.pause(false);
  }
  if (!rules) rules = &eight_ball;
  GameRules& game = *rules;
  game.init_players(humans + computers, computers);
  shot_powers.assign(game.players.size(), cue.default_power);
  new_rack();

  const float lift1 = draw(rack_random, 0.0f, 0.003f);
  const float lift2 = draw(rack_random, 0.0f, 0.003f);
  const float gap = draw(rack_random, 0.001f, 0.005f);
  const double r = cue_ball->radius;
  const std::vector<Vec3> offsets = game.rack_positions(static_cast<float>(r + double(gap)));
  const Vec3& h = table.half_extents;
  cue_start = {-0.6f * h[0], static_cast<float>(r) - h[1] + gap + lift1,
               draw(rack_random, -0.003f, 0.003f)};
  cue_ball->position = cue_start;
  const Vec3 apex{-cue_start[0], cue_start[1] + lift2, 0.0f};
  for (std::size_t k = 1; k < balls.size() && k <= offsets.size(); ++k)
    balls[k].position = apex + offsets[k - 1];
  stop_balls();
  for (Ball& ball : balls) {
    const Vec3 a = random_direction(rack_random);
    Vec3 b = random_direction(rack_random);
    Vec3 z = cross(a, b);
    // Two parallel draws give no plane: try another second axis.
    while (!(norm(z) > 1e-4f)) {
      b = random_direction(rack_random);
      z = cross(a, b);
    }
    ball.coord_sys().set_yz(a, normalized(z));
  }
  for (Pocket& pocket : table.pockets) pocket.balls.clear();

  begin_turn_at(kWizardSteps[1]);
  unpause();
  audio.game_bank.resume();
  menus.hide_wizard_dialogs();

  // Called off also from inside an event of either queue: both queues allow
  // their events to be stopped and flushed while they walk. The stroke
  // request is looked for on both queues.
  EventQueue& game_queue = gametime_queue();
  for (const char* name :
       {"delayed shot", kGlideEvents[0], kGlideEvents[1], kStrokeEvent, kShootRequestEvent})
    game_queue.clear(name);
  // No aim of the last game counts in this one: a pending mark goes without
  // running (a stop request may still let a due one mark).
  while (game_queue.contains(kAlignMarkEvent)) game_queue.erase(kAlignMarkEvent);
  aim_shot_number = kNoAim;
  game_queue.flush(0, false);
  realtime_queue().clear(kShootRequestEvent);
  realtime_queue().flush(0, false);

  if (!positional_control(1) && !game.current_player().computer) {
    choose_computer_shot();
    select_ball(0);
  }
  new_score_board()->enable(true);
  update_status_text();
}

void PoolEngine::new_rack() {
  const int n = rules ? rules->num_object_balls() : 0;
  balls.assign(static_cast<std::size_t>(n) + 1, Ball(&geometry()));
  clear_sink_events();
  cue_ball = &balls[0];
  cue_ball_holder.set(cue_ball);
  aim_guide.aim_at(cue_ball);
  for (std::size_t i = 0; i < balls.size(); ++i) {
    Ball& ball = balls[i];
    ball.label = ball_label(i);
    ball.init();
    ball.number = static_cast<int>(i);
    if (i < ball_textures.balls.size()) ball.texture = ball_textures.balls[i].id();
  }
  cue_ball->enable_update(true);
  stop_balls();
}

void PoolEngine::end_shot() {
  if (!rules) return;
  GameRules& game = *rules;
  const bool had_scratch = game.ball_in_hand;

  if (!game.current_player().has_team()) {
    const std::vector<int> dropped = game.pocketed_this_shot();
    int count[3] = {0, 0, 0};
    for (const int ball : dropped) {
      const int team = game.ball_team(ball);
      if (team == 1 || team == 2) ++count[team];
    }
    if (count[1] > 0 && count[2] == 0) {
      game.assign_teams(1);
    } else if (count[2] > 0 && count[1] == 0) {
      game.assign_teams(2);
    } else if (count[1] > 0 && count[2] > 0) {
      if (game.current_player().computer) {
        game.assign_teams(count[2] > count[1] ? 2 : 1);
      } else if (!game.has_winner()) {
        // The evaluation waits for the human's choice; the button calls this
        // again.
        Dialog* choice = menus.choose_team();
        update_team_choice_texts();
        show_prompt(choice);
        return;
      }
    }
  }

  game.evaluate_shot();
  const int computers = game.num_computer_players();
  const int humans = static_cast<int>(game.players.size()) - computers;
  const bool foul = game.foul;

  if (!game.current_player().computer && (had_scratch || foul)) {
    begin_turn_at(kWizardSteps[0]);
    menus.ball_in_hand();
  } else {
    begin_turn_at(kWizardSteps[1]);
  }

  if ((had_scratch || foul) && game.shot_count == 1) {
    if (game.previous_player().computer) {
      new_game(humans, computers);
    } else {
      show_prompt(menus.scratched_on_break());
    }
    return;
  }
  update_status_text();
  next_turn();
}

void PoolEngine::show_prompt(Dialog* prompt) {
  // Menu mode pauses the game; its hook shows the main menu, which the
  // prompt then replaces: it shows alone, and Esc still leads to the main
  // menu once it is answered.
  set_menu(true);
  menus.show_menu(prompt, false);
}

void PoolEngine::next_turn() {
  if (!rules) return;
  GameRules& game = *rules;
  menus.update_vr_labels();
  if (game.has_winner()) {
    const std::string text = game.winner_text();
    const int computers = game.num_computer_players();
    const int humans = static_cast<int>(game.players.size()) - computers;
    if (humans > 0) {
      Dialog* question = menus.play_again();
      key_up(27);
      // Alone, in front of the viewer, its first answer highlighted.
      menus.show_menu(question, false);
      question->set_text(text + "\nPlay again?", 0);
    } else if (start_game_hook()) {
      start_game_hook()(humans, computers);
    }
    return;
  }

  if (game.current_player().computer) {
    start_turn();
  } else if (!positional_control(1) && cue_ball) {
    if (pocket_holding(cue_ball->position) >= 0) {
      cue_ball->position = random_ball_position(cue_ball->radius);
      cue_ball->velocity = {0.0f, 0.0f, 0.0f};
      cue_ball->angular_velocity = {0.0f, 0.0f, 0.0f};
      menus.ball_in_hand();
    }
    choose_computer_shot();
    select_ball(0);
    // A gamepad player is shown the buttons that choose.
    if (menu_controller() == ControllerType::gamepad && controller_tutorial()) {
      controller_tutorial()->flash_gamepad_button(kGamepadHintButtons[0], 0.5);
      controller_tutorial()->flash_gamepad_button(kGamepadHintButtons[1], 0.5);
    }
  }
  update_status_text();
  turn_start_time = realtime_queue().time();
}

Vec3 PoolEngine::random_ball_position(double clearance) {
  const Vec3& h = table.half_extents;
  // A ball put there stays inside the walls.
  const float r = cue_ball ? cue_ball->radius : Ball::kRadius;
  Vec3 reach;
  for (int a = 0; a < 3; ++a) reach[a] = std::max(0.0f, h[a] - r);
  // The cue ball put there must not reach into another ball.
  const double gap = std::max(clearance, double(r));
  const auto is_free = [&](const Vec3& p) {
    for (const Pocket& pocket : table.pockets)
      if (norm(p - pocket.position) < pocket.radius) return false;
    for (std::size_t j = 1; j < balls.size(); ++j)
      if (double(norm(p - balls[j].position)) <= balls[j].radius + gap) return false;
    return true;
  };
  Vec3 p{0.0f, 0.0f, 0.0f};
  for (int attempt = 0; attempt < 7 + kFreeSpotRetries; ++attempt) {
    for (int a = 0; a < 3; ++a) p[a] = draw(spot_random, -reach[a], reach[a]);
    if (is_free(p)) return p;
  }
  return p;
}

void PoolEngine::choose_computer_shot() {
  if (!rules) return;
  const ShotChoice choice =
      rules->choose_shot(rules->current, balls, table.pockets, 0, true, 45.0f);
  selected_ball = choice.first;
  selected_pocket = choice.second;
}

void PoolEngine::fade_aim_to_controllers(EventQueue* queue, float duration) {
  if (!positional_control(1) || !(duration > 0.0f)) return;
  EventQueue& q = queue ? *queue : gametime_queue();
  // A fade under way would read the starts written here.
  while (q.contains(kFadeEvent)) q.erase(kFadeEvent);
  Vec3* ends[2] = {&cue.end_a, &cue.end_b};
  const std::vector<Controller>& hands = controllers();
  const std::size_t n = std::min<std::size_t>(2, hands.size());
  for (std::size_t k = 0; k < n; ++k) {
    // The hand where it is now, until the next headset frame moves it.
    hand_positions[k] = to_vec3(hands[k].pos().x_data());
    fade_starts[k] = *ends[k];
    q.adopt(std::make_unique<BezierFader>(ends[k]->data(), fade_starts[k].data(),
                                          hand_positions[k].data(), nullptr, nullptr, q.time(),
                                          duration, kFadeEvent));
  }
}
