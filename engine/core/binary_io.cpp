// Little-endian binary fields and the size checks of untrusted binary files.
#include "core/binary_io.h"

#include <algorithm>
#include <cstring>

namespace {

// Largest piece read at once: what a stream of unknown size may cost ahead of
// the bytes that really arrive.
constexpr std::uint64_t kReadStep = 1 << 20;

}  // namespace

bool stream_failed(const std::ios& s) {
  return s.fail() || s.bad();
}

void write_u64(std::ostream& out, std::uint64_t v) {
  char bytes[8];
  for (int i = 0; i < 8; ++i) bytes[i] = static_cast<char>((v >> (8 * i)) & 0xff);
  out.write(bytes, 8);
}

bool read_u64(std::istream& in, std::uint64_t& v) {
  unsigned char bytes[8];
  if (!in.read(reinterpret_cast<char*>(bytes), 8)) return false;
  v = 0;
  for (int i = 0; i < 8; ++i) v |= static_cast<std::uint64_t>(bytes[i]) << (8 * i);
  return true;
}

void write_f32(std::ostream& out, float v) {
  std::uint32_t bits;
  std::memcpy(&bits, &v, 4);
  char bytes[4];
  for (int i = 0; i < 4; ++i) bytes[i] = static_cast<char>((bits >> (8 * i)) & 0xff);
  out.write(bytes, 4);
}

bool read_f32(std::istream& in, float& v) {
  unsigned char bytes[4];
  if (!in.read(reinterpret_cast<char*>(bytes), 4)) return false;
  std::uint32_t bits = 0;
  for (int i = 0; i < 4; ++i) bits |= static_cast<std::uint32_t>(bytes[i]) << (8 * i);
  std::memcpy(&v, &bits, 4);
  return true;
}

void write_u64s(std::ostream& out, const unsigned long long* values, std::uint64_t n) {
  std::string bytes;
  for (std::uint64_t done = 0; done < n && out;) {
    const std::uint64_t step = std::min(kReadStep / 8, n - done);
    bytes.resize(step * 8);
    for (std::uint64_t i = 0; i < step; ++i)
      for (int b = 0; b < 8; ++b)
        bytes[i * 8 + b] = static_cast<char>((values[done + i] >> (8 * b)) & 0xff);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    done += step;
  }
}

bool read_u64s(std::istream& in, std::vector<unsigned long long>& values, std::uint64_t n) {
  values.clear();
  std::string bytes;
  while (values.size() < n) {
    const std::uint64_t step = std::min<std::uint64_t>(kReadStep / 8, n - values.size());
    bytes.resize(step * 8);
    if (!in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()))) {
      values.clear();
      return false;
    }
    for (std::uint64_t i = 0; i < step; ++i) {
      std::uint64_t v = 0;
      for (int b = 0; b < 8; ++b)
        v |= static_cast<std::uint64_t>(static_cast<unsigned char>(bytes[i * 8 + b])) << (8 * b);
      values.push_back(v);
    }
  }
  return true;
}

long long bytes_left(std::istream& in) {
  if (!in) return -1;
  const std::streampos here = in.tellg();
  if (here == std::streampos(-1)) return -1;
  in.seekg(0, std::ios::end);
  const std::streampos end = in.tellg();
  in.clear();
  in.seekg(here);
  return end == std::streampos(-1) ? -1 : static_cast<long long>(end - here);
}

bool can_hold(std::istream& in, std::uint64_t count, std::uint64_t size) {
  if (size != 0 && count > UINT64_MAX / size) {
    in.setstate(std::ios::failbit);
    return false;
  }
  const long long left = bytes_left(in);
  if (left >= 0 && count * size > static_cast<std::uint64_t>(left)) {
    in.setstate(std::ios::failbit);
    return false;
  }
  return true;
}

bool read_bytes(std::istream& in, std::string& s, std::uint64_t n) {
  s.clear();
  while (s.size() < n) {
    const size_t old = s.size();
    const size_t step = static_cast<size_t>(std::min<std::uint64_t>(kReadStep, n - old));
    s.resize(old + step);
    in.read(s.data() + old, static_cast<std::streamsize>(step));
    if (static_cast<size_t>(in.gcount()) != step) {
      s.clear();
      return false;
    }
  }
  return true;
}
