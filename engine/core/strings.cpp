// Byte-string utilities and the binary and header forms of strings and string maps.
#include "core/strings.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <climits>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <locale>
#include <sstream>

#include "core/binary_io.h"
#include "core/files.h"

std::vector<std::string> split(std::string text, std::string delimiter) {
  std::vector<std::string> parts;
  if (delimiter.empty()) {
    std::istringstream words(text);
    std::string word;
    while (words >> word) parts.push_back(word);
    return parts;
  }
  size_t pos = 0;
  while (pos < text.size()) {
    const size_t hit = text.find(delimiter, pos);
    if (hit == std::string::npos) {
      parts.push_back(text.substr(pos));
      break;
    }
    parts.push_back(text.substr(pos, hit - pos));
    pos = hit + delimiter.size();
  }
  return parts;
}

std::string join(const std::vector<std::string>& parts, std::string separator) {
  std::string out;
  for (size_t i = 0; i < parts.size(); ++i) {
    if (i > 0) out += separator;
    out += parts[i];
  }
  return out;
}

std::array<std::string, 2> split_ext(const std::string& text) {
  const size_t dot = text.rfind('.');
  if (dot == std::string::npos) return {text, ""};
  return {text.substr(0, dot), text.substr(dot)};
}

namespace {

bool trimmable(char c, const std::string& chars, bool non_alnum) {
  return chars.find(c) != std::string::npos || (non_alnum && !std::isalnum(c, std::locale()));
}

}  // namespace

std::string& ltrim(std::string& s, std::string chars, bool non_alnum) {
  size_t n = 0;
  while (n < s.size() && trimmable(s[n], chars, non_alnum)) ++n;
  s.erase(0, n);
  return s;
}

std::string& rtrim(std::string& s, std::string chars, bool non_alnum) {
  size_t n = s.size();
  while (n > 0 && trimmable(s[n - 1], chars, non_alnum)) --n;
  s.erase(n);
  return s;
}

std::string& trim(std::string& s, std::string chars, bool non_alnum) {
  rtrim(s, chars, non_alnum);
  return ltrim(s, chars, non_alnum);
}

std::string find_and_replace(std::string text, std::string search, std::string replacement) {
  if (text.empty()) return "";
  if (search.empty()) return text;
  std::string out;
  size_t pos = 0;
  while (pos < text.size()) {
    const size_t hit = text.find(search, pos);
    if (hit == std::string::npos) {
      out.append(text, pos, std::string::npos);
      break;
    }
    out.append(text, pos, hit - pos);
    out += replacement;
    pos = hit + search.size();
  }
  return out;
}

std::string find_and_replace(std::string text, const std::map<std::string, std::string>& values,
                             std::string prefix) {
  for (const auto& [key, value] : values)
    text = find_and_replace(text, prefix + tolower_s(key), value);
  return text;
}

std::string endlines_to_html(const std::string& text) {
  return find_and_replace(find_and_replace(text, "\r\n", "<br>"), "\n", "<br>");
}

std::string replace_chars(const std::string& text, std::string chars, std::string replacement) {
  std::string out;
  for (char c : text) {
    if (chars.find(c) == std::string::npos)
      out += c;
    else
      out += replacement;
  }
  return out;
}

std::string tolower_s(std::string text) {
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

std::istream& getline_crlf(std::istream& in, std::string& line) {
  std::getline(in, line);
  const size_t cr = line.find('\r');
  if (cr != std::string::npos) line.erase(cr);
  return in;
}

std::string load_file_str(const std::string& path) {
  const long long size = file_size(path);
  std::ifstream in(path);
  if (size <= 0 || !in) return "";
  std::string text(static_cast<size_t>(size), '\0');
  in.read(text.data(), size);
  return text;
}

int save(std::ostream& out, const std::string& s) {
  write_u64(out, s.size());
  out.write(s.data(), static_cast<std::streamsize>(s.size()));
  return stream_failed(out) ? -1 : 0;
}

int load(std::istream& in, std::string& s) {
  uint64_t length = 0;
  if (!read_u64(in, length) || !can_hold(in, length) || !read_bytes(in, s, length)) {
    s.clear();
    return -1;
  }
  return stream_failed(in) ? -1 : 0;
}

int save(std::ostream& out, const std::map<std::string, std::string>& m) {
  write_u64(out, m.size());
  if (stream_failed(out)) return -1;
  for (const auto& [key, value] : m) {
    if (save(out, key) != 0 || save(out, value) != 0) return 1;
  }
  return 0;
}

int load(std::istream& in, std::map<std::string, std::string>& m) {
  uint64_t count = 0;
  // Each entry takes at least its two 8-byte lengths.
  if (!read_u64(in, count) || !can_hold(in, count, 16)) return -1;
  for (uint64_t i = 0; i < count; ++i) {
    std::string key;
    std::string value;
    if (load(in, key) != 0 || load(in, value) != 0) return 1;
    m[key] = value;
  }
  return 0;
}

std::string render_header(const std::map<std::string, std::string>& m, std::string terminator,
                          std::string separator, std::string quote) {
  std::string out;
  for (const auto& [key, value] : m) out += key + separator + quote + value + quote + terminator;
  return out;
}

namespace {

std::string first_word(const std::string& text) {
  std::istringstream words(text);
  std::string word;
  words >> word;
  return word;
}

void parse_header_entry(std::string entry, const std::string& separators, const std::string& quote,
                        const std::string& comment, std::map<std::string, std::string>& out) {
  if (!comment.empty()) entry = entry.substr(0, entry.find(comment));
  if (entry.find_first_not_of(separators) == std::string::npos) return;
  const size_t sep = entry.find_first_of(separators);
  if (sep == 0) return;
  const std::string key = first_word(entry.substr(0, sep));
  if (key.empty()) return;
  std::string value;
  if (sep != std::string::npos) {
    value = entry.substr(sep + 1);
    trim(value, " \t\r\n", false);
    trim(value, quote, false);
  }
  out[key] = value;
}

}  // namespace

std::map<std::string, std::string> parse_header(const std::string& text, std::string terminators,
                                                std::string separators, std::string quote,
                                                std::string comment) {
  std::map<std::string, std::string> out;
  size_t start = 0;
  while (start <= text.size()) {
    size_t end = text.find_first_of(terminators, start);
    if (end == std::string::npos) end = text.size();
    parse_header_entry(text.substr(start, end - start), separators, quote, comment, out);
    start = end + 1;
  }
  return out;
}

namespace {

bool is_space(char c) {
  return c == ' ' || (c >= '\t' && c <= '\r');
}

std::string_view skip_space(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size() && is_space(text[i])) ++i;
  return text.substr(i);
}

}  // namespace

double read_double(std::string_view text) {
  text = skip_space(text);
  // from_chars reads what strtod reads in the "C" locale, except for a '+'
  // sign, hexadecimal numbers and values out of range; those go to strtod.
  const bool simple =
      !text.empty() && text[0] != '+' &&
      !(text.size() > 1 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) &&
      !(text.size() > 2 && text[0] == '-' && text[1] == '0' && (text[2] == 'x' || text[2] == 'X'));
  if (simple) {
    double value = 0.0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error == std::errc()) return value;
    if (error == std::errc::invalid_argument) return 0.0;
  }
  return std::strtod(std::string(text).c_str(), nullptr);
}

namespace {

// The digits of a number that may not fit, saturating as strtoll does.
long long saturated(std::string_view digits, bool negative) {
  long long value = 0;
  for (char c : digits) {
    if (c < '0' || c > '9') break;
    const int digit = c - '0';
    // Accumulated toward the sign, so LLONG_MIN is reachable.
    if (negative) {
      if (value < (LLONG_MIN + digit) / 10) return LLONG_MIN;
      value = value * 10 - digit;
    } else {
      if (value > (LLONG_MAX - digit) / 10) return LLONG_MAX;
      value = value * 10 + digit;
    }
  }
  return value;
}

}  // namespace

long long read_long_long(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size() && is_space(text[i])) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '-' || text[i] == '+')) negative = text[i++] == '-';
  // Up to 18 digits cannot overflow; a 19th goes the careful way.
  const std::size_t first = i;
  unsigned long long value = 0;
  for (; i < text.size(); ++i) {
    const unsigned digit = static_cast<unsigned char>(text[i]) - unsigned('0');
    if (digit > 9) break;
    if (i - first == 18) return saturated(text.substr(first), negative);
    value = value * 10 + digit;
  }
  return negative ? -static_cast<long long>(value) : static_cast<long long>(value);
}
