// Conversions of a settings value between its text and numbers, arrays and lists.
#include "core/cfg_field.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <mutex>
#include <set>
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

namespace {

// A word that strtod reads whole as a finite number.
bool whole_number(const std::string& word) {
  if (word.empty()) return false;
  char* end = nullptr;
  const double number = std::strtod(word.c_str(), &end);
  return end == word.c_str() + word.size() && std::isfinite(number);
}

bool all_finite(float v) {
  return std::isfinite(v);
}

bool all_finite(const std::array<float, 3>& values) {
  return std::all_of(values.begin(), values.end(), [](float v) { return std::isfinite(v); });
}

template <typename T>
constexpr std::size_t kNumbersIn = 1;
template <>
constexpr std::size_t kNumbersIn<std::array<float, 3>> = 3;
template <>
constexpr std::size_t kNumbersIn<std::array<bool, 3>> = 3;

// A line as a message shows it: cut after a short prefix (at a character
// boundary, marked "..."), every control byte shown as '?'.
std::string printable(const std::string& line) {
  constexpr std::size_t kShown = 60;
  std::size_t n = std::min(line.size(), kShown);
  if (n < line.size()) {
    while (n > 0 && (static_cast<unsigned char>(line[n]) & 0xC0) == 0x80) --n;
  }
  std::string out = line.substr(0, n);
  for (char& c : out) {
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) c = '?';
  }
  if (n < line.size()) out += "...";
  return out;
}

// The entries already named, so that a file read again says nothing new.
std::mutex reported_mutex;
std::set<std::string>& reported() {
  static std::set<std::string> lines;
  return lines;
}

}  // namespace

void report_setting(const std::string& path, std::size_t line, const std::string& entry,
                    const std::string& what) {
  std::string shown = "Setting";
  std::string file;
  if (!path.empty()) {
    shown = "Settings file " + path + ", line " + std::to_string(line) + ":";
    // The same file under another relative name is the same file.
    std::error_code ec;
    file = std::filesystem::absolute(path, ec).lexically_normal().string();
  }
  const std::string rest = " \"" + printable(entry) + "\" " + what;
  std::lock_guard<std::mutex> lock(reported_mutex);
  if (reported().insert(file + ":" + std::to_string(line) + rest).second)
    std::cerr << shown << rest << std::endl;
}

std::size_t CfgField::leading_numbers() const {
  std::vector<std::string> pieces;
  if (list_brackets_.empty()) {
    pieces = split(text_, "");
  } else {
    pieces = split(replace_chars(text_, list_brackets_, ""), std::string(1, list_separator_));
    for (std::string& piece : pieces) trim(piece, " \t\r\n", false);
  }
  const auto first_bad = std::find_if_not(pieces.begin(), pieces.end(), whole_number);
  return static_cast<std::size_t>(first_bad - pieces.begin());
}

void CfgField::report(const std::string& why) const {
  report_setting(origin_ ? origin_->path : "", origin_ ? origin_->line : 0,
                 origin_ ? origin_->entry : text_, why);
}

template <typename T>
bool CfgField::read(T* value) const {
  constexpr std::size_t n = kNumbersIn<T>;
  if (leading_numbers() < n) {
    report(std::string("left out: not ") + (n == 1 ? "a number" : std::to_string(n) + " numbers") +
           "; the default is used");
    return false;
  }
  if constexpr (std::is_same_v<T, bool>) {
    *value = static_cast<int>(*this) != 0;
  } else if constexpr (std::is_same_v<T, float> || std::is_same_v<T, std::array<float, 3>>) {
    // A number beyond the float range (1e39) is none as a float.
    const T read = static_cast<T>(*this);
    if (!all_finite(read)) {
      report("left out: not a finite number; the default is used");
      return false;
    }
    *value = read;
  } else {
    *value = static_cast<T>(*this);
  }
  return true;
}

template bool CfgField::read(int*) const;
template bool CfgField::read(float*) const;
template bool CfgField::read(double*) const;
template bool CfgField::read(bool*) const;
template bool CfgField::read(std::array<float, 3>*) const;
template bool CfgField::read(std::array<bool, 3>*) const;

bool CfgField::read(float* value, std::array<float, 2> range) const {
  float v = 0.0f;
  if (!read(&v)) return false;
  const float held = std::clamp(v, range[0], range[1]);
  if (held != v) {
    std::ostringstream why;
    why << "outside " << range[0] << " to " << range[1] << "; " << held << " is used";
    report(why.str());
  }
  *value = held;
  return true;
}

void CfgField::came_from(std::string path, std::size_t line, std::string entry) {
  origin_ = std::make_shared<const Origin>(Origin{std::move(path), line, std::move(entry)});
}

CfgField& CfgField::operator=(std::string text) {
  text_ = std::move(text);
  origin_.reset();
  return *this;
}

CfgField& CfgField::operator=(const char* text) {
  text_ = text ? text : "";
  origin_.reset();
  return *this;
}

CfgField& CfgField::operator=(int value) {
  text_ = std::to_string(value);
  origin_.reset();
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
  origin_.reset();
  return *this;
}

CfgField& CfgField::assign_integer(long long value) {
  text_ = std::to_string(value);
  origin_.reset();
  return *this;
}

CfgField& CfgField::assign_unsigned(unsigned long long value) {
  text_ = std::to_string(value);
  origin_.reset();
  return *this;
}

template <typename T, size_t N>
CfgField& CfgField::assign_array(const std::array<T, N>& values) {
  std::ostringstream out = number_stream(precision_, scientific_);
  if (!list_brackets_.empty()) out << list_brackets_[0];
  for (const T& v : values) out << v << list_separator_;
  if (list_brackets_.size() >= 2) out << list_brackets_[1];
  text_ = out.str();
  origin_.reset();
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
