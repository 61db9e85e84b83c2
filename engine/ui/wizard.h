// Wizards of steps: WizardStep (a named step with named data chunks and a
// may-finish flag), SimpleWizard (the forward and back moves and a print
// hook), WizardFunctional (moves as stored functions) and Wizard (moves
// through a list of steps).
#pragma once

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "core/named.h"

class EventQueue;

// Copies are deep.
class WizardStep : public Named {
 public:
  explicit WizardStep(std::string name = "Step");

  // The chunk under the key, inserted empty when absent.
  DataChunk& operator[](const std::string& key);
  // The chunk under the key; when absent, reports it on the error stream and
  // answers a shared empty chunk.
  const DataChunk& operator[](const std::string& key) const;
  const std::map<std::string, DataChunk>& chunks() const { return chunks_; }

  // The wizard may be finished while this step is current.
  bool can_finish() const { return can_finish_; }
  void set_finish(bool on) { can_finish_ = on; }

  // Given by the wizard that stores the step.
  int id() const { return id_; }
  void id(int v) { id_ = v; }

 private:
  int id_ = 0;
  std::map<std::string, DataChunk> chunks_;
  bool can_finish_ = false;
};

class SimpleWizard {
 public:
  virtual ~SimpleWizard() = default;

  virtual int next() = 0;
  virtual int back() = 0;

  // Hands the text to print_callback, which must be set.
  void print(const std::string& text) const { print_callback(text); }

  // Writes the text and a line end to the standard output by default.
  std::function<void(const std::string&)> print_callback;

 protected:
  SimpleWizard();
};

// next() and back() answer their function's result, 0 when it is empty.
class WizardFunctional : public SimpleWizard {
 public:
  int next() override { return next_function ? next_function() : 0; }
  int back() override { return back_function ? back_function() : 0; }

  std::function<int()> next_function;
  std::function<int()> back_function;
};

// A named list of steps with a current step, known by its id. Every step
// stored in any wizard gets the next id of one process-wide counter (the
// first is 2), so the steps of one create() call, or appended one after
// another, carry consecutive ids; back() counts the id down, which reaches
// the previous step only for such steps. Active while started and not
// finished. Main thread; the counter may be drawn from any thread.
class Wizard : public Named, public SimpleWizard {
 public:
  // The queue is accepted and not kept.
  explicit Wizard(std::string name = "Wizard", EventQueue* queue = nullptr);

  bool active() const { return started_ && !finished_; }
  bool started() const { return started_; }
  bool finished() const { return finished_; }
  int current_id() const { return current_id_; }

  // The program may edit the list directly.
  std::vector<WizardStep>& steps() { return steps_; }
  const std::vector<WizardStep>& steps() const { return steps_; }

  // The position of the first step with the id; -1 for a negative or
  // unknown id.
  int get_step_index(int id) const;
  int current_step_index() const { return get_step_index(current_id_); }
  // The current step, or a shared default step named "Step".
  const WizardStep& current_step() const;

  // Started, not finished, at the first step (id -1 without steps). 0.
  int start();
  // To the next step; at the last step the wizard finishes there; from an
  // unknown id to the first step. Nothing unless active. The current id.
  int next() override;
  // Counts the current id down by one while active and above 0. The
  // current id.
  int back() override;
  // Whether the wizard may be finished now: 0 yes, 1 not active, 2 no step
  // has the current id, 3 the current step may not finish. Changes nothing.
  int finish() const;

  // Makes the id current: 0, or -1 without changes when no step has it.
  int set_step(int id);
  // Makes current the first step of that name: 0, or -1 (reported on the
  // error stream) without changes.
  int set_step(const std::string& name);
  // Stores a copy of the step at the index, growing the list with default
  // steps when needed, under a new id.
  void set_step(int index, const WizardStep& step);
  // Appends a copy of the step under a new id.
  Wizard& operator+=(const WizardStep& step);
  // Replaces the steps by n generated ones, "Step 0" to "Step n-1", each
  // with a "title" ("Step i of n") and a "description" chunk and the
  // may-finish flag; the current id and the flags stay.
  void create(int n, bool can_finish);

 private:
  std::vector<WizardStep> steps_;
  int current_id_ = 0;
  bool started_ = false;
  bool finished_ = false;
};
