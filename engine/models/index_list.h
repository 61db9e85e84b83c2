// IndexList: a face's list of unsigned 64-bit indices with the vector
// operations callers use, holding a triangle's or a quad's indices inside
// itself.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <iterator>
#include <utility>
#include <vector>

// The list lives in 12 bytes, so that a model of millions of faces stays
// small and needs no allocation per face: up to three indices below kSmall
// are held inside as 31-bit numbers, four indices below kQuad as 23-bit
// numbers; longer lists and larger indices move to the heap, where the
// indices are 64-bit.
//
// The list reads like a std::vector<unsigned long long>, but an index is
// read as a value and written through operator[] (a small proxy) or set(),
// not through a plain reference, a pointer or an iterator: the indices
// inside are not stored as unsigned long long.
class IndexList {
 public:
  using value_type = unsigned long long;
  using size_type = std::size_t;
  using difference_type = std::ptrdiff_t;

  // The bounds of the indices held inside.
  static constexpr value_type kSmall = 1ULL << 31;
  static constexpr value_type kQuad = 1ULL << 23;

  // Reads the indices as values; random access.
  class const_iterator {
   public:
    using iterator_category = std::random_access_iterator_tag;
    using value_type = IndexList::value_type;
    using difference_type = std::ptrdiff_t;
    using reference = value_type;
    using pointer = void;

    const_iterator() = default;
    const_iterator(const IndexList* list, size_type at) : list_(list), at_(at) {}
    value_type operator*() const { return (*list_)[at_]; }
    value_type operator[](difference_type n) const {
      return (*list_)[at_ + static_cast<size_type>(n)];
    }
    const_iterator& operator++() {
      ++at_;
      return *this;
    }
    const_iterator operator++(int) { return {list_, at_++}; }
    const_iterator& operator--() {
      --at_;
      return *this;
    }
    const_iterator operator--(int) { return {list_, at_--}; }
    const_iterator& operator+=(difference_type n) {
      at_ += static_cast<size_type>(n);
      return *this;
    }
    const_iterator& operator-=(difference_type n) {
      at_ -= static_cast<size_type>(n);
      return *this;
    }
    friend const_iterator operator+(const_iterator it, difference_type n) { return it += n; }
    friend const_iterator operator+(difference_type n, const_iterator it) { return it += n; }
    friend const_iterator operator-(const_iterator it, difference_type n) { return it -= n; }
    friend difference_type operator-(const const_iterator& a, const const_iterator& b) {
      return static_cast<difference_type>(a.at_) - static_cast<difference_type>(b.at_);
    }
    friend bool operator==(const const_iterator& a, const const_iterator& b) {
      return a.at_ == b.at_;
    }
    friend auto operator<=>(const const_iterator& a, const const_iterator& b) {
      return a.at_ <=> b.at_;
    }

   private:
    const IndexList* list_ = nullptr;
    size_type at_ = 0;
  };
  using iterator = const_iterator;
  using reverse_iterator = std::reverse_iterator<const_iterator>;
  using const_reverse_iterator = reverse_iterator;

  // One index of a list, to read or to write.
  class reference {
   public:
    operator value_type() const { return std::as_const(list_)[at_]; }  // NOLINT: implicit
    reference& operator=(value_type value) {
      list_.set(at_, value);
      return *this;
    }
    reference& operator=(const reference& other) { return *this = value_type(other); }

   private:
    friend class IndexList;
    reference(IndexList& list, size_type at) : list_(list), at_(at) {}
    IndexList& list_;
    size_type at_;
  };

  IndexList() noexcept : slots_{kUnused, kUnused, kUnused} {}
  explicit IndexList(size_type n, value_type value = 0) : IndexList() { assign(n, value); }
  IndexList(std::initializer_list<value_type> list) : IndexList() {
    assign(list.begin(), list.size());
  }
  // From a vector, so that lists built as vectors can be stored directly.
  IndexList(const std::vector<value_type>& list) : IndexList() {  // NOLINT: implicit
    assign(list.data(), list.size());
  }
  template <std::input_iterator It>
  IndexList(It first, It last) : IndexList() {
    std::vector<value_type> all;
    for (; first != last; ++first) all.push_back(static_cast<value_type>(*first));
    assign(all.data(), all.size());
  }
  IndexList(const IndexList& other) : slots_{other.slots_[0], other.slots_[1], other.slots_[2]} {
    if (other.slots_[2] == kNarrow) {
      const std::uint32_t* from = other.narrow();
      auto* block = new std::uint32_t[from[1] + 2];
      block[0] = from[1];
      std::copy_n(from + 1, from[1] + 1, block + 1);
      set_block(block, kNarrow);
    } else if (other.slots_[2] == kWide) {
      const value_type* from = other.wide();
      auto* block = new value_type[from[1] + 2];
      block[0] = from[1];
      std::copy_n(from + 1, from[1] + 1, block + 1);
      set_block(block, kWide);
    }
  }
  IndexList(IndexList&& other) noexcept
      : slots_{other.slots_[0], other.slots_[1], other.slots_[2]} {
    other.slots_[0] = other.slots_[1] = other.slots_[2] = kUnused;
  }
  ~IndexList() { release(); }

  // Copy and swap: the copy takes the fitting storage.
  IndexList& operator=(const IndexList& other) {
    if (this != &other) {
      IndexList copy(other);
      swap(copy);
    }
    return *this;
  }
  IndexList& operator=(IndexList&& other) noexcept {
    if (this == &other) return *this;
    release();
    for (int k = 0; k < 3; ++k) slots_[k] = other.slots_[k];
    other.slots_[0] = other.slots_[1] = other.slots_[2] = kUnused;
    return *this;
  }
  IndexList& operator=(std::initializer_list<value_type> list) {
    assign(list.begin(), list.size());
    return *this;
  }
  IndexList& operator=(const std::vector<value_type>& list) {
    assign(list.data(), list.size());
    return *this;
  }
  operator std::vector<value_type>() const { return {begin(), end()}; }  // NOLINT: implicit

  size_type size() const noexcept {
    const std::uint32_t last = slots_[2];
    if (last < kSmall) return 3;
    if (last == kUnused) return slots_[0] == kUnused ? 0 : slots_[1] == kUnused ? 1 : 2;
    if (last == kWide) return static_cast<size_type>(wide()[1]);
    if (last == kNarrow) return narrow()[1];
    return 4;
  }
  bool empty() const noexcept { return size() == 0; }
  size_type capacity() const noexcept {
    const std::uint32_t last = slots_[2];
    if (last == kWide) return static_cast<size_type>(wide()[0]);
    if (last == kNarrow) return narrow()[0];
    return is_quad() ? 4 : 3;
  }

  const_iterator begin() const noexcept { return {this, 0}; }
  const_iterator end() const noexcept { return {this, size()}; }
  const_iterator cbegin() const noexcept { return begin(); }
  const_iterator cend() const noexcept { return end(); }
  reverse_iterator rbegin() const noexcept { return reverse_iterator(end()); }
  reverse_iterator rend() const noexcept { return reverse_iterator(begin()); }

  value_type operator[](size_type i) const noexcept {
    const std::uint32_t last = slots_[2];
    if (last < kSmall || last == kUnused) return slot(i);
    if (last == kNarrow) return narrow()[2 + i];
    if (last == kWide) return wide()[2 + i];
    if (i < 3) return slot(i) & kLow23;
    return (slots_[0] >> 23) | (slots_[1] >> 23) << 9 | ((slots_[2] >> 23) & 0x1F) << 18;
  }
  reference operator[](size_type i) noexcept { return {*this, i}; }
  value_type front() const noexcept { return (*this)[0]; }
  value_type back() const noexcept { return (*this)[size() - 1]; }

  // Writes index i (below size()).
  void set(size_type i, value_type value) {
    if (slots_[2] == kWide) {
      wide()[2 + i] = value;
    } else if (slots_[2] == kNarrow && value < kNarrowLimit) {
      narrow()[2 + i] = static_cast<std::uint32_t>(value);
    } else if (!on_heap()) {
      Inside all(*this);
      all.values[i] = value;
      store(all.values, all.n, all.n);
    } else {
      std::vector<value_type> all = *this;
      all[i] = value;
      store(all.data(), all.size(), capacity());
    }
  }

  void push_back(value_type value) {
    if (!on_heap()) {
      Inside all(*this);
      all.values[all.n++] = value;
      // Inside while the indices fit; past a quad the room doubles.
      store(all.values, all.n, all.n <= 4 ? all.n : 8);
      return;
    }
    const size_type n = size();
    if (slots_[2] == kWide && n < capacity()) {
      wide()[2 + wide()[1]++] = value;
    } else if (slots_[2] == kNarrow && n < capacity() && value < kNarrowLimit) {
      narrow()[2 + narrow()[1]++] = static_cast<std::uint32_t>(value);
    } else {
      std::vector<value_type> all = *this;
      all.push_back(value);
      store(all.data(), all.size(), std::max(2 * n, capacity()));
    }
  }
  void emplace_back(value_type value) { push_back(value); }
  void pop_back() noexcept {
    if (slots_[2] == kWide) {
      --wide()[1];
    } else if (slots_[2] == kNarrow) {
      --narrow()[1];
    } else {
      Inside all(*this);
      encode(all.values, all.n - 1);
    }
  }
  // Keeps the storage.
  void clear() noexcept {
    if (slots_[2] == kWide)
      wide()[1] = 0;
    else if (slots_[2] == kNarrow)
      narrow()[1] = 0;
    else
      slots_[0] = slots_[1] = slots_[2] = kUnused;
  }
  void reserve(size_type n) {
    // A list held inside grows to a quad there.
    if (n <= capacity() || (n <= 4 && !on_heap())) return;
    const std::vector<value_type> all = *this;
    store(all.data(), all.size(), n);
  }
  void resize(size_type n, value_type value = 0) {
    while (size() > n) pop_back();
    if (n > size() + 1) reserve(n);
    while (size() < n) push_back(value);
  }
  void assign(size_type n, value_type value) {
    clear();
    resize(n, value);
  }
  // The n indices at values (not this list's own): inside when they fit,
  // else on the heap, in the block the list has when it has room, or in a
  // block of exactly n.
  void assign(const value_type* values, size_type n) {
    // A triangle's indices, the common case, without a detour.
    if (n == 3 && !on_heap() && (values[0] | values[1] | values[2]) < kSmall) {
      for (int k = 0; k < 3; ++k) slots_[k] = static_cast<std::uint32_t>(values[k]);
      return;
    }
    if (on_heap() && n <= capacity() && !fits_inside(values, n)) {
      if (slots_[2] == kWide) {
        std::copy_n(values, n, wide() + 2);
        wide()[1] = n;
        return;
      }
      if (std::all_of(values, values + n, [](value_type v) { return v < kNarrowLimit; })) {
        std::uint32_t* block = narrow();
        for (size_type k = 0; k < n; ++k) block[2 + k] = static_cast<std::uint32_t>(values[k]);
        block[1] = static_cast<std::uint32_t>(n);
        return;
      }
    }
    store(values, n, n);
  }
  template <std::input_iterator It>
  void assign(It first, It last) {
    IndexList copy(first, last);
    *this = std::move(copy);
  }
  void assign(std::initializer_list<value_type> list) { *this = list; }
  // Inserts before pos; returns the position of the first inserted index.
  template <std::input_iterator It>
  iterator insert(const_iterator pos, It first, It last) {
    std::vector<value_type> all(cbegin(), pos);
    const size_type at = all.size();
    all.insert(all.end(), first, last);
    all.insert(all.end(), pos, cend());
    *this = all;
    return begin() + static_cast<difference_type>(at);
  }
  iterator insert(const_iterator pos, value_type value) {
    const value_type one[1] = {value};
    return insert(pos, one, one + 1);
  }
  iterator erase(const_iterator first, const_iterator last) {
    std::vector<value_type> all(cbegin(), first);
    const size_type at = all.size();
    all.insert(all.end(), last, cend());
    *this = all;
    return begin() + static_cast<difference_type>(at);
  }
  iterator erase(const_iterator pos) { return erase(pos, pos + 1); }
  void swap(IndexList& other) noexcept { std::swap(slots_, other.slots_); }

  friend bool operator==(const IndexList& a, const IndexList& b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end());
  }
  friend bool operator==(const IndexList& a, const std::vector<value_type>& b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end());
  }

 private:
  // The last place tells the form: below kSmall, three small indices;
  // kUnused, up to two (the unused places kUnused too); kNarrow or kWide, a
  // heap block's address in the first two places, of 32-bit or 64-bit
  // numbers: its capacity, its size, then the indices; anything else, a
  // quad (the top bit set, the next three clear): three 23-bit indices in
  // the low bits of the places and the fourth spread over their upper bits.
  static constexpr std::uint32_t kUnused = 0xFFFFFFFFu;
  static constexpr std::uint32_t kWide = 0xFFFFFFFEu;
  static constexpr std::uint32_t kNarrow = 0xFFFFFFFDu;
  static constexpr std::uint32_t kQuadMark = 0x80000000u;
  static constexpr std::uint32_t kLow23 = 0x7FFFFFu;
  // The bound of the indices (and of the sizes) of a 32-bit block.
  static constexpr value_type kNarrowLimit = 0xFFFFFFFFULL;

  // The indices of a list held inside, with room for one more.
  struct Inside {
    explicit Inside(const IndexList& list) noexcept : n(list.size()) {
      for (size_type k = 0; k < n; ++k) values[k] = list[k];
    }
    value_type values[5];
    size_type n;
  };

  bool on_heap() const noexcept { return slots_[2] == kWide || slots_[2] == kNarrow; }
  bool is_quad() const noexcept { return slots_[2] >= kSmall && slots_[2] < kNarrow; }
  // A place of the list held inside (i below 3).
  value_type slot(size_type i) const noexcept {
    const std::uint32_t* s = slots_;
    return s[i];
  }

  static bool fits_inside(const value_type* values, size_type n) noexcept {
    if (n <= 3) return std::all_of(values, values + n, [](value_type v) { return v < kSmall; });
    return n == 4 && std::all_of(values, values + n, [](value_type v) { return v < kQuad; });
  }
  // Holds the n indices inside, which fit; a block the list had is the
  // caller's to free.
  void encode(const value_type* values, size_type n) noexcept {
    if (n == 4) {
      const auto v = [values](int k) { return static_cast<std::uint32_t>(values[k]); };
      slots_[0] = v(0) | (v(3) & 0x1FF) << 23;
      slots_[1] = v(1) | (v(3) >> 9 & 0x1FF) << 23;
      slots_[2] = kQuadMark | v(2) | (v(3) >> 18) << 23;
      return;
    }
    for (size_type k = 0; k < 3; ++k)
      slots_[k] = k < n ? static_cast<std::uint32_t>(values[k]) : kUnused;
  }
  // The n indices with room for `capacity`: inside when they fit there,
  // else in a new block, of 32-bit numbers when they fit those. The values
  // may lie in the list's own block, which goes afterwards.
  void store(const value_type* values, size_type n, size_type capacity) {
    capacity = std::max(capacity, n);
    IndexList list;
    if (capacity <= (n == 4 ? 4 : 3) && fits_inside(values, n)) {
      list.encode(values, n);
    } else if (capacity < kNarrowLimit &&
               std::all_of(values, values + n, [](value_type v) { return v < kNarrowLimit; })) {
      auto* block = new std::uint32_t[capacity + 2];
      block[0] = static_cast<std::uint32_t>(capacity);
      block[1] = static_cast<std::uint32_t>(n);
      for (size_type k = 0; k < n; ++k) block[2 + k] = static_cast<std::uint32_t>(values[k]);
      list.set_block(block, kNarrow);
    } else {
      auto* block = new value_type[capacity + 2];
      block[0] = capacity;
      block[1] = n;
      std::copy_n(values, n, block + 2);
      list.set_block(block, kWide);
    }
    swap(list);
  }

  void* block() const noexcept {
    std::uintptr_t address;
    std::memcpy(&address, slots_, sizeof address);
    return reinterpret_cast<void*>(address);
  }
  std::uint32_t* narrow() const noexcept { return static_cast<std::uint32_t*>(block()); }
  value_type* wide() const noexcept { return static_cast<value_type*>(block()); }
  void set_block(void* block, std::uint32_t form) noexcept {
    const auto address = reinterpret_cast<std::uintptr_t>(block);
    std::memcpy(slots_, &address, sizeof address);
    slots_[2] = form;
  }
  static_assert(sizeof(std::uintptr_t) <= 2 * sizeof(std::uint32_t));

  void release() noexcept {
    if (slots_[2] == kWide) delete[] wide();
    if (slots_[2] == kNarrow) delete[] narrow();
  }

  std::uint32_t slots_[3];
};
