// Wizards: the step records, the moves and the process-wide step ids.
#include "ui/wizard.h"

#include <atomic>
#include <iostream>

namespace {

// The last id given to a stored step; the first step stored gets 2.
std::atomic<int> step_ids{1};

int new_step_id() {
  return ++step_ids;
}

}  // namespace

WizardStep::WizardStep(std::string name) : Named(std::move(name)) {}

DataChunk& WizardStep::operator[](const std::string& key) {
  return chunks_[key];
}

const DataChunk& WizardStep::operator[](const std::string& key) const {
  static const DataChunk empty;
  const auto it = chunks_.find(key);
  if (it != chunks_.end()) return it->second;
  std::cerr << "WizardStep[" << key << "] error: not found" << std::endl;
  return empty;
}

SimpleWizard::SimpleWizard()
    : print_callback([](const std::string& text) { std::cout << text << std::endl; }) {}

Wizard::Wizard(std::string name, EventQueue*) : Named(std::move(name)) {}

int Wizard::get_step_index(int id) const {
  if (id < 0) return -1;
  for (std::size_t i = 0; i < steps_.size(); ++i)
    if (steps_[i].id() == id) return static_cast<int>(i);
  return -1;
}

const WizardStep& Wizard::current_step() const {
  static const WizardStep none;
  const int i = current_step_index();
  return i < 0 ? none : steps_[static_cast<std::size_t>(i)];
}

int Wizard::start() {
  started_ = true;
  finished_ = false;
  current_id_ = steps_.empty() ? -1 : steps_.front().id();
  return 0;
}

int Wizard::next() {
  if (!active()) return current_id_;
  const int i = current_step_index();
  if (i < 0) {
    current_id_ = steps_.empty() ? -1 : steps_.front().id();
  } else if (static_cast<std::size_t>(i) + 1 < steps_.size()) {
    current_id_ = steps_[static_cast<std::size_t>(i) + 1].id();
  } else {
    finished_ = true;
  }
  return current_id_;
}

int Wizard::back() {
  if (active() && current_id_ > 0) --current_id_;
  return current_id_;
}

int Wizard::finish() const {
  if (!active()) return 1;
  const int i = current_step_index();
  if (i < 0) return 2;
  return steps_[static_cast<std::size_t>(i)].can_finish() ? 0 : 3;
}

int Wizard::set_step(int id) {
  if (get_step_index(id) < 0) return -1;
  current_id_ = id;
  return 0;
}

int Wizard::set_step(const std::string& name) {
  for (const WizardStep& step : steps_) {
    if (step.name() != name) continue;
    current_id_ = step.id();
    return 0;
  }
  std::cerr << "Wizard::set_step() not found - '" << name << "'" << std::endl;
  return -1;
}

void Wizard::set_step(int index, const WizardStep& step) {
  if (index < 0) return;
  const auto at = static_cast<std::size_t>(index);
  if (at >= steps_.size()) steps_.resize(at + 1);
  steps_[at] = step;
  steps_[at].id(new_step_id());
}

Wizard& Wizard::operator+=(const WizardStep& step) {
  steps_.push_back(step);
  steps_.back().id(new_step_id());
  return *this;
}

void Wizard::create(int n, bool can_finish) {
  steps_.clear();
  if (n <= 0) return;
  steps_.resize(static_cast<std::size_t>(n));
  for (int i = 0; i < n; ++i) {
    const std::string number = std::to_string(i);
    WizardStep step("Step " + number);
    step["title"] = DataChunk("Step " + number + " of " + std::to_string(n), "DataChunk");
    const char* description = i == 0       ? "This is the first step"
                              : i == n - 1 ? "This is the last step"
                                           : "This is an intermediate step";
    step["description"] = DataChunk(std::string(description), "DataChunk");
    step.set_finish(can_finish);
    set_step(i, step);
  }
}
