// ProgramCfg: one table of settings, an ordered map from key to CfgField, with the
// settings text format that every settings file of the system uses.
#pragma once

#include <istream>
#include <map>
#include <ostream>
#include <string>
#include <vector>

#include "core/cfg_field.h"

// The text forms of a table:
//   0: key = value lines, blank-separated lists (every table starts in it);
//   1: {'key' : value,...} on one line, bracketed lists;
//   2: like 0, but lists written into held fields are separated by commas.
enum CfgFormat { CFG_LINES = 0, CFG_BRACED = 1, CFG_LINES_COMMA_LISTS = 2 };

class ProgramCfg {
 public:
  // An empty table in format 0, then the text parsed into it.
  explicit ProgramCfg(std::string text = "");

  // Sets the separators and brackets of the format and hands the list separator
  // and brackets to every field held now; fields added later keep their defaults.
  void set_format(CfgFormat format);
  CfgFormat format() const { return format_; }
  const std::string& key_separator() const { return key_separator_; }
  const std::string& quote() const { return quote_; }
  char entry_separator() const { return entry_separator_; }
  char list_separator() const { return list_separator_; }
  const std::string& list_brackets() const { return list_brackets_; }
  const std::string& enclosing_brackets() const { return enclosing_brackets_; }

  // An entry the reader did not take: its number (the first is 1), its text
  // and why.
  struct UnreadEntry {
    std::size_t number = 0;
    std::string text;
    std::string why;
  };

  // Reader: entries end at the entry separator; text from "//" on is a comment;
  // the key is what stands before the first key separator, the value what follows
  // it, both trimmed of blanks, tabs, CR and LF. Every entry with a key
  // separator is taken, whatever its value or length (a value that is no
  // number is refused where it is read as one, by CfgField::read); an entry
  // without one that is not blank is listed in *unread when given. So that no
  // text holds memory without bound, reading stops after kMaxTextBytes: the
  // entries before keep their values, the entry the limit cuts is listed and
  // left out. A UTF-8 byte-order mark before the first entry is skipped. Each
  // field read keeps its line for the reports of CfgField::read. Always 0.
  static constexpr std::size_t kMaxTextBytes = 1 << 20;
  int load(std::istream& in, std::vector<UnreadEntry>* unread = nullptr);
  // -1 when the file cannot be opened (silently), else 0. The entries left
  // out are reported on the error stream with the path and line number,
  // each once in the process's run however often the file is read; a line
  // is shown by its first 60 bytes, control bytes as '?'.
  int load(std::string path);
  ProgramCfg& operator+=(std::string text);

  // Writer: 0 when written, 1 when the stream failed before the entries (or is
  // not clear at the end), 2 when it failed while writing the entries.
  int save(std::ostream& out) const;
  // As above into a file, replaced whole (replace_file): 1 with "Error
  // writing <path>" on the error stream when the file cannot be written, 2
  // when writing fails; on failure the file keeps its old content.
  int save(std::string path) const;
  std::string str() const;

  // The line before the first occurrence of the marker.
  static std::string strip_comments(const std::string& line, std::string marker);

  bool contains(std::string key) const;
  // Inserts a default field for a missing key.
  CfgField& operator[](std::string key);
  // A missing key gives one shared empty field; nothing is inserted.
  const CfgField& operator[](std::string key) const;
  // The key's value read into *value with CfgField::read; false, and *value
  // untouched, when the key is missing or its value does not read.
  template <typename T, typename... Range>
  bool read(const std::string& key, T* value, Range... range) const {
    const auto it = fields_.find(key);
    return it != fields_.end() && it->second.read(value, range...);
  }
  // The key's value as a switch, read as atoi reads it: any number but 0
  // is on, 0 and a word are off; `otherwise` when the key is missing.
  bool flag(const std::string& key, bool otherwise) const {
    const auto it = fields_.find(key);
    return it == fields_.end() ? otherwise : static_cast<int>(it->second) != 0;
  }
  std::map<std::string, CfgField>& fields() { return fields_; }
  const std::map<std::string, CfgField>& fields() const { return fields_; }
  // Removes every field; format and separators stay.
  void clear() { fields_.clear(); }

  // Copies every given field (all its attributes) over the table's own; other
  // keys are untouched.
  void update(const std::map<std::string, CfgField>& m);
  void update(const ProgramCfg& other) { update(other.fields()); }
  ProgramCfg& operator+=(const ProgramCfg& other);
  // A new format-0 table with every field whose key contains the pattern.
  ProgramCfg matching(std::string pattern) const;

  // Fills the table from a program's arguments (the program name skipped): an
  // argument that names a readable file is parsed as settings; an argument that
  // begins with "--" is a key, and the arguments up to the next key are its value,
  // joined with the list separator. Always 0.
  int parse_args(int argc, char** argv);

 protected:
  // load with the file the entries come from, for the fields' reports.
  int load(std::istream& in, std::vector<UnreadEntry>* unread, const std::string& path);
  int parse_args(const std::vector<std::string>& args, bool existing_only, std::string prefix,
                 bool read_files);

 private:
  CfgFormat format_ = CFG_LINES;
  std::map<std::string, CfgField> fields_;
  std::string key_separator_;
  std::string quote_;
  char entry_separator_ = '\n';
  char list_separator_ = ' ';
  std::string list_brackets_;
  std::string enclosing_brackets_;
};

std::ostream& operator<<(std::ostream& out, const ProgramCfg& cfg);
