// OwnedDialogs: dialogs that one owner makes and registers with an engine;
// at the owner's end they are taken off the engine and freed.
#pragma once

#include <cstddef>
#include <vector>

#include "ui/dialog.h"

class BasicEngine;

// Main thread only. Each dialog is registered once, when it is adopted, and
// stays at its address until clear() or the end of this object, which take
// it off the engine (BasicEngine::remove_dialog) before freeing it with its
// children. The engine must outlive this object.
class OwnedDialogs {
 public:
  explicit OwnedDialogs(BasicEngine* engine = nullptr) : engine_(engine) {}
  ~OwnedDialogs() { clear(); }
  OwnedDialogs(const OwnedDialogs&) = delete;
  OwnedDialogs& operator=(const OwnedDialogs&) = delete;

  // Keeps d and registers it with the engine (BasicEngine::add_dialog) when
  // there is one; d, null for null.
  Dialog* adopt(DialogPtr d);
  // Keeps d without registering it, for an owner that hands it to the
  // engine another way (its overlay list); clear() takes it off all the
  // same. d, null for null.
  Dialog* keep(DialogPtr d);
  // Every dialog taken off the engine and freed.
  void clear();

  std::size_t size() const { return dialogs_.size(); }
  Dialog* operator[](std::size_t i) const { return dialogs_[i].get(); }
  BasicEngine* engine() const { return engine_; }

 private:
  BasicEngine* engine_;
  std::vector<DialogPtr> dialogs_;
};
