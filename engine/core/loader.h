// Building blocks for loading and saving: Loader runs a load operation on the
// calling thread or a detached worker, StreamLoader is the base of objects kept in
// binary streams, StreamInterface a string stream with chaining operators.
#pragma once

#include <atomic>
#include <fstream>
#include <functional>
#include <istream>
#include <ostream>
#include <sstream>
#include <string>
#include <thread>
#include <utility>

// A load operation on an argument (a file name) with an optional preliminary
// operation and a completion callback. The status is 0 before any load, 1 while
// one runs, 2 when it succeeded (or there was nothing to load), 3 when it failed.
//
// An asynchronous load keeps a pointer to this loader on its worker: the loader
// and whatever its operations use must stay alive and in place until the status
// turns 2 or 3 or the completion has run. The completion runs on the thread that
// ran the load and must hand results to other threads under its own locking.
template <typename Argument, typename Result>
class Loader {
 public:
  using Operation = std::function<Result(Argument)>;
  using Completion = std::function<void(Result)>;

  Loader() = default;
  Loader(const Loader& other)
      : status_(other.status_.load()),
        load_function_(other.load_function_),
        preliminary_function_(other.preliminary_function_),
        completion_(other.completion_),
        argument_(other.argument_) {}
  Loader(Loader&& other) noexcept
      : status_(other.status_.load()),
        load_function_(std::move(other.load_function_)),
        preliminary_function_(std::move(other.preliminary_function_)),
        completion_(std::move(other.completion_)),
        argument_(std::move(other.argument_)) {
    other.argument_ = Argument();
  }
  Loader& operator=(const Loader& other) {
    status_ = other.status_.load();
    load_function_ = other.load_function_;
    preliminary_function_ = other.preliminary_function_;
    completion_ = other.completion_;
    argument_ = other.argument_;
    return *this;
  }
  Loader& operator=(Loader&& other) noexcept {
    if (this == &other) return *this;
    status_ = other.status_.load();
    load_function_ = std::move(other.load_function_);
    preliminary_function_ = std::move(other.preliminary_function_);
    completion_ = std::move(other.completion_);
    argument_ = std::move(other.argument_);
    other.argument_ = Argument();
    return *this;
  }
  virtual ~Loader() = default;

  int status() const { return status_.load(); }
  const Argument& load_argument() const { return argument_; }
  Operation& load_function() { return load_function_; }
  void load_function(Operation f) { load_function_ = std::move(f); }
  Operation& preliminary_function() { return preliminary_function_; }
  void preliminary_function(Operation f) { preliminary_function_ = std::move(f); }
  Completion& completion() { return completion_; }
  void completion(Completion f) { completion_ = std::move(f); }

  // Without a load operation: status 2, returns 0, runs nothing. Otherwise the
  // preliminary operation (when asked for and set) runs here first. Synchronous:
  // the load runs here and its result is returned. Asynchronous: the load runs
  // on a detached worker and the preliminary result is returned at once. Either
  // way the completion receives the preliminary result (0 when none ran), which
  // is what the audio banks rely on; on the worker that is always 0.
  Result load_async(Argument argument, bool synchronous, bool preliminary) {
    argument_ = std::move(argument);
    if (!load_function_) {
      status_ = 2;
      return Result(0);
    }
    status_ = 1;
    Result r = Result(0);
    if (preliminary && preliminary_function_) r = preliminary_function_(argument_);
    if (synchronous) return run(argument_, r);
    std::thread([this, argument = argument_] { run(argument, Result(0)); }).detach();
    return r;
  }

 private:
  Result run(const Argument& argument, Result preliminary_result) {
    const Result result = load_function_(argument);
    status_ = result == Result(0) ? 2 : 3;
    if (completion_) completion_(preliminary_result);
    return result;
  }

  std::atomic<int> status_{0};
  Operation load_function_;
  Operation preliminary_function_;
  Completion completion_;
  Argument argument_{};
};

// Base of objects that read themselves from and write themselves to a binary
// stream. The file forms call load or save even when the file did not open, with
// the stream in its failed state, and return their result.
template <int Version>
class StreamLoader {
 public:
  virtual ~StreamLoader() = default;

  virtual int load(std::istream& in) = 0;
  virtual int save(std::ostream& out) const = 0;

  int load_file(std::string path) {
    std::ifstream in(path, std::ios::binary);
    return load(in);
  }
  int save_file(std::string path) const {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    return save(out);
  }
};

// A string stream with chaining operators; moving exchanges the contents.
class StreamInterface {
 public:
  StreamInterface() = default;
  StreamInterface(StreamInterface&& other) noexcept { stream_.swap(other.stream_); }
  StreamInterface& operator=(StreamInterface&& other) noexcept {
    stream_.swap(other.stream_);
    return *this;
  }
  StreamInterface(const StreamInterface&) = delete;
  StreamInterface& operator=(const StreamInterface&) = delete;

  std::stringstream& stream() { return stream_; }
  const std::stringstream& stream() const { return stream_; }

  // Applies a standard manipulator such as std::endl to the stream.
  StreamInterface& operator<<(std::ostream& (*manipulator)(std::ostream&)) {
    manipulator(stream_);
    return *this;
  }
  StreamInterface& operator<<(StreamInterface& (*f)(StreamInterface&)) { return f(*this); }
  // Writes nothing: a line end for chains that must not add one to the stream.
  static StreamInterface& endl(StreamInterface& s) { return s; }

 private:
  std::stringstream stream_;
};
