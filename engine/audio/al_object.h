// ALObject: an OpenAL name or handle with the two stored operations that make
// and release it, so that buffers, sources, devices and contexts are created
// and destroyed alike.
#pragma once

#include <functional>
#include <iostream>
#include <sstream>
#include <string>
#include <utility>

// Handles are released only by destroy(); the destructor frees memory only.
// Copies share the handle. Classes that install operations acting on their own
// object re-install them in every copy, so a copy's create() and destroy() act
// on the copy, never on the (possibly gone) object it was copied from.
template <typename Id, typename Result = int>
class ALObject {
 public:
  using Operation = std::function<Result()>;

  ALObject() = default;
  virtual ~ALObject() = default;
  ALObject(const ALObject&) = default;
  ALObject& operator=(const ALObject&) = default;
  ALObject(ALObject&&) noexcept = default;
  ALObject& operator=(ALObject&&) noexcept = default;

  // 0 without a create operation; otherwise its result, reported when not 0.
  Result create() { return run(create_function_, "create"); }
  // 0 without a destroy operation; otherwise its result, reported when not 0.
  Result destroy() { return run(destroy_function_, "destroy"); }

  Id id() const { return id_; }
  void id(Id v) { id_ = v; }
  // The handle as a text stream writes it (a number, or a pointer's form).
  std::string id_str() const {
    std::ostringstream s;
    s << id_;
    return s.str();
  }

  Operation& create_function() { return create_function_; }
  void create_function(Operation f) { create_function_ = std::move(f); }
  Operation& destroy_function() { return destroy_function_; }
  void destroy_function(Operation f) { destroy_function_ = std::move(f); }

 protected:
  Id id_{};
  Operation create_function_;
  Operation destroy_function_;

 private:
  static Result run(const Operation& f, const char* what) {
    if (!f) return Result(0);
    const Result r = f();
    if (r != Result(0)) std::cerr << what << "() failed with error " << r << std::endl;
    return r;
  }
};
