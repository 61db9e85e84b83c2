// talvorin32: the game program. Its three long-lived objects, built before
// main runs and destroyed at exit, and the entry point.
#include "game/app/game_program.h"
#include "game/app/pool_engine.h"
#include "input/vr_interface.h"
#include "render/frame_buffer.h"

namespace {

FrameBuffer desktop_size(int width, int height) {
  FrameBuffer buffer;
  buffer.set_size(width, height);
  return buffer;
}

}  // namespace

PoolEngine pool_engine;
// Made at the window's size during start-up when no headset is used.
FrameBuffer desktop_frame_buffer = desktop_size(683, 384);
VRInterface vr_interface(nullptr, 1200, 1080);

int main() {
  GameProgram program(pool_engine, vr_interface, desktop_frame_buffer);
  return run_guarded([&] { return program.tlv_main(true); });
}
