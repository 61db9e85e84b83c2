// Settings tables: the settings text format, merging, selection and command lines.
#include "core/program_cfg.h"

#include <fstream>
#include <iostream>
#include <sstream>
#include <string_view>

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

// The UTF-8 byte-order mark some editors write before the first line.
constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

// One entry of the text, up to the separator (taken, not kept) or the end of
// the text; no more than `left` bytes are taken from the stream.
struct Entry {
  std::string text;
  bool any = false;        // a byte was taken
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
    entry.text += c;
  }
}

}  // namespace

int ProgramCfg::load(std::istream& in, std::vector<UnreadEntry>* unread) {
  return load(in, unread, "");
}

int ProgramCfg::load(std::istream& in, std::vector<UnreadEntry>* unread, const std::string& path) {
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
    if (number == 1 && read.text.starts_with(kByteOrderMark))
      read.text.erase(0, kByteOrderMark.size());
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
    std::string shown = key + " " + key_separator_ + " " + value;
    CfgField& field = (*this)[key];
    field = std::move(value);
    field.came_from(path, number, std::move(shown));
  }
  return 0;
}

int ProgramCfg::load(std::string path) {
  std::ifstream in(path);
  if (!in) return -1;
  std::vector<UnreadEntry> unread;
  const int result = load(in, &unread, path);
  for (const UnreadEntry& e : unread) report_setting(path, e.number, e.text, "left out: " + e.why);
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
