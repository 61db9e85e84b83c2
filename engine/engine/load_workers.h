// LoadWorkers: the threads that read and parse files for the engine, and the
// hand-over of their completions to the main thread, which owns OpenGL and
// the event queues.
#pragma once

#include <atomic>
#include <cstddef>
#include <functional>
#include <list>
#include <mutex>
#include <thread>
#include <vector>

// Every worker is owned and joined: finished ones when the main thread takes
// the completions, the rest by wait() and stop() (the destructor stops). A
// worker appends its completion with hand_over(); the append publishes what
// the worker wrote before it, and the main thread's take() returns the
// completions in the order they were handed over.
//
// Copies and moves start with no worker and nothing handed over: the threads
// and their completions stay with the source, which they point at.
class LoadWorkers {
 public:
  using Task = std::function<void()>;

  LoadWorkers() = default;
  LoadWorkers(const LoadWorkers&) : LoadWorkers() {}
  LoadWorkers& operator=(const LoadWorkers&) { return *this; }
  ~LoadWorkers();

  // Runs work on a new thread. Refused (false, nothing runs) once stopped.
  bool start(Task work);
  // From any thread: a function for the main thread. Dropped once stopped.
  void hand_over(Task completion);
  // Main thread: every completion handed over since the last take, in order;
  // joins the workers that have finished.
  std::vector<Task> take();
  // Joins every worker; what they hand over stays to be taken.
  void wait();
  // Asks the workers to stop (stopping() turns true for good), joins them
  // and drops what is not taken yet.
  void stop();

  // Workers check this between their steps and leave early when it is set.
  bool stopping() const { return stopping_.load(); }
  // Workers started and not joined yet.
  std::size_t workers() const;
  // Completions handed over and not taken yet.
  std::size_t pending() const;

 private:
  struct Worker {
    std::thread thread;
    bool finished = false;
  };

  // Moves the workers out under the lock (all, or only finished ones) and
  // joins them outside it.
  void join(bool only_finished);

  mutable std::mutex mutex_;
  std::list<Worker> workers_;
  std::vector<Task> completions_;
  std::atomic<bool> stopping_{false};
};
