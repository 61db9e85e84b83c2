#include "net/html.h"

#include <gtest/gtest.h>

TEST(HTMLTag, RendersOpenerAttributesInNameOrderContentsAndSuffix) {
  EXPECT_EQ(HTMLTag().render(), "<html>&nbsp;</html>\n");
  const HTMLTag b("Hi", "b", "\n");
  EXPECT_EQ(b.render(), "<b>Hi</b>\n");
  EXPECT_EQ(std::string(b), b.render());
  EXPECT_EQ(b(), b.render());

  const HTMLTag mapped("Hi", "b", HTMLAttributes{{"x", "1"}, {"a", "2"}}, "");
  EXPECT_EQ(mapped.render(), "<b a=\"2\" x=\"1\">Hi</b>");
  const std::vector<std::array<const char*, 2>> pairs = {{"x", "1"}, {"a", "2"}, {"x", "3"}};
  EXPECT_EQ(HTMLTag("<i>", "p", pairs, "!").render(), "<p a=\"2\" x=\"3\"><i></p>!");
}

TEST(HTMLLink, TheHrefArgumentWinsOverTheMap) {
  EXPECT_EQ(HTMLLink("https://e.org", "home").render(), "<a href=\"https://e.org\">home</a>\n");
  EXPECT_EQ(HTMLLink("/new", "go", {{"href", "/old"}, {"class", "c"}}).render(),
            "<a class=\"c\" href=\"/new\">go</a>\n");
}

TEST(HTMLList, MarksTheExactlySelectedOptionAndSubmitsOnChange) {
  EXPECT_EQ(HTMLList({"A", "B"}, "n", "B", true).render(),
            "<select name=\"n\" onchange=\"this.form.submit()\">"
            "\t<option value=\"A\">A</option>\n"
            "\t<option value=\"B\" selected>B</option>\n"
            "</select>\n");
  EXPECT_EQ(HTMLList({}, "n", "", false).render(), "<select name=\"n\"></select>\n");
  EXPECT_EQ(HTMLList({"A"}, {{"name", "old"}, {"id", "i"}}, "n", " A", false).render(),
            "<select id=\"i\" name=\"n\">\t<option value=\"A\">A</option>\n</select>\n");
}

TEST(HTMLPage, BuildsHeadBodyAndPage) {
  HTMLPage page;
  EXPECT_EQ(page.head_html(false), "");
  EXPECT_EQ(page.init_html(), 0);
  EXPECT_EQ(page.main_html(true),
            "<html><head></head>\n<body bgcolor=\"#000000\" color=\"#ffffff\"></body>\n</html>\n");

  page.stylesheet("p {}", true);
  page.stylesheet(" a {}", true);
  EXPECT_EQ(page.head_html(false), "<style>p {} a {}</style>\n");
  page.stylesheet("b {}", false);
  EXPECT_EQ(page.head_html(true), "<head><style>b {}</style>\n</head>\n");

  page.set_body_html("text");
  EXPECT_EQ(page.body_html(false), "text");
  EXPECT_EQ(page.main_html(false),
            "<head><style>b {}</style>\n</head>\n"
            "<body bgcolor=\"#000000\" color=\"#ffffff\">text</body>\n");
}
