// CfgField: one settings value held as the text a settings file stores, with the
// rules that turn numbers, arrays and lists into that text and back.
#pragma once

#include <array>
#include <string>
#include <type_traits>
#include <vector>

class CfgField {
 public:
  explicit CfgField(std::string text = "", std::string second_text = "");

  const std::string& str() const { return text_; }
  operator const std::string&() const { return text_; }
  operator const char*() const { return text_.c_str(); }
  const std::string& second_text() const { return second_text_; }

  // Number and list formatting: digits written (stream precision), scientific or
  // general notation, the character after each array element, and the bracket
  // pair around arrays (removed before a list is read).
  int precision() const { return precision_; }
  void precision(int digits) { precision_ = digits; }
  bool scientific() const { return scientific_; }
  void scientific(bool on) { scientific_ = on; }
  char list_separator() const { return list_separator_; }
  void list_separator(char c) { list_separator_ = c; }
  const std::string& list_brackets() const { return list_brackets_; }
  void list_brackets(std::string brackets) { list_brackets_ = std::move(brackets); }

  // Numbers as atoi / atoll / atof read them: leading blanks skipped, reading stops
  // at the first character that does not fit, 0 when there is no number.
  operator int() const;
  operator long long() const;
  // The low 32 bits of the long long value (the text -1 gives 4294967295).
  operator unsigned int() const;
  operator double() const;
  operator float() const;

  // Lists. vec<float>: without brackets, the numbers up to the first token that is
  // none; with brackets, the text without bracket characters cut at the list
  // separator, each piece by atof. vec<std::string>: the words of the text without
  // bracket characters.
  template <typename T>
  std::vector<T> vec() const;
  // The first values of vec<float>(); missing ones are 0. Integers are truncated
  // toward zero and held within the int range.
  operator std::array<float, 3>() const;
  operator std::array<float, 4>() const;
  operator std::array<int, 3>() const;
  // Flags: each of the first three values that is not 0 is true.
  operator std::array<bool, 3>() const;

  CfgField& operator=(std::string text);
  CfgField& operator=(const char* text);
  CfgField& operator=(int value);
  CfgField& operator=(float value);
  // Any other arithmetic value through the same stream: integers (characters
  // and flags too) in decimal, floating-point values in the number format.
  template <typename T>
  requires std::is_arithmetic_v<T> CfgField& operator=(T value) {
    if constexpr (std::is_floating_point_v<T>)
      return assign_real(static_cast<double>(value));
    else if constexpr (std::is_signed_v<T>)
      return assign_integer(static_cast<long long>(value));
    else
      return assign_unsigned(static_cast<unsigned long long>(value));
  }
  // Arrays: opening bracket, each element followed by the list separator (the
  // last one too), closing bracket. Flags are written as 0 or 1.
  CfgField& operator=(const std::array<float, 3>& values);
  CfgField& operator=(const std::array<float, 4>& values);
  CfgField& operator=(const std::array<unsigned long long, 3>& values);
  CfgField& operator=(const std::array<bool, 3>& values);

 private:
  CfgField& assign_real(double value);
  CfgField& assign_integer(long long value);
  CfgField& assign_unsigned(unsigned long long value);
  template <typename T, size_t N>
  CfgField& assign_array(const std::array<T, N>& values);
  template <size_t N>
  std::array<float, N> first_values() const;

  std::string text_;
  std::string second_text_;
  int precision_ = 7;
  bool scientific_ = true;
  char list_separator_ = ' ';
  std::string list_brackets_;
};

template <>
std::vector<float> CfgField::vec<float>() const;
template <>
std::vector<std::string> CfgField::vec<std::string>() const;
