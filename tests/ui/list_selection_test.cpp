// List and toggle panels: the shown text, the index arithmetic, callbacks,
// arrow actions and the parent's layout request.
#include "ui/list_selection.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

class RecordingParent : public FrameParent {
 public:
  void child_resized(Frame& child) override { resized.push_back(&child); }
  std::vector<Frame*> resized;
};

}  // namespace

TEST(ListSelection, ShowsLabelAndChosenItem) {
  ListSelection list("Level:", {"Easy", "Medium", "Hard"}, nullptr, 1);
  EXPECT_EQ(list.text(), "Level: < Medium >");
  EXPECT_EQ(static_cast<std::string>(list), "Medium");
  const ListSelection fallback;
  EXPECT_EQ(fallback.text(), "Select: <  >");
  EXPECT_EQ(static_cast<std::string>(fallback), "");
}

TEST(ListSelection, IndexWrapsBothWays) {
  const std::pair<int, int> cases[] = {{-1, 2}, {3, 0}, {4, 1}, {-4, 2}, {-3, 0}, {7, 1}};
  for (const auto& [requested, chosen] : cases) {
    ListSelection list("L", {"a", "b", "c"});
    list.index(requested);
    EXPECT_EQ(list.index(), chosen) << requested;
    EXPECT_EQ(list.text(), std::string("L < ") + "abc"[chosen] + " >");
  }
  ListSelection empty("L", {});
  empty.index(5);
  EXPECT_EQ(empty.index(), 0);
}

TEST(ListSelection, CallbackHearsEveryRequestOtherThanTheCurrentIndex) {
  std::vector<int> heard;
  ListSelection list(
      "L", {"a", "b", "c"}, [&](int i) { heard.push_back(i); }, 2);
  EXPECT_EQ(heard, (std::vector<int>{2}));  // the constructor's index
  list.index(2);                            // the same index: quiet
  list.index(-1);                           // also item 2, but a different request
  list.index(0);
  list.index(3);  // wraps to 0 again and still reports
  EXPECT_EQ(heard, (std::vector<int>{2, 2, 0, 0}));
}

TEST(ListSelection, ArrowActionsStepTheirOwnList) {
  ListSelection list("L", {"a", "b", "c"});
  EXPECT_EQ(list.next(), 0);
  EXPECT_EQ(list.index(), 1);
  EXPECT_EQ(list.back(), 0);
  EXPECT_EQ(list.back(), 0);
  EXPECT_EQ(list.index(), 2);

  ListSelection copy(list);
  copy.next();
  EXPECT_EQ(copy.index(), 0);
  EXPECT_EQ(list.index(), 2);  // the source is left alone
  ListSelection assigned;
  assigned = copy;
  assigned.back();
  EXPECT_EQ(assigned.index(), 2);
  EXPECT_EQ(copy.index(), 0);
  EXPECT_EQ(assigned.text(), "L < c >");
}

TEST(ListSelection, ChangesAskTheParentForALayout) {
  RecordingParent parent;
  ListSelection list("L", {"a", "bb"});
  list.parent = &parent;
  list.text_changed(false);
  list.next();
  EXPECT_EQ(parent.resized, (std::vector<Frame*>{&list}));
  EXPECT_EQ(list.text(), "L < bb >");
  EXPECT_FALSE(list.text_changed());  // stored as it is; the layout measures it
  list.index(1);                      // no change, no request
  EXPECT_EQ(parent.resized.size(), 1u);
  list.items().clear();
  list.index(0);  // an empty list ignores the request
  EXPECT_EQ(parent.resized.size(), 1u);
  EXPECT_EQ(static_cast<std::string>(list), "");
}

TEST(ToggleControl, ReportsOnAndOff) {
  std::vector<bool> heard;
  ToggleControl off(
      "Sound:", [&](bool on) { heard.push_back(on); }, false);
  EXPECT_TRUE(heard.empty());  // built off: no call
  EXPECT_EQ(off.text(), "Sound: < OFF >");
  EXPECT_EQ(off.items(), (std::vector<std::string>{"OFF", "ON"}));
  EXPECT_EQ(off.next(), 0);
  EXPECT_EQ(heard, (std::vector<bool>{true}));
  EXPECT_EQ(off.text(), "Sound: < ON >");
  off.next();  // wraps back to OFF
  EXPECT_EQ(heard, (std::vector<bool>{true, false}));

  heard.clear();
  ToggleControl on(
      "Music:", [&](bool v) { heard.push_back(v); }, true);
  EXPECT_EQ(heard, (std::vector<bool>{true}));  // once, during construction
  EXPECT_EQ(on.index(), 1);

  ToggleControl quiet;  // no callback: steps without one
  quiet.next();
  EXPECT_EQ(quiet.text(), "Toggle: < ON >");
}
