#include "core/cfg_field.h"

#include <gtest/gtest.h>

#include <climits>

using Floats = std::vector<float>;
using Strings = std::vector<std::string>;

TEST(CfgField, DefaultFieldReadsAsZeroAndEmpty) {
  const CfgField f;
  EXPECT_EQ(f.str(), "");
  EXPECT_STREQ(static_cast<const char*>(f), "");
  EXPECT_EQ(static_cast<int>(f), 0);
  EXPECT_EQ(static_cast<float>(f), 0.0f);
  EXPECT_TRUE(f.vec<float>().empty());
  EXPECT_EQ((static_cast<std::array<float, 3>>(f)), (std::array<float, 3>{0, 0, 0}));
  EXPECT_EQ(f.precision(), 7);
  EXPECT_TRUE(f.scientific());
  EXPECT_EQ(f.list_separator(), ' ');
  EXPECT_EQ(f.list_brackets(), "");
  const CfgField both("text", "second");
  EXPECT_EQ(static_cast<const std::string&>(both), "text");
  EXPECT_EQ(both.second_text(), "second");
}

TEST(CfgField, NumbersReadAsTheCLibraryReadsThem) {
  struct Case {
    std::string text;
    int i;
    long long ll;
    unsigned int u;
    double d;
  };
  const Case cases[] = {
      {"12abc", 12, 12, 12u, 12.0},
      {"abc", 0, 0, 0u, 0.0},
      {" 7", 7, 7, 7u, 7.0},
      {"-1", -1, -1, 4294967295u, -1.0},
      {"4294967297", 1, 4294967297LL, 1u, 4294967297.0},
      {"2.75e1x", 2, 2, 2u, 27.5},
      {"99999999999999999999999", -1, LLONG_MAX, 4294967295u, 1e23},
  };
  for (const Case& c : cases) {
    const CfgField f(c.text);
    EXPECT_EQ(static_cast<int>(f), c.i) << c.text;
    EXPECT_EQ(static_cast<long long>(f), c.ll) << c.text;
    EXPECT_EQ(static_cast<unsigned int>(f), c.u) << c.text;
    EXPECT_EQ(static_cast<double>(f), c.d) << c.text;
    EXPECT_EQ(static_cast<float>(f), static_cast<float>(c.d)) << c.text;
  }
}

TEST(CfgField, ListsWithoutBracketsStopAtTheFirstNonNumber) {
  EXPECT_EQ(CfgField("1 2 x 3").vec<float>(), (Floats{1, 2}));
  EXPECT_EQ(CfgField(" 1.5\t-2 \n3e2 ").vec<float>(), (Floats{1.5f, -2, 300}));
  EXPECT_EQ(CfgField("1e999 2").vec<float>(), Floats{});
  EXPECT_EQ((static_cast<std::array<float, 3>>(CfgField("1 2"))), (std::array<float, 3>{1, 2, 0}));
  EXPECT_EQ((static_cast<std::array<float, 3>>(CfgField("1 2 3 4"))),
            (std::array<float, 3>{1, 2, 3}));
  EXPECT_EQ((static_cast<std::array<float, 4>>(CfgField("1 2 3 4 5"))),
            (std::array<float, 4>{1, 2, 3, 4}));
  EXPECT_EQ((static_cast<std::array<int, 3>>(CfgField("1.9 -1.9 2"))),
            (std::array<int, 3>{1, -1, 2}));
  EXPECT_EQ((static_cast<std::array<int, 3>>(CfgField("1e20 -1e20 3"))),
            (std::array<int, 3>{INT_MAX, INT_MIN, 3}));
}

TEST(CfgField, BracketedListsSplitAtTheSeparator) {
  CfgField f("[1,,2]");
  f.list_brackets("[]");
  f.list_separator(',');
  EXPECT_EQ(f.vec<float>(), (Floats{1, 0, 2}));
  f = "[1.0000000e+00,2.0000000e+00,3.0000000e+00,]";
  EXPECT_EQ(f.vec<float>(), (Floats{1, 2, 3}));
  f = "[a b]";
  EXPECT_EQ(f.vec<std::string>(), (Strings{"a", "b"}));
  EXPECT_EQ(CfgField("a b\tc\n").vec<std::string>(), (Strings{"a", "b", "c"}));
}

TEST(CfgField, NumbersAreWrittenInTheFieldsNotation) {
  CfgField f;
  f = 1.5f;
  EXPECT_EQ(f.str(), "1.5000000e+00");
  f = 0.25f;
  EXPECT_EQ(f.str(), "2.5000000e-01");
  f = 100.0f;
  EXPECT_EQ(f.str(), "1.0000000e+02");
  f = 42;
  EXPECT_EQ(f.str(), "42");
  f.scientific(false);
  f = 1.5f;
  EXPECT_EQ(f.str(), "1.5");
  f = 0.1f;
  EXPECT_EQ(f.str(), "0.1");
  f.precision(3);
  f = 3.14159f;
  EXPECT_EQ(f.str(), "3.14");
  f = 123456789;  // integers ignore precision and notation
  EXPECT_EQ(f.str(), "123456789");
}

TEST(CfgField, AnyArithmeticValueIsWrittenThroughTheStream) {
  CfgField f;
  f = 0.5;  // double: the number format, as a float would be
  EXPECT_EQ(f.str(), "5.0000000e-01");
  f = 2u;
  EXPECT_EQ(f.str(), "2");
  f = -3L;
  EXPECT_EQ(f.str(), "-3");
  f = 18446744073709551615ULL;
  EXPECT_EQ(f.str(), "18446744073709551615");
  f = static_cast<unsigned char>(7);  // characters and flags as numbers
  EXPECT_EQ(f.str(), "7");
  f = true;
  EXPECT_EQ(f.str(), "1");
  f.scientific(false);
  f.precision(4);
  f = 2.718281828;
  EXPECT_EQ(f.str(), "2.718");
  EXPECT_EQ(static_cast<double>(f), 2.718);
}

TEST(CfgField, FlagTriplesReadBackFromTheirText) {
  CfgField f;
  f = std::array<bool, 3>{true, false, true};
  EXPECT_EQ((static_cast<std::array<bool, 3>>(f)), (std::array<bool, 3>{true, false, true}));
  EXPECT_EQ((static_cast<std::array<bool, 3>>(CfgField("0 2.5"))),
            (std::array<bool, 3>{false, true, false}));
  EXPECT_EQ((static_cast<std::array<bool, 3>>(CfgField("yes"))),
            (std::array<bool, 3>{false, false, false}));
}

TEST(CfgField, TextsAreStoredVerbatim) {
  CfgField f;
  f = std::string("  two  words ");
  EXPECT_EQ(f.str(), "  two  words ");
  f = "chars";
  EXPECT_EQ(f.str(), "chars");
  f = static_cast<const char*>(nullptr);
  EXPECT_EQ(f.str(), "");
}

TEST(CfgField, ArraysEndInTheSeparatorAndReadBack) {
  CfgField f;
  f = std::array<float, 3>{1, 2, 3};
  EXPECT_EQ(f.str(), "1.0000000e+00 2.0000000e+00 3.0000000e+00 ");
  EXPECT_EQ((static_cast<std::array<float, 3>>(f)), (std::array<float, 3>{1, 2, 3}));
  f = std::array<float, 4>{0.5f, 0, 0, 1};
  EXPECT_EQ((static_cast<std::array<float, 4>>(f)), (std::array<float, 4>{0.5f, 0, 0, 1}));
  f = std::array<unsigned long long, 3>{1, 18446744073709551615ULL, 0};
  EXPECT_EQ(f.str(), "1 18446744073709551615 0 ");
  f = std::array<bool, 3>{true, false, true};
  EXPECT_EQ(f.str(), "1 0 1 ");

  f.list_brackets("[]");
  f.list_separator(',');
  f = std::array<float, 3>{1, 2, 3};
  EXPECT_EQ(f.str(), "[1.0000000e+00,2.0000000e+00,3.0000000e+00,]");
  EXPECT_EQ(f.vec<float>(), (Floats{1, 2, 3}));
  f = std::array<bool, 3>{false, true, false};
  EXPECT_EQ(f.str(), "[0,1,0,]");
}

TEST(CfgField, CopiesKeepEveryAttributeMovesEmptyTheSource) {
  CfgField f("a", "b");
  f.precision(3);
  f.scientific(false);
  f.list_separator(',');
  f.list_brackets("[]");
  const CfgField copy(f);
  EXPECT_EQ(copy.str(), "a");
  EXPECT_EQ(copy.second_text(), "b");
  EXPECT_EQ(copy.precision(), 3);
  EXPECT_FALSE(copy.scientific());
  EXPECT_EQ(copy.list_separator(), ',');
  EXPECT_EQ(copy.list_brackets(), "[]");
  CfgField moved(std::move(f));
  EXPECT_EQ(moved.list_brackets(), "[]");
  EXPECT_EQ(f.str(), "");  // NOLINT(bugprone-use-after-move)
  EXPECT_EQ(f.list_brackets(), "");
}
