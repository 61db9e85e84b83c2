// Settings tables: the settings text format, merging, selection and command lines.
#include "core/program_cfg.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <mutex>
#include <set>
#include <sstream>

#include "core/files.h"
#include "core/strings.h"

ProgramCfg::ProgramCfg(std::string text) {
  set_format(CFG_LINES);
  *this += std::move(text);
}

namespace {

struct FormatRow {
  const char* key_separator;
  const char* quote;
  char entry_separator, list_separator;
  const char* list_brackets;
  const char* enclosing_brackets;
};

// Indexed by CfgFormat. Constant data, so that tables built during static
// initialisation elsewhere see it.
constexpr FormatRow kFormats[] = {
    {"=", "", '\n', ' ', "  ", ""},
    {":", "'", ',', ' ', "[]", "{}"},
    {"=", "", '\n', ',', "  ", ""},
};

}  // namespace

void ProgramCfg::set_format(CfgFormat format) {
  format_ = format;
  if (format >= CFG_LINES && format <= CFG_LINES_COMMA_LISTS) {
    const FormatRow& row = kFormats[format];
    key_separator_ = row.key_separator;
    quote_ = row.quote;
    entry_separator_ = row.entry_separator;
    list_separator_ = row.list_separator;
    list_brackets_ = row.list_brackets;
    enclosing_brackets_ = row.enclosing_brackets;
  }
  for (auto& [key, field] : fields_) {
    field.list_separator(list_separator_);
    field.list_brackets(list_brackets_);
  }
}

namespace {

// A value made only of numbers of which one is not finite: no setting can
// use it as a number, and as text it stands for none.
bool non_finite_numbers(const std::string& value) {
  std::istringstream words(value);
  bool any = false, non_finite = false;
  for (std::string word; words >> word;) {
    char* end = nullptr;
    const double number = std::strtod(word.c_str(), &end);
    if (end != word.c_str() + word.size()) return false;
    any = true;
    non_finite = non_finite || !std::isfinite(number);
  }
  return any && non_finite;
}

// The entries already reported, so that a file read again says nothing new.
std::mutex reported_mutex;
std::set<std::string>& reported() {
  static std::set<std::string> lines;
  return lines;
}

}  // namespace

namespace {

// One entry of the text, up to the separator (taken, not kept) or the end of
// the text: at most kMaxEntryBytes of it are kept, and no more than `left`
// bytes are taken from the stream.
struct Entry {
  std::string text;
  bool any = false;        // a byte was taken
  bool too_long = false;   // bytes were dropped past kMaxEntryBytes
  bool separated = false;  // it ended at the separator
  bool cut = false;        // `left` ran out with more to read
};

Entry next_entry(std::istream& in, char separator, std::size_t& left) {
  Entry entry;
  for (char c;;) {
    if (left == 0) {
      entry.cut = in.peek() != std::char_traits<char>::eof();
      return entry;
    }
    if (!in.get(c)) return entry;
    --left;
    entry.any = true;
    if (c == separator) {
      entry.separated = true;
      return entry;
    }
    if (entry.text.size() < ProgramCfg::kMaxEntryBytes)
      entry.text += c;
    else
      entry.too_long = true;
  }
}

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

}  // namespace

int ProgramCfg::load(std::istream& in, std::vector<UnreadEntry>* unread) {
  std::size_t left = kMaxTextBytes;
  for (std::size_t number = 1;; ++number) {
    Entry read = next_entry(in, entry_separator_, left);
    if (read.cut) {
      // What stands before the limit is kept; the entry it cuts is not.
      if (unread)
        unread->push_back({number, read.text,
                           "the text goes on past " + std::to_string(kMaxTextBytes) +
                               " bytes; the rest is not read"});
      break;
    }
    if (!read.any) break;
    if (read.too_long) {
      if (unread)
        unread->push_back(
            {number, read.text, "longer than " + std::to_string(kMaxEntryBytes) + " bytes"});
      continue;
    }
    std::string entry = strip_comments(read.text, "//");
    const size_t sep = entry.find(key_separator_);
    if (sep == std::string::npos) {
      trim(entry, " \t\r\n", false);
      if (unread && !entry.empty())
        unread->push_back({number, entry, "not a key " + key_separator_ + " value line"});
      continue;
    }
    std::string key = entry.substr(0, sep);
    std::string value = entry.substr(sep + key_separator_.size());
    trim(key, " \t\r\n", false);
    trim(value, " \t\r\n", false);
    if (non_finite_numbers(value)) {
      if (unread)
        unread->push_back({number, key + " " + key_separator_ + " " + value,
                           "not a finite number; the default is used"});
      continue;
    }
    (*this)[key] = std::move(value);
  }
  return 0;
}

int ProgramCfg::load(std::string path) {
  std::ifstream in(path);
  if (!in) return -1;
  std::vector<UnreadEntry> unread;
  const int result = load(in, &unread);
  if (unread.empty()) return result;
  // The same file under another relative name is the same file.
  std::error_code ec;
  const std::string file = std::filesystem::absolute(path, ec).lexically_normal().string();
  for (const UnreadEntry& e : unread) {
    const std::string line =
        ", line " + std::to_string(e.number) + ": \"" + printable(e.text) + "\" left out: " + e.why;
    std::lock_guard<std::mutex> lock(reported_mutex);
    if (reported().insert(file + line).second)
      std::cerr << "Settings file " << path << line << std::endl;
  }
  return result;
}

ProgramCfg& ProgramCfg::operator+=(std::string text) {
  std::istringstream in(std::move(text));
  load(in);
  return *this;
}

int ProgramCfg::save(std::ostream& out) const {
  if (!enclosing_brackets_.empty()) out << enclosing_brackets_[0];
  if (out.fail() || out.bad()) return 1;
  for (const auto& [key, field] : fields_) {
    out << quote_ << key << quote_ << " \t " << key_separator_ << " \t " << field.str()
        << entry_separator_;
  }
  if (out.fail() || out.bad()) return 2;
  if (enclosing_brackets_.size() >= 2) out << enclosing_brackets_[1];
  return out.rdstate() == std::ios::goodbit ? 0 : 1;
}

int ProgramCfg::save(std::string path) const {
  std::ostringstream text;
  int result = save(text);
  // The file is replaced whole, so that a stop while writing leaves the old one.
  if (result == 0) result = replace_file(path, text.str());
  if (result == 1) std::cerr << "Error writing " << path << std::endl;
  return result;
}

std::string ProgramCfg::str() const {
  std::ostringstream out;
  save(out);
  return out.str();
}

std::ostream& operator<<(std::ostream& out, const ProgramCfg& cfg) {
  cfg.save(out);
  return out;
}

std::string ProgramCfg::strip_comments(const std::string& line, std::string marker) {
  return line.substr(0, line.find(marker));
}

bool ProgramCfg::contains(std::string key) const {
  return fields_.count(key) != 0;
}

CfgField& ProgramCfg::operator[](std::string key) {
  return fields_[std::move(key)];
}

const CfgField& ProgramCfg::operator[](std::string key) const {
  static const CfgField missing;
  const auto it = fields_.find(key);
  return it == fields_.end() ? missing : it->second;
}

void ProgramCfg::update(const std::map<std::string, CfgField>& m) {
  for (const auto& [key, field] : m) fields_[key] = field;
}

ProgramCfg& ProgramCfg::operator+=(const ProgramCfg& other) {
  update(other);
  return *this;
}

ProgramCfg ProgramCfg::matching(std::string pattern) const {
  ProgramCfg out("");
  for (const auto& [key, field] : fields_) {
    if (key.find(pattern) != std::string::npos) out.fields_.emplace(key, field);
  }
  return out;
}

int ProgramCfg::parse_args(int argc, char** argv) {
  std::vector<std::string> args;
  for (int i = 1; i < argc; ++i) args.emplace_back(argv[i]);
  return parse_args(args, false, "--", true);
}

int ProgramCfg::parse_args(const std::vector<std::string>& args, bool existing_only,
                           std::string prefix, bool read_files) {
  const auto is_key = [&prefix](const std::string& arg) { return arg.starts_with(prefix); };
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (read_files) {
      std::ifstream file;
      if (file_exists(arg)) file.open(arg);
      if (file.is_open() && file) {
        std::cout << "CFG file " << arg << " found, parsing..." << std::endl;
        load(file);
        continue;
      }
      std::cout << "file " << arg << " not found" << std::endl;
    }
    if (!prefix.empty() && !is_key(arg)) continue;
    if (existing_only && !contains(arg)) continue;
    if (i + 1 == args.size()) continue;
    std::vector<std::string> values;
    for (size_t j = i + 1; j < args.size() && !is_key(args[j]); ++j) values.push_back(args[j]);
    (*this)[arg] = join(values, std::string(1, list_separator_));
  }
  return 0;
}
