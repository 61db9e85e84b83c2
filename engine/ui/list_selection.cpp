// List and toggle panels: the index arithmetic, the shown text and the
// arrow actions.
#include "ui/list_selection.h"

ListSelection::ListSelection(std::string label, std::vector<std::string> items,
                             IndexCallback callback, unsigned int index)
    : TextFrame(label),
      label_(std::move(label)),
      items_(std::move(items)),
      index_callback_(std::move(callback)) {
  install_arrow_actions();
  this->index(static_cast<int>(index));
  update_text();
}

ListSelection::ListSelection(const ListSelection& other)
    : TextFrame(other),
      label_(other.label_),
      items_(other.items_),
      index_(other.index_),
      index_callback_(other.index_callback_),
      prefix_(other.prefix_),
      suffix_(other.suffix_) {
  install_arrow_actions();
}

ListSelection::ListSelection(ListSelection&& other) noexcept
    : TextFrame(std::move(other)),
      label_(std::move(other.label_)),
      items_(std::move(other.items_)),
      index_(other.index_),
      index_callback_(std::move(other.index_callback_)),
      prefix_(std::move(other.prefix_)),
      suffix_(std::move(other.suffix_)) {
  install_arrow_actions();
}

ListSelection& ListSelection::operator=(const ListSelection& other) {
  if (this == &other) return *this;
  TextFrame::operator=(other);
  label_ = other.label_;
  items_ = other.items_;
  index_ = other.index_;
  index_callback_ = other.index_callback_;
  prefix_ = other.prefix_;
  suffix_ = other.suffix_;
  install_arrow_actions();
  return *this;
}

ListSelection& ListSelection::operator=(ListSelection&& other) noexcept {
  if (this == &other) return *this;
  TextFrame::operator=(std::move(other));
  label_ = std::move(other.label_);
  items_ = std::move(other.items_);
  index_ = other.index_;
  index_callback_ = std::move(other.index_callback_);
  prefix_ = std::move(other.prefix_);
  suffix_ = std::move(other.suffix_);
  install_arrow_actions();
  return *this;
}

ListSelection::~ListSelection() = default;

void ListSelection::install_arrow_actions() {
  next([this] { index(index_ + 1); });
  back([this] { index(index_ - 1); });
}

void ListSelection::index(int i) {
  const int n = static_cast<int>(items_.size());
  if (n == 0) return;
  const int previous = index_;
  index_ = ((i % n) + n) % n;
  if (i == previous) return;
  if (index_callback_) index_callback_(index_);
  update_text();
}

ListSelection::operator std::string() const {
  if (items_.empty()) return "";
  const bool inside = index_ >= 0 && index_ < static_cast<int>(items_.size());
  return items_[inside ? static_cast<std::size_t>(index_) : 0];
}

std::string ListSelection::update_text() {
  store_text(label_ + " " + prefix_ + static_cast<std::string>(*this) + suffix_);
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
