// Wrapper<T>: holds a T it either borrows or owns. Given an object it borrows
// it; given none it makes a default T of its own. Copying an owning wrapper
// copies the object; copying a borrowing one shares the pointer. An owned
// object is deleted when the wrapper lets go of it (destruction, or a switch
// to borrowing); a borrowed one never is.
#pragma once

template <typename T>
class Wrapper {
 public:
  Wrapper() : ptr_(new T()), owned_(true) {}
  explicit Wrapper(T* p) : ptr_(p ? p : new T()), owned_(p == nullptr) {}

  Wrapper(const Wrapper& other)
      : ptr_(other.owned_ ? new T(*other.ptr_) : other.ptr_), owned_(other.owned_) {}

  Wrapper& operator=(const Wrapper& other) {
    if (this == &other) return *this;
    if (!other.owned_) {
      release_owned();
      ptr_ = other.ptr_;
      owned_ = false;
    } else {
      if (!owned_) {
        ptr_ = new T();
        owned_ = true;
      }
      if (ptr_ != other.ptr_) *ptr_ = *other.ptr_;
    }
    return *this;
  }

  ~Wrapper() { release_owned(); }

  // Borrows a non-null p; null makes an own default T unless one is owned already.
  void set(T* p) {
    if (p) {
      if (p == ptr_) return;
      release_owned();
      ptr_ = p;
      owned_ = false;
    } else if (!owned_) {
      ptr_ = new T();
      owned_ = true;
    }
  }

  T& get() { return *ptr_; }
  const T& get() const { return *ptr_; }
  T* data() { return ptr_; }
  const T* data() const { return ptr_; }
  bool owned() const { return owned_; }

 private:
  void release_owned() {
    if (owned_) delete ptr_;
    owned_ = false;
  }

  T* ptr_;
  bool owned_;
};
