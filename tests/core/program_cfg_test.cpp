#include "core/program_cfg.h"

#include <gtest/gtest.h>

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

TEST(ProgramCfg, EntriesThatCannotBeReadOrAreNoFiniteNumberAreListedAndLeftOut) {
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
      "model = inferno.obj\n"
      "small = -1e-30\n"
      "list = 0 -0.5 3\n");
  std::vector<ProgramCfg::UnreadEntry> unread;
  EXPECT_EQ(cfg.load(in, &unread), 0);
  // The refused keys keep what they held (or stay absent); words that only
  // begin like a number are text.
  EXPECT_EQ(texts(cfg), (Texts{{"volume", "0.5"},
                               {"name", "information"},
                               {"model", "inferno.obj"},
                               {"small", "-1e-30"},
                               {"list", "0 -0.5 3"}}));
  ASSERT_EQ(unread.size(), 4u);
  const char* const finite = "not a finite number; the default is used";
  EXPECT_EQ(unread[0].number, 1u);
  EXPECT_EQ(unread[0].text, "volume = nan");
  EXPECT_EQ(unread[0].why, finite);
  EXPECT_EQ(unread[1].number, 4u);
  EXPECT_EQ(unread[1].text, "garbage without a separator");
  EXPECT_EQ(unread[1].why, "not a key = value line");
  EXPECT_EQ(unread[2].number, 5u);
  EXPECT_EQ(unread[2].text, "speed = 1 inf 2");
  EXPECT_EQ(unread[3].number, 6u);
  EXPECT_EQ(unread[3].text, "big = 1e999");
  EXPECT_EQ(unread[3].why, finite);
}

TEST(ProgramCfg, AFileNamesEachLineItLeavesOutOnce) {
  TempDataRoot root;
  root.write("cfg/t.ini", "a = 1\n? what\nb = -inf\n");
  OutputCapture capture;
  ProgramCfg cfg;
  EXPECT_EQ(cfg.load("cfg/t.ini"), 0);
  EXPECT_EQ(texts(cfg), (Texts{{"a", "1"}}));
  const std::string report =
      "Settings file cfg/t.ini, line 2: \"? what\" left out: not a key = value line\n"
      "Settings file cfg/t.ini, line 3: \"b = -inf\" left out: not a finite number; the default "
      "is used\n";
  EXPECT_EQ(capture.err(), report);
  // Read again, under another name too, the file says nothing new; a new
  // bad line is named.
  ProgramCfg again;
  EXPECT_EQ(again.load("./cfg/t.ini"), 0);
  EXPECT_EQ(capture.err(), report);
  root.write("cfg/t.ini", "a = 1\n? what\nb = -inf\nc = NaN\n");
  EXPECT_EQ(again.load("cfg/t.ini"), 0);
  EXPECT_EQ(capture.err(),
            report +
                "Settings file cfg/t.ini, line 4: \"c = NaN\" left out: not a finite "
                "number; the default is used\n");
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
// message shows a short printable prefix of the line.
TEST(ProgramCfg, AFileThatNeverEndsOrHasHugeOrBinaryLinesIsReadWithinLimits) {
  const std::string xs(ProgramCfg::kMaxEntryBytes + 1, 'x');
  const std::string shown_xs = std::string(60, 'x') + "...";
  const std::string past = "the text goes on past 1048576 bytes; the rest is not read";
  struct Case {
    std::string bytes;  // empty: the file is a link to /dev/zero
    Texts kept;
    std::string message;  // after "Settings file <path>, "
  };
  const std::vector<Case> cases = {
      {"a = 1\n" + xs + "\nb = 2\n",
       {{"a", "1"}, {"b", "2"}},
       "line 2: \"" + shown_xs + "\" left out: longer than 4096 bytes"},
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
  // The entry listed keeps no more than the longest entry read.
  std::ifstream zero("/dev/zero");
  std::vector<ProgramCfg::UnreadEntry> unread;
  EXPECT_EQ(ProgramCfg().load(zero, &unread), 0);
  ASSERT_EQ(unread.size(), 1u);
  EXPECT_EQ(unread[0].text.size(), ProgramCfg::kMaxEntryBytes);
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
