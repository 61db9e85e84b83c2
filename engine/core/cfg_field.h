// CfgField: one settings value held as the text a settings file stores, with the
// rules that turn numbers, arrays and lists into that text and back.
#pragma once

#include <array>
#include <cstddef>
#include <memory>
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

  // The value as the conversions above give it, into *value, when the text
  // reads as the wanted type: one number for int, float, double and bool (true
  // when not 0), three for the arrays; a number is a whole finite word (the
  // pieces between brackets and separators when the field has brackets).
  // Otherwise (a word, an empty value, too few numbers) *value keeps what it
  // holds, the caller's default, the entry is named once on the error stream
  // with the file and line it came from, and the answer is false.
  template <typename T>
  bool read(T* value) const;
  // As read(float*), then held within range: a value outside it is named the
  // same way and the nearer end is used.
  bool read(float* value, std::array<float, 2> range) const;

  // Where the text was read: the settings file as named to the reader (empty
  // when it came from no file), the line (the first is 1) and the entry as
  // reports show it. Any assignment forgets it.
  void came_from(std::string path, std::size_t line, std::string entry);

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
  // How many of the first values are whole finite numbers, counted up to the
  // first that is not.
  std::size_t leading_numbers() const;
  void report(const std::string& why) const;

  struct Origin {
    std::string path;
    std::size_t line = 0;
    std::string entry;
  };

  std::string text_;
  std::shared_ptr<const Origin> origin_;
  std::string second_text_;
  int precision_ = 7;
  bool scientific_ = true;
  char list_separator_ = ' ';
  std::string list_brackets_;
};

// Names a settings entry on the error stream: "Settings file <path>, line
// <line>: "<entry>" <what>", once in the process's run for the same file
// (under any name), line and words; without a path, "Setting "<entry>"
// <what>". The entry shows as a short prefix, control bytes as '?'.
void report_setting(const std::string& path, std::size_t line, const std::string& entry,
                    const std::string& what);

template <>
std::vector<float> CfgField::vec<float>() const;
template <>
std::vector<std::string> CfgField::vec<std::string>() const;
