#include "core/program_cfg.h"

#include <gtest/gtest.h>

#include <array>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <streambuf>
#include <vector>

#include "support/capture.h"
#include "support/data_root.h"

using testing_support::OutputCapture;
using testing_support::TempDataRoot;
using Texts = std::map<std::string, std::string>;

namespace {

Texts texts(const ProgramCfg& cfg) {
  Texts out;
  for (const auto& [key, field] : cfg.fields()) out[key] = field.str();
  return out;
}

// A settings file written under a temporary data root and loaded, with the
// error stream captured from before the load.
struct LoadedFile {
  LoadedFile(const std::string& path, const std::string& text) {
    root.write(path, text);
    EXPECT_EQ(cfg.load(path), 0);
  }
  TempDataRoot root;
  OutputCapture capture;
  ProgramCfg cfg;
};

// Takes a fixed number of characters, then fails like a full disk.
class LimitedBuf : public std::streambuf {
 public:
  explicit LimitedBuf(size_t room) : room_(room) {}

 protected:
  int_type overflow(int_type c) override {
    if (room_ == 0) return traits_type::eof();
    --room_;
    return c;
  }

 private:
  size_t room_;
};

// Exposes the general command-line reader.
struct ArgsCfg : ProgramCfg {
  using ProgramCfg::parse_args;
};

}  // namespace

TEST(ProgramCfg, ReaderTrimsStripsCommentsAndSplitsAtTheFirstSeparator) {
  const ProgramCfg cfg(
      "a=1\n"
      "b = 2 // note\n"
      "// only a comment\n"
      "   \n"
      "no separator here\n"
      "x=a=b\n"
      "=5\n"
      "crlf = one two \r\n"
      "url = http://host\n"
      "a = 3\n"
      "last=no line end");
  EXPECT_EQ(texts(cfg), (Texts{{"a", "3"},
                               {"b", "2"},
                               {"x", "a=b"},
                               {"", "5"},
                               {"crlf", "one two"},
                               {"url", "http:"},
                               {"last", "no line end"}}));
}

// Every entry with a key is kept, whatever its value says: "nan" or "inf"
// are texts the table holds, and the number reader refuses them as numbers.
// Only lines without a key are listed.
TEST(ProgramCfg, EveryEntryWithAKeyIsKeptAndOnlyLinesWithoutOneAreListed) {
  ProgramCfg cfg;
  cfg["volume"] = "0.5";
  std::istringstream in(
      "volume = nan\n"
      "   \n"
      "// a comment\n"
      "garbage without a separator // and a comment\n"
      "speed = 1 inf 2\n"
      "big = 1e999\n"
      "name = information\n"
      "small = -1e-30\n"
      "list = 0 -0.5 3\n");
  std::vector<ProgramCfg::UnreadEntry> unread;
  EXPECT_EQ(cfg.load(in, &unread), 0);
  EXPECT_EQ(texts(cfg), (Texts{{"volume", "nan"},
                               {"speed", "1 inf 2"},
                               {"big", "1e999"},
                               {"name", "information"},
                               {"small", "-1e-30"},
                               {"list", "0 -0.5 3"}}));
  ASSERT_EQ(unread.size(), 1u);
  EXPECT_EQ(unread[0].number, 4u);
  EXPECT_EQ(unread[0].text, "garbage without a separator");
  EXPECT_EQ(unread[0].why, "not a key = value line");

  OutputCapture capture;
  float volume = 0.25f, big = 2.0f, small = 1.0f;
  std::array<float, 3> speed = {1.0f, 2.0f, 3.0f};
  EXPECT_FALSE(cfg.read("volume", &volume));
  EXPECT_FALSE(cfg.read("big", &big));
  EXPECT_FALSE(cfg.read("speed", &speed));
  EXPECT_TRUE(cfg.read("small", &small));
  EXPECT_EQ(volume, 0.25f);
  EXPECT_EQ(big, 2.0f);
  EXPECT_EQ(speed, (std::array<float, 3>{1.0f, 2.0f, 3.0f}));
  EXPECT_EQ(small, -1e-30f);
}

TEST(ProgramCfg, AFileNamesEachLineItLeavesOutOnce) {
  TempDataRoot root;
  root.write("cfg/t.ini", "a = 1\n? what\nb = -inf\n");
  OutputCapture capture;
  ProgramCfg cfg;
  EXPECT_EQ(cfg.load("cfg/t.ini"), 0);
  EXPECT_EQ(texts(cfg), (Texts{{"a", "1"}, {"b", "-inf"}}));
  const std::string report =
      "Settings file cfg/t.ini, line 2: \"? what\" left out: not a key = value line\n";
  EXPECT_EQ(capture.err(), report);
  // Read again, under another name too, the file says nothing new; a new
  // bad line is named.
  ProgramCfg again;
  EXPECT_EQ(again.load("./cfg/t.ini"), 0);
  EXPECT_EQ(capture.err(), report);
  root.write("cfg/t.ini", "a = 1\n? what\nb = -inf\nNaN\n");
  EXPECT_EQ(again.load("cfg/t.ini"), 0);
  EXPECT_EQ(capture.err(),
            report + "Settings file cfg/t.ini, line 4: \"NaN\" left out: not a key = value line\n");
}

// A value that does not read as the wanted type keeps the caller's default
// and is named once with its file and line; the text stays in the table, so
// that saving writes back what the player wrote.
TEST(ProgramCfg, AValueThatDoesNotReadAsTheWantedTypeKeepsTheDefault) {
  LoadedFile file("cfg/t.ini",
                  "walk_accel = fast\n"
                  "blank =\n"
                  "offset = 0 -0.1\n"
                  "flags = x y\n"
                  "hints = yes\n"
                  "half = 8abc\n"
                  "good = 2.5\n"
                  "triple = 1 0 2 extra\n"
                  "huge = 1e39\n");
  const ProgramCfg& cfg = file.cfg;
  const auto named = [](int line, const std::string& entry, const std::string& why) {
    return "Settings file cfg/t.ini, line " + std::to_string(line) + ": \"" + entry +
           "\" left out: " + why + "; the default is used\n";
  };
  float accel = 8.0f, blank = 3.0f, half = 5.0f, good = 0.0f;
  std::array<float, 3> offset = {1.0f, 2.0f, 3.0f}, triple{};
  std::array<bool, 3> flags = {true, false, true};
  bool hints = true;
  int missing = 7;
  EXPECT_FALSE(cfg.read("walk_accel", &accel));
  EXPECT_FALSE(cfg.read("blank", &blank));
  EXPECT_FALSE(cfg.read("offset", &offset));
  EXPECT_FALSE(cfg.read("flags", &flags));
  EXPECT_FALSE(cfg.read("hints", &hints));
  EXPECT_FALSE(cfg.read("half", &half));
  EXPECT_FALSE(cfg.read("huge", &half));
  EXPECT_FALSE(cfg.read("missing", &missing));
  EXPECT_EQ(accel, 8.0f);
  EXPECT_EQ(blank, 3.0f);
  EXPECT_EQ(offset, (std::array<float, 3>{1.0f, 2.0f, 3.0f}));
  EXPECT_EQ(flags, (std::array<bool, 3>{true, false, true}));
  EXPECT_TRUE(hints);
  EXPECT_EQ(half, 5.0f);
  EXPECT_EQ(missing, 7);
  // Values that read are taken as the conversions take them.
  EXPECT_TRUE(cfg.read("good", &good));
  EXPECT_EQ(good, 2.5f);
  EXPECT_TRUE(cfg.read("triple", &triple));
  EXPECT_EQ(triple, (std::array<float, 3>{1.0f, 0.0f, 2.0f}));
  const std::string report =
      named(1, "walk_accel = fast", "not a number") + named(2, "blank = ", "not a number") +
      named(3, "offset = 0 -0.1", "not 3 numbers") + named(4, "flags = x y", "not 3 numbers") +
      named(5, "hints = yes", "not a number") + named(6, "half = 8abc", "not a number") +
      named(9, "huge = 1e39", "not a finite number");
  EXPECT_EQ(file.capture.err(), report);
  // Read again, from the same file loaded again, nothing new is said.
  ProgramCfg again;
  ASSERT_EQ(again.load("./cfg/t.ini"), 0);
  EXPECT_FALSE(again.read("walk_accel", &accel));
  EXPECT_EQ(file.capture.err(), report);
  EXPECT_EQ(again["walk_accel"].str(), "fast");
  // A value the program writes has no file line any more.
  again["walk_accel"] = 4.0f;
  EXPECT_TRUE(again.read("walk_accel", &accel));
  EXPECT_EQ(accel, 4.0f);
}

// Notepad writes a UTF-8 byte-order mark before the first line.
TEST(ProgramCfg, AByteOrderMarkBeforeTheFirstLineIsSkipped) {
  std::istringstream in(
      "\xEF\xBB\xBF"
      "fullscreen = 0\nname = \xEF\xBB\xBFx\n");
  std::vector<ProgramCfg::UnreadEntry> unread;
  ProgramCfg cfg;
  cfg.load(in, &unread);
  EXPECT_TRUE(unread.empty());
  bool fullscreen = true;
  EXPECT_TRUE(cfg.read("fullscreen", &fullscreen));
  EXPECT_FALSE(fullscreen);
  // Only before the first line: elsewhere the bytes are text.
  EXPECT_EQ(cfg["name"].str(), "\xEF\xBB\xBFx");
}

// A volume read with its range is held to it, and named.
TEST(ProgramCfg, AValueReadWithARangeIsHeldToIt) {
  LoadedFile file("cfg/a.ini", "low = -5\nhigh = 1e30\ninside = 0.5\nword = loud\n");
  const ProgramCfg& cfg = file.cfg;
  constexpr std::array<float, 2> kRange = {0.0f, 1.0f};
  float low = 0.7f, high = 0.7f, inside = 0.7f, word = 0.7f;
  EXPECT_TRUE(cfg.read("low", &low, kRange));
  EXPECT_TRUE(cfg.read("high", &high, kRange));
  EXPECT_TRUE(cfg.read("inside", &inside, kRange));
  EXPECT_FALSE(cfg.read("word", &word, kRange));
  EXPECT_EQ(low, 0.0f);
  EXPECT_EQ(high, 1.0f);
  EXPECT_EQ(inside, 0.5f);
  EXPECT_EQ(word, 0.7f);
  EXPECT_EQ(file.capture.err(),
            "Settings file cfg/a.ini, line 1: \"low = -5\" outside 0 to 1; 0 is used\n"
            "Settings file cfg/a.ini, line 2: \"high = 1e30\" outside 0 to 1; 1 is used\n"
            "Settings file cfg/a.ini, line 4: \"word = loud\" left out: not a number; the default "
            "is used\n");
  // The text stays as the player wrote it.
  EXPECT_EQ(cfg["high"].str(), "1e30");
}

TEST(ProgramCfg, ASwitchReadsAsAtoiReadsItAndAMissingOneTakesTheDefault) {
  std::istringstream text("one = 1\nzero = 0\nword = window\ntwo = 2\nlead = 1st\n");
  ProgramCfg cfg;
  cfg.load(text);
  const struct {
    const char* key;
    bool otherwise, expected;
  } cases[] = {{"one", false, true},     {"zero", true, false}, {"word", true, false},
               {"two", false, true},     {"lead", false, true}, {"missing", true, true},
               {"missing", false, false}};
  for (const auto& c : cases)
    EXPECT_EQ(cfg.flag(c.key, c.otherwise), c.expected) << c.key << " " << c.otherwise;
  EXPECT_FALSE(cfg.contains("missing"));
}

TEST(ProgramCfg, ReadingKeepsTheAttributesOfPresentKeys) {
  ProgramCfg cfg;
  cfg["v"].list_separator(',');
  cfg += "v = 1,2";
  EXPECT_EQ(cfg["v"].list_separator(), ',');
  EXPECT_EQ(cfg["v"].str(), "1,2");
}

TEST(ProgramCfg, TheThreeFormats) {
  struct Case {
    CfgFormat format;
    std::string key_separator, quote;
    char entry_separator, list_separator;
    std::string list_brackets, enclosing, written, written_empty;
  };
  const Case cases[] = {
      {CFG_LINES, "=", "", '\n', ' ', "  ", "", "a \t = \t 1\nb \t = \t x y\n", ""},
      {CFG_BRACED, ":", "'", ',', ' ', "[]", "{}", "{'a' \t : \t 1,'b' \t : \t x y,}", "{}"},
      {CFG_LINES_COMMA_LISTS, "=", "", '\n', ',', "  ", "", "a \t = \t 1\nb \t = \t x y\n", ""},
  };
  for (const Case& c : cases) {
    ProgramCfg cfg("a = 1\nb = x y");
    cfg.set_format(c.format);
    EXPECT_EQ(cfg.format(), c.format);
    EXPECT_EQ(cfg.key_separator(), c.key_separator);
    EXPECT_EQ(cfg.quote(), c.quote);
    EXPECT_EQ(cfg.entry_separator(), c.entry_separator);
    EXPECT_EQ(cfg.list_separator(), c.list_separator);
    EXPECT_EQ(cfg.list_brackets(), c.list_brackets);
    EXPECT_EQ(cfg.enclosing_brackets(), c.enclosing);
    // Fields held when the format is set take its list characters; later ones do not.
    EXPECT_EQ(cfg["a"].list_separator(), c.list_separator);
    EXPECT_EQ(cfg["a"].list_brackets(), c.list_brackets);
    EXPECT_EQ(cfg["new"].list_brackets(), "");
    cfg.fields().erase("new");

    std::ostringstream out;
    EXPECT_EQ(cfg.save(out), 0);
    EXPECT_EQ(out.str(), c.written);
    EXPECT_EQ(cfg.str(), c.written);
    std::ostringstream streamed;
    streamed << cfg;
    EXPECT_EQ(streamed.str(), c.written);

    cfg.clear();
    EXPECT_EQ(cfg.format(), c.format);
    std::ostringstream empty;
    EXPECT_EQ(cfg.save(empty), 0);
    EXPECT_EQ(empty.str(), c.written_empty);
  }
}

TEST(ProgramCfg, CommaListsOfFormatTwoWriteArrays) {
  ProgramCfg cfg("pos = 0");
  cfg.set_format(CFG_LINES_COMMA_LISTS);
  cfg["pos"] = std::array<float, 3>{1, 2, 3};
  EXPECT_EQ(cfg["pos"].str(), " 1.0000000e+00,2.0000000e+00,3.0000000e+00, ");
}

TEST(ProgramCfg, FormatZeroRoundTripLosesOnlyWhatTheFormatCannotHold) {
  ProgramCfg cfg;
  cfg["plain"] = "value";
  cfg["padded"] = "  inner  ";
  cfg["list"] = std::array<float, 3>{1, 2, 3};
  cfg["comment"] = "a // b";
  cfg["k=v"] = "x";
  const ProgramCfg back(cfg.str());
  EXPECT_EQ(texts(back), (Texts{{"plain", "value"},
                                {"padded", "inner"},
                                {"list", "1.0000000e+00 2.0000000e+00 3.0000000e+00"},
                                {"comment", "a"},
                                {"k", "v \t = \t x"}}));
  EXPECT_EQ((static_cast<std::array<float, 3>>(back["list"])), (std::array<float, 3>{1, 2, 3}));
}

TEST(ProgramCfg, WriterReportsWhereTheStreamFailed) {
  ProgramCfg cfg("a = 1");
  cfg.set_format(CFG_BRACED);
  const std::string whole = "{'a' \t : \t 1,}";
  ASSERT_EQ(cfg.str(), whole);
  // Room for: nothing, only the opening brace, all but the closing brace, all.
  const std::pair<size_t, int> cases[] = {{0, 1}, {1, 2}, {whole.size() - 1, 1}, {whole.size(), 0}};
  for (const auto& [room, result] : cases) {
    LimitedBuf buf(room);
    std::ostream out(&buf);
    EXPECT_EQ(cfg.save(out), result) << room;
  }
  std::ostringstream bad;
  bad.setstate(std::ios::badbit);
  EXPECT_EQ(ProgramCfg("a = 1").save(bad), 1);
}

// What the table saves reads back the same, however long a value is and
// whatever it spells.
TEST(ProgramCfg, EveryValueTheTableSavesReadsBack) {
  TempDataRoot root;
  std::string numbers;
  for (int i = 0; i < 20000; ++i) numbers += std::to_string(i % 97) + ".5 ";
  numbers.pop_back();
  const Texts values = {{"long_list", numbers},
                        {"long_word", std::string(100000, 'w')},
                        {"name", "nan"},
                        {"infinite", "inf"},
                        {"mixed", "1 -inf 2"}};
  ProgramCfg cfg;
  for (const auto& [key, text] : values) cfg[key] = text;
  ASSERT_EQ(cfg.save("cfg/t.ini"), 0);
  OutputCapture capture;
  ProgramCfg back;
  EXPECT_EQ(back.load("cfg/t.ini"), 0);
  EXPECT_EQ(texts(back), values);
  EXPECT_EQ(capture.err(), "");
}

TEST(ProgramCfg, FilesLoadAndSave) {
  TempDataRoot root;
  ProgramCfg cfg("b = 2\na = 1");
  EXPECT_EQ(cfg.save("cfg/t.ini"), 0);
  EXPECT_EQ(root.read("cfg/t.ini"), "a \t = \t 1\nb \t = \t 2\n");
  ProgramCfg back;
  EXPECT_EQ(back.load("cfg/t.ini"), 0);
  EXPECT_EQ(texts(back), (Texts{{"a", "1"}, {"b", "2"}}));

  OutputCapture capture;
  EXPECT_EQ(back.load("cfg/missing.ini"), -1);
  EXPECT_EQ(capture.err(), "");
  EXPECT_EQ(cfg.save("no/such/folder/t.ini"), 1);
  EXPECT_EQ(capture.err(), "Error writing no/such/folder/t.ini\n");
}

// A stop while saving must not leave a cut file: the old file is replaced, never
// truncated, so a reader that opened it before still reads it whole.
TEST(ProgramCfg, SaveReplacesTheFileWithoutTruncatingIt) {
  TempDataRoot root;
  root.write("cfg/t.ini", "old = 1\n");
  std::ifstream before("cfg/t.ini");
  EXPECT_EQ(ProgramCfg("new = 2").save("cfg/t.ini"), 0);
  EXPECT_EQ(root.read("cfg/t.ini"), "new \t = \t 2\n");
  std::stringstream old;
  old << before.rdbuf();
  EXPECT_EQ(old.str(), "old = 1\n");
}

// Whatever a settings file holds, reading it takes bounded memory and the
// message shows a short printable prefix of the line. A long entry within
// the bound is kept.
TEST(ProgramCfg, AFileThatNeverEndsOrHasHugeOrBinaryLinesIsReadWithinLimits) {
  const std::string xs(ProgramCfg::kMaxTextBytes / 2, 'x');
  const std::string past = "the text goes on past 1048576 bytes; the rest is not read";
  struct Case {
    std::string bytes;  // empty: the file is a link to /dev/zero
    Texts kept;
    std::string message;  // after "Settings file <path>, "
  };
  const std::vector<Case> cases = {
      {"a = 1\nx = " + xs + "\nb = 2\n", {{"a", "1"}, {"x", xs}, {"b", "2"}}, ""},
      {"a = 1\n\x1b[2J\x01"
       "bad\x7f\n",
       {{"a", "1"}},
       "line 2: \"?[2J?bad?\" left out: not a key = value line"},
      {"a = 1\n" + std::string(ProgramCfg::kMaxTextBytes, 'y') + "\nb = 2\n",
       {{"a", "1"}},
       "line 2: \"" + std::string(60, 'y') + "...\" left out: " + past},
      {"", {}, "line 1: \"" + std::string(60, '?') + "...\" left out: " + past},
  };
  for (size_t i = 0; i < cases.size(); ++i) {
    SCOPED_TRACE(i);
    TempDataRoot root;
    const std::string path = "cfg/t" + std::to_string(i) + ".ini";
    if (!cases[i].bytes.empty()) {
      root.write(path, cases[i].bytes);
    } else if (std::filesystem::exists("/dev/zero")) {
      std::filesystem::create_symlink("/dev/zero", path);
    } else {
      continue;
    }
    OutputCapture capture;
    ProgramCfg cfg;
    EXPECT_EQ(cfg.load(path), 0);
    EXPECT_EQ(texts(cfg), cases[i].kept);
    EXPECT_EQ(capture.err(), cases[i].message.empty()
                                 ? ""
                                 : "Settings file " + path + ", " + cases[i].message + "\n");
  }
  // The entry listed keeps no more than what was read.
  std::ifstream zero("/dev/zero");
  std::vector<ProgramCfg::UnreadEntry> unread;
  EXPECT_EQ(ProgramCfg().load(zero, &unread), 0);
  ASSERT_EQ(unread.size(), 1u);
  EXPECT_EQ(unread[0].text.size(), ProgramCfg::kMaxTextBytes);
}

TEST(ProgramCfg, SaveReportsAWriteThatNeverReachesTheDisk) {
  if (!std::filesystem::exists("/dev/full")) GTEST_SKIP() << "no /dev/full";
  OutputCapture capture;
  EXPECT_EQ(ProgramCfg("a = 1").save("/dev/full"), 2);
}

TEST(ProgramCfg, LookupMergeAndSelection) {
  ProgramCfg cfg("lights = 1\npoint_light = 2\nsky = 3");
  const ProgramCfg& const_cfg = cfg;
  EXPECT_TRUE(cfg.contains("sky"));
  EXPECT_EQ(const_cfg["missing"].str(), "");
  EXPECT_FALSE(cfg.contains("missing"));
  EXPECT_EQ(cfg["added"].str(), "");
  EXPECT_TRUE(cfg.contains("added"));

  const ProgramCfg lights = cfg.matching("light");
  EXPECT_EQ(texts(lights), (Texts{{"lights", "1"}, {"point_light", "2"}}));
  EXPECT_EQ(cfg.matching("").fields().size(), cfg.fields().size());

  CfgField styled("9", "note");
  styled.precision(2);
  ProgramCfg other;
  other["sky"] = styled;
  other["new"] = "n";
  cfg += other;
  EXPECT_EQ(cfg["sky"].str(), "9");
  EXPECT_EQ(cfg["sky"].second_text(), "note");
  EXPECT_EQ(cfg["sky"].precision(), 2);
  EXPECT_EQ(cfg["new"].str(), "n");
  EXPECT_EQ(cfg["lights"].str(), "1");

  EXPECT_EQ(ProgramCfg::strip_comments("a // b // c", "//"), "a ");
  EXPECT_EQ(ProgramCfg::strip_comments("abc", "#"), "abc");
  EXPECT_EQ(ProgramCfg::strip_comments("abc", ""), "");
}

TEST(ProgramCfg, CommandLineKeysValuesAndFiles) {
  TempDataRoot root;
  root.write("extra.ini", "from_file = yes\n");
  const char* argv[] = {"talvorin32", "extra.ini", "--speed", "2", "3", "--name", "demo", "--flag"};
  ProgramCfg cfg;
  OutputCapture capture;
  EXPECT_EQ(cfg.parse_args(8, const_cast<char**>(argv)), 0);
  EXPECT_EQ(texts(cfg), (Texts{{"--speed", "2 3"}, {"--name", "demo"}, {"from_file", "yes"}}));
  EXPECT_EQ(capture.out(),
            "CFG file extra.ini found, parsing...\n"
            "file --speed not found\nfile 2 not found\nfile 3 not found\n"
            "file --name not found\nfile demo not found\nfile --flag not found\n");
}

TEST(ProgramCfg, CommandLineEdgeCases) {
  OutputCapture capture;
  ArgsCfg single;
  single.parse_args({"--fullscreen"}, false, "--", false);
  EXPECT_TRUE(single.fields().empty());

  ArgsCfg two;
  two.parse_args({"--fullscreen", "--width", "800"}, false, "--", false);
  EXPECT_EQ(texts(two), (Texts{{"--fullscreen", ""}, {"--width", "800"}}));

  ArgsCfg existing;
  existing["--width"] = "640";
  existing.parse_args({"--width", "800", "--height", "600"}, true, "--", false);
  EXPECT_EQ(texts(existing), (Texts{{"--width", "800"}}));

  ArgsCfg no_prefix;
  no_prefix.parse_args({"a", "b"}, false, "", false);
  EXPECT_EQ(texts(no_prefix), (Texts{{"a", ""}}));

  ArgsCfg commas;
  commas.set_format(CFG_LINES_COMMA_LISTS);
  commas.parse_args({"--pos", "1", "2"}, false, "--", false);
  EXPECT_EQ(commas["--pos"].str(), "1,2");
  EXPECT_EQ(capture.out(), "");
}
