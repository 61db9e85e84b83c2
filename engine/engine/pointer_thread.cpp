// The mouse pointer's scene pose and the thread that keeps it up to date.
#include "engine/pointer_thread.h"

#include <chrono>
#include <cmath>
#include <utility>

void PointerPose::apply(CoordinateSystem& cs) const {
  cs.set_rotation(rotation.data());
  cs.position() = position;
  cs.enable_translation(true);
}

std::array<float, 3> unproject_mouse(const PointerInputs& in, float depth) {
  const float w = static_cast<float>(in.width);
  const float h = static_cast<float>(in.height);
  float local[3] = {0.0f, 0.0f, -depth};
  if (in.width > 0 && in.height > 0) {
    // y grows downwards in the window and upwards in the view.
    const float mx = in.mouse[0] - (w - 1.0f) / 2.0f;
    const float my = (h - 1.0f) - in.mouse[1] - (h - 1.0f) / 2.0f;
    // The half angle in radians: degrees times pi / 360.
    const float ex = 2.0f * depth * std::tan(in.fov[0] * 0.008726646f);
    const float ey = 2.0f * depth * std::tan(in.fov[1] * 0.008726646f);
    local[0] = mx * ex / w;
    local[1] = my * ey / h;
  }
  float global[3];
  in.view.local2global(local, global);
  return {global[0], global[1], global[2]};
}

PointerPoses mouse_screen_pointer(const PointerInputs& in) {
  const std::array<float, 3> p = unproject_mouse(in, 1.0f);
  float up[3] = {0.0f, 0.0f, 0.0f};
  up[in.up_axis >= 0 && in.up_axis <= 2 ? in.up_axis : 1] = 1.0f;
  const float* camera = in.view.position().data();
  CoordinateSystem pointer;
  pointer.look_at(camera, p.data(), up, false);
  CoordinateSystem target;
  target.look_at(p.data(), camera, up, false);
  return {{pointer.position(), pointer.rotation()}, {target.position(), target.rotation()}};
}

PointerThread::~PointerThread() {
  stop();
}

bool PointerThread::start(double period, std::uint64_t passes) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (started_ || stop_) return false;
  started_ = true;
  thread_ = std::thread([this, period, passes] { run(period, passes); });
  return true;
}

void PointerThread::stop() {
  std::thread joining;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    stop_ = true;
    joining = std::move(thread_);
  }
  wake_.notify_all();
  if (joining.joinable()) joining.join();
}

bool PointerThread::started() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return started_;
}

bool PointerThread::stopping() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return stop_;
}

std::uint64_t PointerThread::passes() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return passes_done_;
}

void PointerThread::publish(const PointerInputs& inputs) {
  std::lock_guard<std::mutex> lock(mutex_);
  inputs_ = inputs;
  ++inputs_number_;
}

std::optional<PointerPoses> PointerThread::take() {
  std::lock_guard<std::mutex> lock(mutex_);
  if (!result_ || result_number_ <= taken_number_) return std::nullopt;
  taken_number_ = result_number_;
  return result_;
}

void PointerThread::computed_here(const PointerInputs& inputs) {
  std::lock_guard<std::mutex> lock(mutex_);
  inputs_ = inputs;
  taken_number_ = ++inputs_number_;
}

void PointerThread::run(double period, std::uint64_t passes) {
  const auto wait = std::chrono::duration<double>(period > 0.0 ? period : 0.0);
  std::unique_lock<std::mutex> lock(mutex_);
  while (!stop_ && (passes == 0 || passes_done_ < passes)) {
    if (inputs_) {
      // The computation runs outside the lock on a copy of one whole set.
      const PointerInputs inputs = *inputs_;
      const std::uint64_t number = inputs_number_;
      lock.unlock();
      const PointerPoses poses = mouse_screen_pointer(inputs);
      lock.lock();
      result_ = poses;
      result_number_ = number;
    }
    ++passes_done_;
    if (period > 0.0) wake_.wait_for(lock, wait, [this] { return stop_; });
  }
}
