// Byte-string utilities: splitting, joining, trimming, replacing, lines that may end
// in CR LF, a binary form of strings and string maps, and a key-value header text.
#pragma once

#include <array>
#include <istream>
#include <map>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

// With an empty delimiter: the white-space separated words. Otherwise the pieces
// between occurrences of the whole delimiter string; pieces between two adjacent
// delimiters are empty, but a delimiter at the very end adds no empty piece.
std::vector<std::string> split(std::string text, std::string delimiter);
std::string join(const std::vector<std::string>& parts, std::string separator);
// {text before the last '.', text from the last '.' on}; the search does not stop
// at path separators. Without a dot: {text, ""}.
std::array<std::string, 2> split_ext(const std::string& text);

// Remove characters of `chars` (or, with `non_alnum`, any character that is not
// alphanumeric in the global locale) from the start, the end or both; in place.
std::string& ltrim(std::string& s, std::string chars = " \t\r\n", bool non_alnum = false);
std::string& rtrim(std::string& s, std::string chars = " \t\r\n", bool non_alnum = false);
std::string& trim(std::string& s, std::string chars = " \t\r\n", bool non_alnum = false);

// Replaces every non-overlapping occurrence, scanning left to right.
std::string find_and_replace(std::string text, std::string search, std::string replacement);
// For each entry in key order, replaces prefix + lower-cased key by the value;
// later entries see the replacements of earlier ones.
std::string find_and_replace(std::string text, const std::map<std::string, std::string>& values,
                             std::string prefix);
std::string endlines_to_html(const std::string& text);
// Every character of `chars` is replaced by `replacement` (removed when it is empty).
std::string replace_chars(const std::string& text, std::string chars, std::string replacement);
std::string tolower_s(std::string text);

// Numbers read from the start of a text exactly as strtod and strtoll read
// them (leading white space skipped, the longest number prefix taken, 0 when
// there is none; strtoll saturates on overflow), without a terminating zero
// or a copy in the common case: for readers of large text files.
double read_double(std::string_view text);
long long read_long_long(std::string_view text);

// A word that is a plain decimal number (an optional '-', at most 19 digits
// with at most one '.', nothing else, and a value of the digits below 2^53)
// read in one correctly rounded division, so it gives exactly what
// read_double gives; false for any other word, which read_double then reads.
// For readers of millions of such numbers.
inline bool read_plain_decimal(std::string_view word, double& value) {
  static constexpr double kPowers[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                       1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                       1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
  std::size_t i = 0;
  const bool negative = !word.empty() && word[0] == '-';
  if (negative) i = 1;
  unsigned long long digits = 0;
  int count = 0;
  int after_point = -1;
  for (; i < word.size(); ++i) {
    const char c = word[i];
    if (c == '.') {
      if (after_point >= 0) return false;
      after_point = 0;
      continue;
    }
    const unsigned digit = static_cast<unsigned char>(c) - unsigned('0');
    if (digit > 9 || ++count > 19) return false;
    digits = digits * 10 + digit;
    if (after_point >= 0) ++after_point;
  }
  if (count == 0 || digits > (1ULL << 53)) return false;
  const double magnitude = static_cast<double>(digits) / kPowers[after_point > 0 ? after_point : 0];
  value = negative ? -magnitude : magnitude;
  return true;
}

// Where the comment of a line of model text begins: the first '#' that starts
// the line or follows a blank or tab ('#' inside a word, as in a name like
// "Material#25", is text). npos when the line has none.
inline std::size_t comment_start(std::string_view line) {
  for (std::size_t at = line.find('#'); at != std::string_view::npos; at = line.find('#', at + 1))
    if (at == 0 || line[at - 1] == ' ' || line[at - 1] == '\t') return at;
  return std::string_view::npos;
}

// One line up to '\n', cut at its first '\r', so CR LF files read like LF files.
std::istream& getline_crlf(std::istream& in, std::string& line);

// The whole file; empty when it cannot be opened.
std::string load_file_str(const std::string& path);

// Binary form: an unsigned 64-bit little-endian length (or entry count) followed by
// the bytes (or the entries, each key then value, in key order). 0 on success;
// -1 for a failure at the start or in a single string, 1 for a failure inside a
// map's entries. A length or count that the bytes left in the stream cannot hold
// is refused with -1 before anything is allocated.
int save(std::ostream& out, const std::string& s);
int load(std::istream& in, std::string& s);
int save(std::ostream& out, const std::map<std::string, std::string>& m);
int load(std::istream& in, std::map<std::string, std::string>& m);

// key + separator + quote + value + quote + terminator for each entry in key order.
std::string render_header(const std::map<std::string, std::string>& m, std::string terminator,
                          std::string separator, std::string quote);
// The reading side of render_header: `terminators` and `separators` are sets of
// characters; text from `comment` on is ignored within an entry.
std::map<std::string, std::string> parse_header(const std::string& text, std::string terminators,
                                                std::string separators, std::string quote,
                                                std::string comment);
