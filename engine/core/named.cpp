// Identifier counter and byte buffer.
#include "core/named.h"

#include <cstring>
#include <iostream>

std::atomic<long long> IDType::current_id{0};

DataChunk::DataChunk(const void* data, unsigned long long size, std::string name)
    : name_(std::move(name)) {
  set(data, size, "");
}

DataChunk::DataChunk(const std::string& text, std::string name) : name_(std::move(name)) {
  set(text.data(), text.size(), "");
}

int DataChunk::set(const void* data, unsigned long long size, std::string name) {
  if (!name.empty()) name_ = std::move(name);
  if (data && size != 0) {
    bytes_.resize(size);
    std::memcpy(bytes_.data(), data, size);
    return 0;
  }
  std::cerr << "DataChunk::set() error: NULL pointer or size = 0" << std::endl;
  return 1;
}
