// The table of ModelName texts: counted entries in blocks that never move,
// so that a name reads its text without a lock.
#include "models/model_name.h"

#include <atomic>
#include <mutex>
#include <new>
#include <vector>

namespace {

struct Entry {
  std::atomic<std::uint32_t> refs{0};
  std::string text;
};

constexpr std::uint32_t kBlockBits = 8;
constexpr std::uint32_t kBlockSize = 1u << kBlockBits;
// Room for 2^28 names alive at once.
constexpr std::uint32_t kMaxBlocks = 1u << 20;

// Zero without being written: only the pages of blocks in use are touched.
std::atomic<Entry*> blocks[kMaxBlocks];

class NameTable {
 public:
  // A new entry holding the text, counted once.
  std::uint32_t make(std::string_view text) {
    std::uint32_t place;
    {
      std::lock_guard<std::mutex> lock(mutex_);
      if (!free_.empty()) {
        place = free_.back();
        free_.pop_back();
      } else {
        if (next_ == std::uint64_t{kMaxBlocks} * kBlockSize - 1) throw std::bad_alloc();
        place = static_cast<std::uint32_t>(next_++);
        const std::uint32_t block = place >> kBlockBits;
        if (!blocks[block].load(std::memory_order_relaxed))
          blocks[block].store(new Entry[kBlockSize], std::memory_order_release);
      }
    }
    // The entry is this thread's alone until the id is handed on.
    Entry& e = entry(place + 1);
    e.text.assign(text);
    e.refs.store(1, std::memory_order_relaxed);
    return place + 1;
  }
  Entry& entry(std::uint32_t id) const noexcept {
    const std::uint32_t place = id - 1;
    return blocks[place >> kBlockBits].load(std::memory_order_acquire)[place & (kBlockSize - 1)];
  }
  void release(std::uint32_t id) {
    Entry& e = entry(id);
    std::string().swap(e.text);
    std::lock_guard<std::mutex> lock(mutex_);
    free_.push_back(id - 1);
  }

 private:
  std::mutex mutex_;
  std::vector<std::uint32_t> free_;
  std::uint64_t next_ = 0;
};

// Never destroyed: names in static objects may outlive any order of exit.
NameTable& table() {
  static NameTable* const names = new NameTable;
  return *names;
}

}  // namespace

ModelName::ModelName(std::string_view text) : id_(text.empty() ? 0 : table().make(text)) {}

const std::string& ModelName::str() const noexcept {
  static const std::string empty;
  return id_ == 0 ? empty : table().entry(id_).text;
}

void ModelName::retain() const noexcept {
  if (id_ != 0) table().entry(id_).refs.fetch_add(1, std::memory_order_relaxed);
}

void ModelName::drop() noexcept {
  if (id_ != 0) release(id_, 1);
  id_ = 0;
}

void ModelName::release(std::uint32_t id, std::uint32_t n) noexcept {
  if (table().entry(id).refs.fetch_sub(n, std::memory_order_acq_rel) == n) table().release(id);
}

namespace {

// Counts a copier takes at once.
constexpr std::uint32_t kCopyBatch = 4096;

}  // namespace

void ModelName::Copier::use(const ModelName& name) noexcept {
  if (name.id_ == id_) return;
  give_back();
  // The name's own count keeps the entry alive until the first batch.
  id_ = name.id_;
  if (id_ != 0) take();
}

void ModelName::Copier::take() noexcept {
  table().entry(id_).refs.fetch_add(kCopyBatch, std::memory_order_relaxed);
  left_ += kCopyBatch;
}

void ModelName::Copier::give_back() noexcept {
  if (id_ != 0) ModelName::release(id_, left_);
  id_ = 0;
  left_ = 0;
}

void ModelName::Releaser::flush() noexcept {
  if (id_ != 0 && pending_ != 0) ModelName::release(id_, pending_);
  id_ = 0;
  pending_ = 0;
}
