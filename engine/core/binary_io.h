// Little-endian fields of the engine's binary files (64-bit counts, 32-bit
// floats) and the checks that keep a count read from an untrusted file within
// the bytes the file really holds.
#pragma once

#include <cstdint>
#include <istream>
#include <ostream>
#include <string>
#include <vector>

// Whether the stream has failed (fail or bad bit).
bool stream_failed(const std::ios& s);

void write_u64(std::ostream& out, std::uint64_t v);
bool read_u64(std::istream& in, std::uint64_t& v);
void write_f32(std::ostream& out, float v);
bool read_f32(std::istream& in, float& v);
// n values, each as write_u64 writes one.
void write_u64s(std::ostream& out, const unsigned long long* values, std::uint64_t n);
// Replaces `values` by n values read in bounded steps, so that a stream that
// cannot tell its size still makes the vector grow only with the bytes that
// really arrive. false (values emptied) when the stream ends first.
bool read_u64s(std::istream& in, std::vector<unsigned long long>& values, std::uint64_t n);

// Bytes between the read position and the end, or -1 when the stream cannot tell.
long long bytes_left(std::istream& in);
// Refuses (and fails the stream) when a seekable stream holds fewer than
// count * size bytes; a product beyond 64 bits is refused on any stream.
bool can_hold(std::istream& in, std::uint64_t count, std::uint64_t size = 1);

// n bytes into s in bounded steps (as read_u64s); false (s emptied) when the
// stream ends first.
bool read_bytes(std::istream& in, std::string& s, std::uint64_t n);
