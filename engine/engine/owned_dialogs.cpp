// OwnedDialogs: registration with the engine and release.
#include "engine/owned_dialogs.h"

#include <utility>

#include "engine/basic_engine.h"

Dialog* OwnedDialogs::adopt(DialogPtr d) {
  if (!d) return nullptr;
  Dialog* raw = d.get();
  dialogs_.push_back(std::move(d));
  if (engine_) engine_->add_dialog(raw);
  return raw;
}

Dialog* OwnedDialogs::keep(DialogPtr d) {
  if (!d) return nullptr;
  dialogs_.push_back(std::move(d));
  return dialogs_.back().get();
}

void OwnedDialogs::clear() {
  // Off the engine first: none of its events may reach a freed dialog.
  if (engine_)
    for (const DialogPtr& d : dialogs_) engine_->remove_dialog(d.get());
  dialogs_.clear();
}
