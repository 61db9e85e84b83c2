// Wizards of steps: moves, finishing, named steps, generated steps, data
// chunks and the shared step ids.
#include "ui/wizard.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <thread>

#include "support/capture.h"

using testing_support::OutputCapture;

namespace {

std::string text_of(const DataChunk& c) {
  return {reinterpret_cast<const char*>(c.data()), static_cast<std::size_t>(c.size())};
}

}  // namespace

TEST(Wizard, StoredStepsGetConsecutiveIds) {
  Wizard w("Shot");
  EXPECT_EQ(w.name(), "Shot");
  w += WizardStep("A");
  w += WizardStep("B");
  w.set_step(3, WizardStep("D"));
  ASSERT_EQ(w.steps().size(), 4u);
  EXPECT_GE(w.steps()[0].id(), 2);
  EXPECT_EQ(w.steps()[1].id(), w.steps()[0].id() + 1);
  EXPECT_EQ(w.steps()[2].id(), 0);  // a default step filling the gap
  EXPECT_EQ(w.steps()[2].name(), "Step");
  EXPECT_EQ(w.steps()[3].id(), w.steps()[1].id() + 1);
}

TEST(Wizard, IdsStayDistinctAcrossThreads) {
  std::vector<Wizard> wizards(4);
  std::vector<std::thread> threads;
  for (Wizard& w : wizards)
    threads.emplace_back([&w] {
      for (int i = 0; i < 500; ++i) w += WizardStep();
    });
  for (std::thread& t : threads) t.join();
  std::set<int> ids;
  for (const Wizard& w : wizards)
    for (const WizardStep& s : w.steps()) ids.insert(s.id());
  EXPECT_EQ(ids.size(), 2000u);
}

TEST(Wizard, WalksForwardAndFinishesAtTheLastStep) {
  Wizard w;
  {
    // Making the steps' chunks is no error.
    OutputCapture capture;
    w.create(3, false);
    EXPECT_EQ(capture.err(), "");
  }
  EXPECT_EQ(w.finish(), 1);  // not started
  EXPECT_EQ(w.next(), w.current_id());
  EXPECT_FALSE(w.active());
  w.start();
  EXPECT_TRUE(w.active());
  EXPECT_EQ(w.current_step_index(), 0);
  EXPECT_EQ(w.finish(), 3);
  EXPECT_EQ(w.next(), w.steps()[1].id());
  EXPECT_EQ(w.back(), w.steps()[0].id());
  w.next();
  w.next();
  EXPECT_EQ(w.current_step().name(), "Step 2");
  EXPECT_FALSE(w.finished());
  EXPECT_EQ(w.next(), w.steps()[2].id());
  EXPECT_TRUE(w.finished());
  EXPECT_EQ(w.finish(), 1);
  EXPECT_EQ(w.back(), w.steps()[2].id());  // ignored once finished
  w.start();
  EXPECT_EQ(w.current_step_index(), 0);
  EXPECT_FALSE(w.finished());
}

TEST(Wizard, EmptyAndSingleStepWizards) {
  Wizard empty;
  empty.start();
  EXPECT_EQ(empty.current_id(), -1);
  EXPECT_EQ(empty.next(), -1);
  EXPECT_EQ(empty.finish(), 2);
  EXPECT_EQ(empty.current_step().name(), "Step");

  Wizard one;
  one.create(1, true);
  one.start();
  EXPECT_EQ(one.finish(), 0);
  const int id = one.steps()[0].id();
  EXPECT_EQ(one.next(), id);
  EXPECT_TRUE(one.finished());
  EXPECT_EQ(one.next(), id);
  EXPECT_EQ(one.back(), id);
  EXPECT_EQ(text_of(one.steps()[0]["description"]), "This is the first step");
  one.create(0, true);
  EXPECT_TRUE(one.steps().empty());
}

TEST(Wizard, BackFromTheFirstStepLeavesTheStepsUntilNext) {
  Wizard w;
  w.create(2, true);
  w.start();
  w.back();
  EXPECT_EQ(w.current_step_index(), -1);
  EXPECT_EQ(w.current_step().name(), "Step");
  EXPECT_EQ(w.finish(), 2);
  EXPECT_EQ(w.next(), w.steps()[0].id());
}

TEST(Wizard, CreateNamesTitlesAndDescribesItsSteps) {
  Wizard w;
  w.create(3, false);
  const char* descriptions[] = {"This is the first step", "This is an intermediate step",
                                "This is the last step"};
  for (int i = 0; i < 3; ++i) {
    const WizardStep& s = w.steps()[static_cast<std::size_t>(i)];
    EXPECT_EQ(s.name(), "Step " + std::to_string(i));
    EXPECT_EQ(text_of(s["title"]), "Step " + std::to_string(i) + " of 3");
    EXPECT_EQ(s["title"].name(), "DataChunk");
    EXPECT_EQ(text_of(s["description"]), descriptions[i]);
    EXPECT_FALSE(s.can_finish());
    if (i > 0) {
      EXPECT_EQ(s.id(), w.steps()[static_cast<std::size_t>(i) - 1].id() + 1);
    }
  }
  EXPECT_FALSE(w.started());
}

TEST(Wizard, SetStepByNameAndById) {
  Wizard w;
  w.create(4, true);
  w.steps()[1].rename("Choose ball");
  w.steps()[3].rename("Choose ball");
  w.start();
  EXPECT_EQ(w.set_step("Choose ball"), 0);
  EXPECT_EQ(w.current_step_index(), 1);  // the first of that name

  OutputCapture capture;
  EXPECT_EQ(w.set_step("Shoot"), -1);
  EXPECT_EQ(capture.err(), "Wizard::set_step() not found - 'Shoot'\n");
  EXPECT_EQ(w.current_step_index(), 1);

  EXPECT_EQ(w.set_step(w.steps()[2].id()), 0);
  EXPECT_EQ(w.current_step_index(), 2);
  EXPECT_EQ(w.set_step(-5), -1);
  EXPECT_EQ(w.current_step_index(), 2);
  EXPECT_EQ(w.get_step_index(-1), -1);
}

TEST(Wizard, StepChunks) {
  WizardStep s("Shoot");
  s.set_finish(true);
  EXPECT_TRUE(s.can_finish());
  s["power"] = DataChunk(std::string("0.6"), "power");
  const WizardStep& view = s;
  EXPECT_EQ(text_of(view["power"]), "0.6");

  OutputCapture capture;
  const DataChunk& missing = view["spin"];
  EXPECT_EQ(missing.size(), 0u);
  EXPECT_EQ(missing.name(), "DataChunk");
  EXPECT_NE(capture.err().find("WizardStep[spin] error: not found\n"), std::string::npos);
  EXPECT_EQ(view.chunks().size(), 1u);
  capture.reset();
  s["spin"];  // the mutable one inserts an empty chunk, with no word of its own
  EXPECT_EQ(view.chunks().size(), 2u);
  EXPECT_EQ(capture.err().find("WizardStep"), std::string::npos);
}

TEST(Wizard, PrintAndFunctionalMoves) {
  OutputCapture capture;
  Wizard w;
  w.print("hello");
  EXPECT_EQ(capture.out(), "hello\n");
  std::string heard;
  w.print_callback = [&](const std::string& t) { heard = t; };
  w.print("there");
  EXPECT_EQ(heard, "there");

  WizardFunctional f;
  EXPECT_EQ(f.next(), 0);
  f.next_function = [] { return 7; };
  f.back_function = [] { return -2; };
  SimpleWizard& base = f;
  EXPECT_EQ(base.next(), 7);
  EXPECT_EQ(base.back(), -2);
}
