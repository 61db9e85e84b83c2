// A dialog of buttons one above the other, for tests of what acts on dialogs.
#pragma once

#include "ui/dialog.h"
#include "ui/test_frame.h"

namespace testing_support {

// n buttons 0.3 wide and 0.1 high, laid out top to bottom, with the cursor
// on button `cursor`; frees its children.
class ButtonColumn : public Dialog {
 public:
  explicit ButtonColumn(int n = 3, int cursor = 1) {
    for (int i = 0; i < n; ++i) {
      auto* f = new TestFrame([] {});
      f->vol() = {0.3f, 0.1f, 0.0f};
      add_button(f);
    }
    arrange_children();
    cursor_data({cursor, 1.0f}, false);
  }
  ~ButtonColumn() override { delete_children(); }
  int cursor() const { return cursor_data().index; }
};

}  // namespace testing_support
