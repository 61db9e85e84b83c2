// Small value bases: a name, process-wide identifiers, a held identifier value,
// initialisation stages and a named byte buffer.
#pragma once

#include <atomic>
#include <string>
#include <vector>

class Named {
 public:
  Named() : name_("Unnamed") {}
  explicit Named(std::string name) : name_(std::move(name)) {}

  std::string& name() { return name_; }
  const std::string& name() const { return name_; }
  std::string& rename(std::string name) {
    name_ = std::move(name);
    return name_;
  }

 private:
  std::string name_;
};

// A fresh identifier from a class-wide counter per construction (the first is
// 1); copies keep the identifier of their source. Constructions on several
// threads still draw distinct identifiers.
class IDType {
 public:
  IDType() : id_(++current_id) {}
  long long id() const { return id_; }
  void id(long long v) { id_ = v; }

  static std::atomic<long long> current_id;

 private:
  long long id_;
};

template <typename T>
class IDInterface {
 public:
  IDInterface(T id = T()) : id_(id) {}
  T id() const { return id_; }
  void id(T v) { id_ = v; }

 protected:
  T id_;
};

template <typename T>
class IDWrapper {
 public:
  IDWrapper(T id = T()) : id_(id) {}
  T id() const { return id_; }
  void id(T v) { id_ = v; }
  operator T() const { return id_; }

 protected:
  T id_;
};

// Counts initialisation stages; initialized() once every stage is done.
class Initializable {
 public:
  void init_stage() { ++state_; }
  int initialized() const { return state_ >= stages_ ? 1 : 0; }
  void initialized(int state) { state_ = state; }
  int get_init_state() const { return state_; }

 protected:
  explicit Initializable(int stages = 1) : stages_(stages) {}

 private:
  int state_ = 0;
  int stages_;
};

class DataChunk {
 public:
  DataChunk(const void* data, unsigned long long size, std::string name);
  DataChunk(const std::string& text, std::string name);
  // An empty chunk named "DataChunk": the value a wizard step inserts for a
  // new key, so no error is reported for it.
  DataChunk() : name_("DataChunk") {}

  // Replaces the name when one is given; copies size bytes from data, or
  // reports the error and keeps the bytes when data is null or size 0.
  int set(const void* data, unsigned long long size, std::string name = "");
  const unsigned char* data() const { return bytes_.data(); }
  unsigned long long size() const { return bytes_.size(); }
  void clear() { bytes_.clear(); }
  std::string& name() { return name_; }
  const std::string& name() const { return name_; }

 private:
  std::string name_;
  std::vector<unsigned char> bytes_;
};
