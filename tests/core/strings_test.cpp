#include "core/strings.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <sstream>
#include <streambuf>

#include "support/data_root.h"

using Strings = std::vector<std::string>;

TEST(Split, CutsAtTheWholeDelimiterOrAtWhiteSpace) {
  struct Case {
    std::string text, delimiter;
    Strings parts;
  };
  const Case cases[] = {
      {"a b\tc", "", {"a", "b", "c"}},
      {"  a \n b  ", "", {"a", "b"}},
      {"", ",", {}},
      {"abc", ",", {"abc"}},
      {"a,,b", ",", {"a", "", "b"}},
      {",a", ",", {"", "a"}},
      {"a,", ",", {"a"}},
      {"a--b", "--", {"a", "b"}},
      {"a-b--c", "--", {"a-b", "c"}},
      {"line one\nline two", "\n", {"line one", "line two"}},
  };
  for (const Case& c : cases) EXPECT_EQ(split(c.text, c.delimiter), c.parts) << c.text;
}

TEST(Join, PutsTheSeparatorOnlyBetweenParts) {
  EXPECT_EQ(join({"x", "y", "z"}, ", "), "x, y, z");
  EXPECT_EQ(join({"x"}, ", "), "x");
  EXPECT_EQ(join({}, ", "), "");
}

TEST(SplitExt, CutsAtTheLastDotOfTheWholeText) {
  using Pair = std::array<std::string, 2>;
  EXPECT_EQ(split_ext("model.obj"), (Pair{"model", ".obj"}));
  EXPECT_EQ(split_ext("dir.x/file"), (Pair{"dir", ".x/file"}));
  EXPECT_EQ(split_ext("name"), (Pair{"name", ""}));
  EXPECT_EQ(split_ext("a.tar.gz"), (Pair{"a.tar", ".gz"}));
}

TEST(Trim, RemovesSetCharactersAtTheEnds) {
  std::string s = "  inner text \r\n";
  std::string& r = trim(s, " \t\r\n", false);
  EXPECT_EQ(&r, &s);
  EXPECT_EQ(s, "inner text");

  std::string dashes = "--x-";
  EXPECT_EQ(ltrim(dashes, "", true), "x-");
  std::string right = "--x-";
  EXPECT_EQ(rtrim(right, "", true), "--x");

  std::string only = " \t\r\n ";
  EXPECT_EQ(trim(only, " \t\r\n", false), "");
  std::string none = "é";  // bytes that are no alphanumerics in the C locale
  EXPECT_EQ(trim(none, "", true), "");
}

TEST(FindAndReplace, ReplacesWithoutOverlapping) {
  EXPECT_EQ(find_and_replace("aaa", "aa", "b"), "ba");
  EXPECT_EQ(find_and_replace("abc", "c", ""), "ab");
  EXPECT_EQ(find_and_replace("abc", "", "x"), "abc");
  EXPECT_EQ(find_and_replace("", "a", "x"), "");
  EXPECT_EQ(find_and_replace("a.b.c", ".", "::"), "a::b::c");
}

TEST(FindAndReplace, MapFormLowersTheKeysButNotTheText) {
  const std::map<std::string, std::string> values{{"Name", "blue"}, {"b", "$name!"}};
  // "b" comes after "Name" in key order, so its replacement is not expanded again.
  EXPECT_EQ(find_and_replace("$name $Name $b", values, "$"), "blue $Name $name!");
}

TEST(Text, HtmlLineEndsRemovedCharactersAndLowerCase) {
  EXPECT_EQ(endlines_to_html("one\r\ntwo\nthree"), "one<br>two<br>three");
  EXPECT_EQ(replace_chars("[1, 2]", "[]", ""), "1, 2");
  EXPECT_EQ(replace_chars("a-b", "-", "+-"), "a+-b");
  EXPECT_EQ(tolower_s("MiXeD 1"), "mixed 1");
}

TEST(GetlineCrlf, GivesTheSameLinesForCrLfAndLf) {
  std::istringstream in("first\r\nsecond\nthird");
  std::string line;
  Strings lines;
  while (getline_crlf(in, line)) lines.push_back(line);
  EXPECT_EQ(lines, (Strings{"first", "second", "third"}));
}

TEST(LoadFileStr, ReadsTheWholeFileOrNothing) {
  testing_support::TempDataRoot root;
  root.write("a.txt", std::string("ab\0cd\n", 6));
  EXPECT_EQ(load_file_str("a.txt"), std::string("ab\0cd\n", 6));
  EXPECT_EQ(load_file_str("missing.txt"), "");
  EXPECT_EQ(load_file_str("cfg"), "");  // a folder is no file
}

TEST(BinaryStrings, RoundTripKeepsZeroBytesAndUsesLittleEndianLengths) {
  const std::string text("a\0b", 3);
  std::stringstream s;
  ASSERT_EQ(save(s, text), 0);
  EXPECT_EQ(s.str(), std::string("\3\0\0\0\0\0\0\0a\0b", 11));
  std::string back = "old";
  EXPECT_EQ(load(s, back), 0);
  EXPECT_EQ(back, text);
}

TEST(BinaryStrings, MapRoundTripMergesIntoTheTarget) {
  const std::map<std::string, std::string> saved{{"k1", "v1"}, {"k2", std::string("\0", 1)}};
  std::stringstream s;
  ASSERT_EQ(save(s, saved), 0);
  std::map<std::string, std::string> back{{"k1", "overwritten"}, {"kept", "x"}};
  EXPECT_EQ(load(s, back), 0);
  EXPECT_EQ(back, (std::map<std::string, std::string>{
                      {"k1", "v1"}, {"k2", std::string("\0", 1)}, {"kept", "x"}}));
}

namespace {

std::string u64(uint64_t v) {
  std::string bytes(8, '\0');
  for (int i = 0; i < 8; ++i) bytes[i] = static_cast<char>(v >> (8 * i));
  return bytes;
}

// Hands out its bytes but cannot seek, like a pipe.
class PipeBuf : public std::streambuf {
 public:
  explicit PipeBuf(std::string bytes) : bytes_(std::move(bytes)) {
    setg(bytes_.data(), bytes_.data(), bytes_.data() + bytes_.size());
  }

 private:
  std::string bytes_;
};

}  // namespace

TEST(BinaryStrings, LyingLengthsAreRefusedWithoutAllocating) {
  for (uint64_t length : {uint64_t{4}, uint64_t{1} << 62, ~uint64_t{0}}) {
    std::istringstream seekable(u64(length) + "abc");
    std::string s = "before";
    EXPECT_EQ(load(seekable, s), -1) << length;
    EXPECT_EQ(s, "");

    PipeBuf pipe(u64(length) + "abc");
    std::istream unseekable(&pipe);
    s = "before";
    EXPECT_EQ(load(unseekable, s), -1) << length;
    EXPECT_EQ(s, "");
  }
  std::istringstream short_length("\1\0\0", std::ios::binary);
  std::string s;
  EXPECT_EQ(load(short_length, s), -1);
}

TEST(BinaryStrings, MapLoadFailures) {
  std::map<std::string, std::string> m;
  std::istringstream lying_count(u64(uint64_t{1} << 40) + u64(1) + "k" + u64(1) + "v");
  EXPECT_EQ(load(lying_count, m), -1);
  EXPECT_TRUE(m.empty());

  // Two entries announced, the second one's value cut off: the first stays.
  std::istringstream cut(u64(2) + u64(1) + "a" + u64(1) + "1" + u64(1) + "b" + u64(5) + "2");
  EXPECT_EQ(load(cut, m), 1);
  EXPECT_EQ(m, (std::map<std::string, std::string>{{"a", "1"}}));

  std::istringstream empty("");
  EXPECT_EQ(load(empty, m), -1);
}

TEST(BinaryStrings, SaveReportsAFailedStream) {
  std::ostringstream bad;
  bad.setstate(std::ios::badbit);
  EXPECT_EQ(save(bad, std::string("x")), -1);
  EXPECT_EQ(save(bad, std::map<std::string, std::string>{{"a", "b"}}), -1);
}

TEST(Header, RenderedMapParsesBack) {
  const std::map<std::string, std::string> m{{"alpha", "one two"}, {"beta", ""}, {"gamma", "3"}};
  const std::string text = render_header(m, "\n", "=", "\"");
  EXPECT_EQ(text, "alpha=\"one two\"\nbeta=\"\"\ngamma=\"3\"\n");
  EXPECT_EQ(parse_header(text, "\n", "=", "\"", "#"), m);
}

TEST(Header, ParserSkipsCommentsEmptyEntriesAndKeylessEntries) {
  const std::string text =
      "a = \" spaced \" # note\r\n"
      "# only a comment\n"
      "==\n"
      "=value without key\n"
      "  \t: x\n"
      "flag\n"
      "b: 1;b = 2\n"
      "two words = v\n";
  const auto m = parse_header(text, "\n;", "=:", "\"", "#");
  EXPECT_EQ(m, (std::map<std::string, std::string>{
                   {"a", " spaced "}, {"flag", ""}, {"b", "2"}, {"two", "v"}}));
}

TEST(ReadNumbers, ReadLikeStrtodAndStrtoll) {
  const char* texts[] = {"1.5",
                         "-0.25e-3",
                         "  7",
                         "+3.5",
                         "1e400",
                         "-1e400",
                         "1e-400",
                         "0x1p4",
                         "-0x10",
                         ".5",
                         "-.5e1",
                         "5.",
                         "nan",
                         "-inf",
                         "Infinity",
                         "12abc",
                         "abc",
                         "",
                         "-",
                         "+-1",
                         "1/2/3",
                         "3.4028236e38",
                         "\t\r-8",
                         "1e",
                         "0.1000000000000000055511151231257827021181583404541015625"};
  for (const char* text : texts) {
    const double expected = std::strtod(text, nullptr);
    const double got = read_double(text);
    if (std::isnan(expected)) {
      EXPECT_TRUE(std::isnan(got)) << text;
    } else {
      EXPECT_EQ(got, expected) << text;
    }
    EXPECT_EQ(read_long_long(text), std::strtoll(text, nullptr, 10)) << text;
  }
  for (const char* text : {"9223372036854775807", "9223372036854775808", "-9223372036854775808",
                           "-9223372036854775809", "99999999999999999999999", "+42", "-0"})
    EXPECT_EQ(read_long_long(text), std::strtoll(text, nullptr, 10)) << text;
  // A view ends where it ends, whatever follows in memory.
  EXPECT_EQ(read_double(std::string_view("12345", 2)), 12.0);
  EXPECT_EQ(read_long_long(std::string_view("12345", 3)), 123);
}
