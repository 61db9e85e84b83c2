// The engine's loader threads and the hand-over of their completions.
#include "engine/load_workers.h"

#include <utility>

LoadWorkers::~LoadWorkers() {
  stop();
}

bool LoadWorkers::start(Task work) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (stopping()) return false;
  Worker& worker = workers_.emplace_back();
  // The thread marks its own record under the lock, which is held until the
  // record holds the thread.
  worker.thread = std::thread([this, &worker, work = std::move(work)] {
    if (work) work();
    std::lock_guard<std::mutex> done(mutex_);
    worker.finished = true;
  });
  return true;
}

void LoadWorkers::hand_over(Task completion) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (stopping()) return;
  completions_.push_back(std::move(completion));
}

std::vector<LoadWorkers::Task> LoadWorkers::take() {
  std::vector<Task> taken;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    taken.swap(completions_);
  }
  join(true);
  return taken;
}

void LoadWorkers::wait() {
  join(false);
}

void LoadWorkers::stop() {
  stopping_ = true;
  join(false);
  std::vector<Task> dropped;
  std::lock_guard<std::mutex> lock(mutex_);
  dropped.swap(completions_);
}

void LoadWorkers::join(bool only_finished) {
  std::list<Worker> joining;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    for (auto it = workers_.begin(); it != workers_.end();) {
      auto next = std::next(it);
      if (!only_finished || it->finished) joining.splice(joining.end(), workers_, it);
      it = next;
    }
  }
  // A record moved between lists stays where it is, so a worker still
  // running may set its flag meanwhile.
  for (Worker& worker : joining)
    if (worker.thread.joinable()) worker.thread.join();
}

std::size_t LoadWorkers::workers() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return workers_.size();
}

std::size_t LoadWorkers::pending() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return completions_.size();
}
