// Conversions of a settings value between its text and numbers, arrays and lists.
#include "core/cfg_field.h"

#include <climits>
#include <cmath>
#include <cstdlib>
#include <sstream>

#include "core/strings.h"

CfgField::CfgField(std::string text, std::string second_text)
    : text_(std::move(text)), second_text_(std::move(second_text)) {}

// strtol and strtoll read exactly as atoi and atoll do, without their undefined
// behaviour when the number is out of range.
CfgField::operator int() const {
  return static_cast<int>(std::strtol(text_.c_str(), nullptr, 10));
}

CfgField::operator long long() const {
  return std::strtoll(text_.c_str(), nullptr, 10);
}

CfgField::operator unsigned int() const {
  return static_cast<unsigned int>(static_cast<long long>(*this));
}

CfgField::operator double() const {
  return std::atof(text_.c_str());
}

CfgField::operator float() const {
  return static_cast<float>(std::atof(text_.c_str()));
}

template <>
std::vector<float> CfgField::vec<float>() const {
  std::vector<float> values;
  if (list_brackets_.empty()) {
    std::istringstream in(text_);
    float v;
    while (in >> v) values.push_back(v);
    return values;
  }
  for (const std::string& piece :
       split(replace_chars(text_, list_brackets_, ""), std::string(1, list_separator_)))
    values.push_back(static_cast<float>(std::atof(piece.c_str())));
  return values;
}

template <>
std::vector<std::string> CfgField::vec<std::string>() const {
  return split(replace_chars(text_, list_brackets_, ""), "");
}

template <size_t N>
std::array<float, N> CfgField::first_values() const {
  std::array<float, N> out{};
  const std::vector<float> values = vec<float>();
  for (size_t i = 0; i < N && i < values.size(); ++i) out[i] = values[i];
  return out;
}

CfgField::operator std::array<float, 3>() const {
  return first_values<3>();
}

CfgField::operator std::array<float, 4>() const {
  return first_values<4>();
}

CfgField::operator std::array<int, 3>() const {
  std::array<int, 3> out{};
  const std::array<float, 3> values = first_values<3>();
  for (size_t i = 0; i < 3; ++i) {
    const float v = std::trunc(values[i]);
    // A value outside the int range (or not a number) has no integer to convert to.
    if (std::isnan(v))
      out[i] = 0;
    else if (v <= static_cast<float>(INT_MIN))
      out[i] = INT_MIN;
    else if (v >= static_cast<float>(INT_MAX))
      out[i] = INT_MAX;
    else
      out[i] = static_cast<int>(v);
  }
  return out;
}

CfgField::operator std::array<bool, 3>() const {
  const std::array<float, 3> values = first_values<3>();
  return {values[0] != 0.0f, values[1] != 0.0f, values[2] != 0.0f};
}

CfgField& CfgField::operator=(std::string text) {
  text_ = std::move(text);
  return *this;
}

CfgField& CfgField::operator=(const char* text) {
  text_ = text ? text : "";
  return *this;
}

CfgField& CfgField::operator=(int value) {
  text_ = std::to_string(value);
  return *this;
}

namespace {

std::ostringstream number_stream(int precision, bool scientific) {
  std::ostringstream out;
  out.precision(precision);
  if (scientific) out << std::scientific;
  return out;
}

}  // namespace

CfgField& CfgField::operator=(float value) {
  return assign_real(value);
}

// A float reaches the stream as a double anyway: one writer serves both.
CfgField& CfgField::assign_real(double value) {
  std::ostringstream out = number_stream(precision_, scientific_);
  out << value;
  text_ = out.str();
  return *this;
}

CfgField& CfgField::assign_integer(long long value) {
  text_ = std::to_string(value);
  return *this;
}

CfgField& CfgField::assign_unsigned(unsigned long long value) {
  text_ = std::to_string(value);
  return *this;
}

template <typename T, size_t N>
CfgField& CfgField::assign_array(const std::array<T, N>& values) {
  std::ostringstream out = number_stream(precision_, scientific_);
  if (!list_brackets_.empty()) out << list_brackets_[0];
  for (const T& v : values) out << v << list_separator_;
  if (list_brackets_.size() >= 2) out << list_brackets_[1];
  text_ = out.str();
  return *this;
}

CfgField& CfgField::operator=(const std::array<float, 3>& values) {
  return assign_array(values);
}

CfgField& CfgField::operator=(const std::array<float, 4>& values) {
  return assign_array(values);
}

CfgField& CfgField::operator=(const std::array<unsigned long long, 3>& values) {
  return assign_array(values);
}

CfgField& CfgField::operator=(const std::array<bool, 3>& values) {
  return assign_array(values);
}
