// ModelName: a name of a model's faces (material, object, group, smoothing
// group), four bytes wide, whose text copies share.
#pragma once

#include <cstddef>
#include <cstdint>
#include <ostream>
#include <string>
#include <string_view>

// Reads like a const std::string (it converts to one) and is assigned from
// text. The texts live in one process-wide table of counted entries: a copy
// shares its source's entry, the last name that lets go of an entry frees it
// for reuse, so the table holds no more texts than names alive. Copies and
// reads take no lock and may happen on any thread; making a name from text
// and freeing an entry lock the table briefly. The empty name holds nothing.
class ModelName {
 public:
  ModelName() noexcept = default;
  ModelName(std::string_view text);  // NOLINT: implicit, like std::string
  ModelName(const std::string& text) : ModelName(std::string_view(text)) {}  // NOLINT
  ModelName(const char* text) : ModelName(std::string_view(text)) {}         // NOLINT
  ModelName(const ModelName& other) noexcept : id_(other.id_) { retain(); }
  ModelName(ModelName&& other) noexcept : id_(other.id_) { other.id_ = 0; }
  ~ModelName() {
    if (id_ != 0) drop();
  }

  ModelName& operator=(const ModelName& other) noexcept {
    if (id_ != other.id_) {
      other.retain();
      drop();
      id_ = other.id_;
    }
    return *this;
  }
  ModelName& operator=(ModelName&& other) noexcept {
    if (this != &other) {
      drop();
      id_ = other.id_;
      other.id_ = 0;
    }
    return *this;
  }
  ModelName& operator=(std::string_view text) { return *this = ModelName(text); }
  ModelName& operator=(const std::string& text) { return *this = ModelName(text); }
  ModelName& operator=(const char* text) { return *this = ModelName(text); }
  ModelName& operator+=(std::string_view text) { return *this = str() + std::string(text); }

  // The empty name.
  void clear() noexcept { drop(); }

  const std::string& str() const noexcept;
  operator const std::string&() const noexcept { return str(); }  // NOLINT: implicit
  const char* c_str() const noexcept { return str().c_str(); }
  bool empty() const noexcept { return id_ == 0; }
  std::size_t size() const noexcept { return str().size(); }
  // Whether both hold the very same entry (then they are equal).
  bool shares(const ModelName& other) const noexcept { return id_ == other.id_; }

  // Hands out copies of one name, as a reader gives the names in force to
  // each of millions of faces: their counts are taken in batches, and those
  // left over given back when the copier goes or takes another name. One
  // thread's alone.
  class Copier {
   public:
    Copier() noexcept = default;
    Copier(const Copier&) = delete;
    Copier& operator=(const Copier&) = delete;
    ~Copier() { give_back(); }
    // Copies of `name` from now on.
    void use(const ModelName& name) noexcept;
    // The copier keeps one count of its own, so that the entry lives on
    // while it takes the next batch.
    ModelName copy() noexcept {
      if (id_ == 0) return {};
      if (left_ == 1) take();
      --left_;
      return ModelName(id_, Adopt{});
    }

   private:
    void take() noexcept;
    void give_back() noexcept;
    std::uint32_t id_ = 0;
    std::uint32_t left_ = 0;
  };

  // Empties many names in turn, as a model frees millions of faces: a run of
  // names holding one entry gives back its counts at once, when the run ends
  // or the releaser goes. One thread's alone.
  class Releaser {
   public:
    Releaser() noexcept = default;
    Releaser(const Releaser&) = delete;
    Releaser& operator=(const Releaser&) = delete;
    ~Releaser() { flush(); }
    void release(ModelName& name) noexcept {
      if (name.id_ != id_) {
        flush();
        id_ = name.id_;
      }
      if (id_ != 0) ++pending_;
      name.id_ = 0;
    }

   private:
    void flush() noexcept;
    std::uint32_t id_ = 0;
    std::uint32_t pending_ = 0;
  };

  friend bool operator==(const ModelName& a, const ModelName& b) {
    return a.id_ == b.id_ || a.str() == b.str();
  }
  friend bool operator==(const ModelName& a, const std::string& b) { return a.str() == b; }
  friend bool operator==(const ModelName& a, std::string_view b) { return a.str() == b; }
  friend bool operator==(const ModelName& a, const char* b) { return a.str() == b; }
  friend std::string operator+(const ModelName& a, std::string_view b) {
    return a.str() + std::string(b);
  }
  friend std::string operator+(std::string_view a, const ModelName& b) {
    return std::string(a) + b.str();
  }
  friend std::ostream& operator<<(std::ostream& out, const ModelName& name) {
    return out << name.str();
  }

 private:
  struct Adopt {};
  // Holds an entry whose count the caller has already taken.
  ModelName(std::uint32_t id, Adopt) noexcept : id_(id) {}
  void retain() const noexcept;
  void drop() noexcept;
  // Gives back n counts of the entry, freeing it with the last.
  static void release(std::uint32_t id, std::uint32_t n) noexcept;

  // 0 for the empty name, else 1 + the entry's place in the table.
  std::uint32_t id_ = 0;
};
