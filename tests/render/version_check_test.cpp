#include "render/version_check.h"

#include <gtest/gtest.h>

#include "platform/message_box.h"

namespace {

// The dotted comparator with a detected version of our choosing.
class FixedVersion : public BasicVersionChecker<std::string> {
 public:
  FixedVersion(std::string required, std::string detected, unsigned int fields)
      : BasicVersionChecker<std::string>(std::move(required)) {
    version_getter() = [detected] { return detected; };
    comparator() = valid_string_version(fields, ".");
    get_version();
  }
};

}  // namespace

TEST(VersionCheck, DottedFieldsComparedAsText) {
  const struct {
    const char *required, *detected;
    unsigned int fields;
    bool valid;
  } cases[] = {
      {"4.5.0", "4.5.0", 3, true},   {"4.5.0", "4.6.0", 3, true},  {"4.5.0", "4.4.0", 3, false},
      {"4.5.0", "4.10.0", 3, false}, {"4.5.0", "5.0.0", 3, false}, {"4.5.0", "4.5", 3, true},
      {"4.5", "4.5.0", 0, false},    {"4.5.0", "4..5", 3, false},  {"4.5.0", "", 3, false},
      {"4.5.0", "4.5.0.7", 3, true},
  };
  for (const auto& c : cases)
    EXPECT_EQ(FixedVersion(c.required, c.detected, c.fields).valid(), c.valid)
        << c.detected << " against " << c.required << " (" << c.fields << " fields)";
}

TEST(VersionCheck, DefaultsAndErrorText) {
  BasicVersionChecker<std::string> plain;
  EXPECT_EQ(plain.current_version(), "");
  EXPECT_TRUE(plain.valid());  // "" is not smaller than ""
  plain.comparator() = nullptr;
  EXPECT_FALSE(plain.valid());

  FixedVersion old("4.5.0", "3.3.0", 3);
  EXPECT_EQ(old.error_string(), "Error: Version 4.5.0 required (detected version 3.3.0).");
  std::string shown, caption;
  platform::MessageIcon icon{};
  auto previous =
      platform::set_message_box_handler([&](const std::string& text, const std::string& cap,
                                            platform::MessageIcon i, platform::MessageButtons) {
        shown = text;
        caption = cap;
        icon = i;
        return platform::MessageAnswer::ok;
      });
  EXPECT_TRUE(old.display_error());
  EXPECT_EQ(shown, "OpenGL Error: Error: Version 4.5.0 required (detected version 3.3.0).");
  EXPECT_EQ(caption, "Error");
  EXPECT_EQ(icon, platform::MessageIcon::error);
  old.display_error("custom");
  EXPECT_EQ(shown, "custom");
  platform::set_message_box_handler(previous);
  old.error_formatter() = nullptr;
  EXPECT_EQ(old.error_string(), "");
}
