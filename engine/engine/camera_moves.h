// CameraMoves: what the engine's camera moves and its follow animation keep
// between calls: the listed look events, the events the engine made for them,
// the look-at point the moves share and the follow animation's vectors.
#pragma once

#include <array>
#include <memory>
#include <optional>
#include <vector>

#include "core/event.h"

// Held by the engine; main thread only. The engine's events stay alive until
// a later move finds them neither listed nor queued, or until this object
// goes (their queue entries are then blanked). Copies and moves start empty,
// and an assigned object keeps its own: the events write into the engine
// that made them.
struct CameraMoves {
  using Vec = std::array<float, 3>;

  CameraMoves() = default;
  CameraMoves(const CameraMoves&) : CameraMoves() {}
  CameraMoves(CameraMoves&&) noexcept : CameraMoves() {}
  CameraMoves& operator=(const CameraMoves&) { return *this; }
  CameraMoves& operator=(CameraMoves&&) noexcept { return *this; }

  // The running camera move's events (the two faders and "move camera");
  // the application may list its own.
  std::vector<Event*> look_events;
  // Every event a move made that may still be listed or queued (shared
  // pointers delete each as its own type: Event has no virtual destructor).
  std::vector<std::shared_ptr<Event>> events;
  // The look-at point the look fader writes and "move camera" reads.
  Vec look_at{0.0f, 0.0f, 0.0f};

  // The follow animation: one event, made anew by each call, and the vectors
  // kept from call to call.
  Event follow;
  std::optional<Vec> follow_start;
  std::optional<Vec> follow_start_tangent;
  std::optional<Vec> follow_c;
};
