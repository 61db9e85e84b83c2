// List and toggle panels: the index arithmetic, the shown text and the
// arrow actions.
#include "ui/list_selection.h"

ListSelection::ListSelection(std::string label, std::vector<std::string> items,
                             IndexCallback callback, unsigned int index)
    : TextFrame(label), list_{std::move(label), std::move(items), 0, std::move(callback)} {
  install_arrow_actions();
  this->index(static_cast<int>(index));
  update_text();
}

ListSelection::ListSelection(const ListSelection& other) : TextFrame(other), list_(other.list_) {
  install_arrow_actions();
}

ListSelection::ListSelection(ListSelection&& other) noexcept
    : TextFrame(std::move(other)), list_(std::move(other.list_)) {
  install_arrow_actions();
}

ListSelection& ListSelection::operator=(const ListSelection& other) {
  TextFrame::operator=(other);
  list_ = other.list_;
  install_arrow_actions();
  return *this;
}

ListSelection& ListSelection::operator=(ListSelection&& other) noexcept {
  if (this == &other) return *this;
  TextFrame::operator=(std::move(other));
  list_ = std::move(other.list_);
  install_arrow_actions();
  return *this;
}

ListSelection::~ListSelection() = default;

void ListSelection::install_arrow_actions() {
  next([this] { index(list_.index + 1); });
  back([this] { index(list_.index - 1); });
}

void ListSelection::index(int i) {
  const int n = static_cast<int>(list_.items.size());
  if (n == 0) return;
  const int previous = list_.index;
  list_.index = ((i % n) + n) % n;
  if (i == previous) return;
  if (list_.callback) list_.callback(list_.index);
  update_text();
}

ListSelection::operator std::string() const {
  const auto& items = list_.items;
  if (items.empty()) return "";
  const int i = list_.index;
  return items[i >= 0 && i < static_cast<int>(items.size()) ? static_cast<std::size_t>(i) : 0];
}

std::string ListSelection::update_text() {
  store_text(list_.label + " " + list_.prefix + static_cast<std::string>(*this) + list_.suffix);
  if (parent) parent->child_resized(*this);
  return text();
}

ToggleControl::ToggleControl(std::string label, BoolCallback callback, bool state)
    : ListSelection(
          std::move(label), {"OFF", "ON"},
          [callback = std::move(callback)](int i) {
            if (callback) callback(i == 1);
          },
          state ? 1u : 0u) {}
