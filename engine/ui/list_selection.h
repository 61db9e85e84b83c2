// ListSelection: a text panel that shows a label and one item of a list,
// stepped with the arrow pushes; ToggleControl: the list "OFF", "ON" with a
// yes/no callback.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "ui/text_frame.h"

// Shows label + " " + prefix + item + suffix ("Sound: < ON >"). The next and
// back actions step the index forward and back, wrapping. Copies and moves
// take every field; their arrow actions step the copy, not the source.
class ListSelection : public TextFrame {
 public:
  using IndexCallback = std::function<void(int)>;

  explicit ListSelection(std::string label = "Select:", std::vector<std::string> items = {},
                         IndexCallback callback = {}, unsigned int index = 0);
  ListSelection(const ListSelection& other);
  ListSelection(ListSelection&& other) noexcept;
  ListSelection& operator=(const ListSelection& other);
  ListSelection& operator=(ListSelection&& other) noexcept;
  ~ListSelection() override;

  int index() const { return list_.index; }
  // Chooses item i modulo the item count, a negative i counting from the end
  // (-1 is the last); nothing for an empty list. When i differs from the
  // previous index the callback is told the new index and the text is
  // rebuilt, so index(n) from 0 wraps to 0 and still reports it.
  void index(int i);
  std::vector<std::string>& items() { return list_.items; }
  const std::vector<std::string>& items() const { return list_.items; }

  // The chosen item; the first when the index is outside the list; "" for
  // an empty list.
  operator std::string() const;
  // Rebuilds the shown text (stored without measuring it) and asks the
  // parent dialog, when there is one, for a new layout. Returns the text.
  std::string update_text();

 private:
  // Points the next and back actions at this list.
  void install_arrow_actions();

  struct List {
    std::string label;
    std::vector<std::string> items;
    int index = 0;
    IndexCallback callback;
    std::string prefix = "< ";
    std::string suffix = " >";
  };
  List list_;
};

// A list over "OFF" and "ON" whose index callback calls the bool callback
// with (index == 1). Built on, it reports true once during construction.
class ToggleControl : public ListSelection {
 public:
  using BoolCallback = std::function<void(bool)>;

  explicit ToggleControl(std::string label = "Toggle:", BoolCallback callback = {},
                         bool state = false);
};
