// The mouse pointer's scene pose: the pure computation from one consistent set
// of inputs (PointerInputs), and PointerThread, the owned thread that repeats
// it beside the main thread and hands each result over whole.
#pragma once

#include <array>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <optional>
#include <thread>

#include "core/coordinate_system.h"

// Everything the pointer pose depends on, copied from the engine on the main
// thread.
struct PointerInputs {
  // The mouse position in pixels (y down) and its z.
  std::array<float, 3> mouse{0.0f, 0.0f, 0.0f};
  // The window's size in pixels.
  int width = 0;
  int height = 0;
  // The camera's horizontal and vertical fields of view, degrees.
  std::array<float, 2> fov{0.0f, 0.0f};
  // The view pose (the camera's coordinate system).
  CoordinateSystem view;
  // The walker's up axis; one outside 0..2 counts as 1 (y).
  int up_axis = 1;
};

// A pose as look_at leaves it: a position and a rotation (rows the axes).
struct PointerPose {
  std::array<float, 3> position{0.0f, 0.0f, 0.0f};
  std::array<float, 9> rotation{1.0f, 0.0f, 0.0f, 0.0f, 1.0f, 0.0f, 0.0f, 0.0f, 1.0f};

  // Sets the position and the rotation of cs and switches both parts on, as
  // look_at does; its scaling and other fields stay.
  void apply(CoordinateSystem& cs) const;
};

// The pointer's pose at the camera looking at the mouse's scene point (its
// -z the ray), and the pose at that point looking back at the camera (where
// the cursor sits).
struct PointerPoses {
  PointerPose pointer;
  PointerPose target;
};

// The scene point under the mouse at `depth` in front of the camera: the
// pixel's offset from the window centre scaled to the view's extent at that
// depth, turned into the scene by the view pose. A window without a size
// gives the point straight ahead.
std::array<float, 3> unproject_mouse(const PointerInputs& in, float depth);
// Both poses for the point unprojected at depth 1.
PointerPoses mouse_screen_pointer(const PointerInputs& in);

// One thread that computes the pointer poses from the newest inputs the main
// thread published, once a period, and publishes each result whole. Inputs
// and results cross under one mutex: the thread reads a whole set of inputs,
// the main thread takes a whole pair of poses. The thread touches nothing
// but this object.
//
// It starts at most once; stop() (and the destructor) asks it to end, wakes
// it from its wait and joins it. Copies start with no thread and nothing
// published, and may start their own.
class PointerThread {
 public:
  PointerThread() = default;
  PointerThread(const PointerThread&) : PointerThread() {}
  PointerThread& operator=(const PointerThread&) { return *this; }
  ~PointerThread();

  // Starts the thread unless it was started before: a pass every period
  // seconds (none between passes when not positive), `passes` passes in all
  // (0: until stopped). True when this call started it.
  bool start(double period, std::uint64_t passes = 0);
  // Asks the thread to end and joins it; it cannot be started again.
  void stop();
  bool started() const;
  bool stopping() const;
  // Passes done so far.
  std::uint64_t passes() const;

  // Main thread: the inputs of the next pass.
  void publish(const PointerInputs& inputs);
  // Main thread: the thread's newest poses when they stem from inputs newer
  // than those of the poses taken or computed here before; else nothing.
  std::optional<PointerPoses> take();
  // Main thread: publishes inputs whose poses the main thread computed
  // itself, so that no older result of the thread is handed out afterwards.
  void computed_here(const PointerInputs& inputs);

 private:
  void run(double period, std::uint64_t passes);

  mutable std::mutex mutex_;
  std::condition_variable wake_;
  std::thread thread_;
  bool started_ = false;
  bool stop_ = false;
  std::uint64_t passes_done_ = 0;
  // Inputs and results with the number of the publication they stem from.
  std::optional<PointerInputs> inputs_;
  std::uint64_t inputs_number_ = 0;
  std::optional<PointerPoses> result_;
  std::uint64_t result_number_ = 0;
  // Results of publications up to this one are not handed out.
  std::uint64_t taken_number_ = 0;
};
