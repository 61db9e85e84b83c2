// IndexList: a face's list of unsigned 64-bit indices with the vector
// operations callers use, holding up to three indices inside itself.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <iterator>
#include <vector>

// A triangle's three indices live inside the 24 bytes of the list itself, so
// a model's triangles need no allocation per list; longer lists move to the
// heap. The elements are contiguous: data() points at the first index.
//
// Inside, an unused place holds kEmpty and a list on the heap is marked by
// kHeap in the last place. A list that is to hold either value (they address
// no entry of any model) goes to the heap, so those two values may be added
// with push_back, assign, resize or insert, but must not be written through
// a reference, an iterator or data() while the list has three or fewer
// elements.
class IndexList {
 public:
  using value_type = unsigned long long;
  using size_type = std::size_t;
  using difference_type = std::ptrdiff_t;
  using reference = value_type&;
  using const_reference = const value_type&;
  using pointer = value_type*;
  using const_pointer = const value_type*;
  using iterator = value_type*;
  using const_iterator = const value_type*;
  using reverse_iterator = std::reverse_iterator<iterator>;
  using const_reverse_iterator = std::reverse_iterator<const_iterator>;

  static constexpr value_type kEmpty = ~1ULL;
  static constexpr value_type kHeap = ~2ULL;

  IndexList() noexcept : slots_{kEmpty, kEmpty, kEmpty} {}
  explicit IndexList(size_type n, value_type value = 0) : IndexList() { assign(n, value); }
  IndexList(std::initializer_list<value_type> list) : IndexList() {
    append(list.begin(), list.size());
  }
  // From a vector, so that lists built as vectors can be stored directly.
  IndexList(const std::vector<value_type>& list) : IndexList() {  // NOLINT: implicit
    append(list.data(), list.size());
  }
  template <std::input_iterator It>
  IndexList(It first, It last) : IndexList() {
    for (; first != last; ++first) push_back(static_cast<value_type>(*first));
  }
  IndexList(const IndexList& other) : slots_{other.slots_[0], other.slots_[1], other.slots_[2]} {
    if (other.on_heap()) {
      slots_[0] = slots_[1] = slots_[2] = kEmpty;
      append(other.data(), other.size());
    }
  }
  IndexList(IndexList&& other) noexcept
      : slots_{other.slots_[0], other.slots_[1], other.slots_[2]} {
    other.slots_[0] = other.slots_[1] = other.slots_[2] = kEmpty;
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
    other.slots_[0] = other.slots_[1] = other.slots_[2] = kEmpty;
    return *this;
  }
  IndexList& operator=(std::initializer_list<value_type> list) {
    IndexList copy(list);
    swap(copy);
    return *this;
  }
  IndexList& operator=(const std::vector<value_type>& list) {
    IndexList copy(list);
    swap(copy);
    return *this;
  }
  operator std::vector<value_type>() const { return {begin(), end()}; }  // NOLINT: implicit

  size_type size() const noexcept {
    if (on_heap()) return static_cast<size_type>(slots_[1]);
    return slots_[0] == kEmpty ? 0 : slots_[1] == kEmpty ? 1 : slots_[2] == kEmpty ? 2 : 3;
  }
  bool empty() const noexcept { return on_heap() ? slots_[1] == 0 : slots_[0] == kEmpty; }
  size_type capacity() const noexcept { return on_heap() ? heap()[-1] : 3; }

  value_type* data() noexcept { return on_heap() ? heap() : slots_; }
  const value_type* data() const noexcept { return on_heap() ? heap() : slots_; }
  iterator begin() noexcept { return data(); }
  iterator end() noexcept { return data() + size(); }
  const_iterator begin() const noexcept { return data(); }
  const_iterator end() const noexcept { return data() + size(); }
  const_iterator cbegin() const noexcept { return begin(); }
  const_iterator cend() const noexcept { return end(); }
  reverse_iterator rbegin() noexcept { return reverse_iterator(end()); }
  reverse_iterator rend() noexcept { return reverse_iterator(begin()); }
  const_reverse_iterator rbegin() const noexcept { return const_reverse_iterator(end()); }
  const_reverse_iterator rend() const noexcept { return const_reverse_iterator(begin()); }

  value_type& operator[](size_type i) noexcept { return data()[i]; }
  const value_type& operator[](size_type i) const noexcept { return data()[i]; }
  value_type& front() noexcept { return data()[0]; }
  const value_type& front() const noexcept { return data()[0]; }
  value_type& back() noexcept { return data()[size() - 1]; }
  const value_type& back() const noexcept { return data()[size() - 1]; }

  void push_back(value_type value) {
    if (!on_heap()) {
      const size_type n = size();
      if (n < 3 && value != kEmpty && value != kHeap) {
        slots_[n] = value;
        return;
      }
      move_to_heap(6);
    }
    const size_type n = static_cast<size_type>(slots_[1]);
    if (n == capacity()) grow(2 * n);
    heap()[n] = value;
    slots_[1] = n + 1;
  }
  value_type& emplace_back(value_type value) {
    push_back(value);
    return back();
  }
  void pop_back() noexcept {
    if (on_heap())
      --slots_[1];
    else
      slots_[size() - 1] = kEmpty;
  }
  // Keeps the storage.
  void clear() noexcept {
    if (on_heap())
      slots_[1] = 0;
    else
      slots_[0] = slots_[1] = slots_[2] = kEmpty;
  }
  void reserve(size_type n) {
    if (n <= capacity()) return;
    if (!on_heap())
      move_to_heap(n);
    else
      grow(n);
  }
  void resize(size_type n, value_type value = 0) {
    while (size() > n) pop_back();
    if (n > size()) reserve(n);
    while (size() < n) push_back(value);
  }
  void assign(size_type n, value_type value) {
    clear();
    resize(n, value);
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
    return begin() + at;
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
    return begin() + at;
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
  bool on_heap() const noexcept { return slots_[2] == kHeap; }
  value_type* heap() const noexcept {
    return reinterpret_cast<value_type*>(static_cast<std::uintptr_t>(slots_[0]));
  }
  // A heap block holds its capacity in front of the indices.
  static value_type* allocate(size_type capacity) {
    value_type* block = new value_type[capacity + 1];
    block[0] = capacity;
    return block + 1;
  }
  void release() noexcept {
    if (on_heap()) delete[](heap() - 1);
  }
  void set_heap(value_type* indices, size_type size) noexcept {
    slots_[0] = static_cast<value_type>(reinterpret_cast<std::uintptr_t>(indices));
    slots_[1] = size;
    slots_[2] = kHeap;
  }
  void move_to_heap(size_type capacity) {
    const size_type n = size();
    value_type* indices = allocate(std::max(capacity, n));
    std::copy_n(slots_, n, indices);
    set_heap(indices, n);
  }
  void grow(size_type capacity) {
    const size_type n = size();
    value_type* indices = allocate(std::max<size_type>(capacity, 6));
    std::copy_n(heap(), n, indices);
    release();
    set_heap(indices, n);
  }
  void append(const value_type* values, size_type n) {
    if (size() + n > 3) reserve(size() + n);
    for (size_type k = 0; k < n; ++k) push_back(values[k]);
  }

  value_type slots_[3];
};
