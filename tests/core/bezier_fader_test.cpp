#include "core/bezier_fader.h"

#include <gtest/gtest.h>

#include <memory>

#include "core/event_queue.h"
#include "support/capture.h"

using testing_support::OutputCapture;
using Fader = BezierFaderBuffered<float>;

TEST(BezierFader, EasesFromStartToTargetAndEndsExactly) {
  float out = -7.0f;
  const float from = 0.0f, to = 1.0f;
  Fader f(1, &out, &from, &to, 10.0, 2.0, "fade");
  EventQueue q;
  q.add(&f);
  q.update(10.0);  // s = 0: nothing written
  EXPECT_EQ(out, -7.0f);
  const std::pair<double, float> curve[] = {{10.5, 0.15625f}, {11.0, 0.5f}, {11.5, 0.84375f}};
  for (const auto& [t, expected] : curve) {
    q.update(t);
    EXPECT_EQ(out, expected) << "at t = " << t;
  }
  q.update(12.0);
  EXPECT_EQ(out, 1.0f);
  EXPECT_TRUE(f.stop_called());
  EXPECT_FALSE(q.contains(&f));
}

TEST(BezierFader, SinglePrecisionArithmetic) {
  // Values whose products round differently in float and double.
  float out[2];
  const float from[2] = {0.1f, -3.7f}, to[2] = {2.3f, 9.1f};
  Fader f(2, out, from, to, 0.0, 3.0);
  f.update(0.0);
  const double s = 0.7 / 3.0;
  f.update(0.7);
  const float u = float(s), v = 1.0f - u;
  for (int i = 0; i < 2; ++i) {
    float expected = from[i] * (3.0f * u * (v * v)) + from[i] * (v * v * v) +
                     to[i] * (3.0f * v * (u * u)) + to[i] * float(double(u * u) * s);
    EXPECT_EQ(out[i], expected) << i;
  }
}

TEST(BezierFader, LateFirstUpdateAndEarlyStopWriteTheTargets) {
  float out[3] = {0, 0, 0};
  const float to[3] = {1, 2, 3};
  EventQueue q;
  Fader late(3, out, out, to, 0.0, 1.0);
  q.add(&late);
  q.update(5.0);
  EXPECT_EQ(out[2], 3.0f);
  EXPECT_FALSE(q.contains(&late));

  const float back[3] = {0, 0, 0};
  Fader early(3, out, out, back, 10.0, 1.0);
  q.add(&early);
  q.update(10.3);
  EXPECT_GT(out[1], 0.0f);
  early.clear();
  q.update(10.31);
  EXPECT_EQ(out[0], 0.0f);
  EXPECT_EQ(out[1], 0.0f);
  EXPECT_FALSE(q.contains(&early));
}

TEST(BezierFader, InitRestartsFromTheCurrentOutput) {
  float out = 0.0f;
  const float one = 1.0f, four = 4.0f;
  Fader f(1, &out, &out, &one, 0.0, 1.0);
  f.update(0.0);
  f.update(0.5);
  EXPECT_EQ(out, 0.5f);
  f.init(1, &out, &out, &four, 1.0, 2.0, "again");
  EXPECT_EQ(f.name(), "again");
  EXPECT_EQ(f.tangent_scale(), 2.0);
  f.update(1.0);
  f.update(2.0);  // halfway from 0.5 to 4
  EXPECT_EQ(out, 2.25f);
}

TEST(BezierFader, CopiesAndMovesActOnTheirOwnArrays) {
  float out[2] = {0, 0};
  const float zero[2] = {0, 0}, ten[2] = {10, 20};
  Fader kept;
  Fader copied;
  {
    auto source = std::make_unique<Fader>(2, out, zero, ten, 0.0, 1.0);
    copied = *source;
    Fader temporary(*source);
    kept = std::move(temporary);
    const float other[2] = {-1, -1};
    source->init(2, out, zero, other, 0.0, 1.0, "changed");
  }  // the source and the temporary are gone
  kept.update(0.0);
  kept.update(1.0);
  EXPECT_EQ(out[0], 10.0f);
  EXPECT_EQ(out[1], 20.0f);
  out[0] = out[1] = 0.0f;
  copied.update(0.0);
  copied.update(0.5);
  EXPECT_EQ(out[0], 5.0f);
  copied.clear();
  Fader moved(std::move(copied));
  EventQueue q;
  q.add(&moved);
  moved.clear();
  q.update(0.6);
  EXPECT_EQ(out[1], 20.0f);
}

TEST(BezierFader, EmptyFadersWriteNothing) {
  float out = 3.0f;
  Fader none(0, &out, nullptr, nullptr, 0.0, 1.0);
  none.update(0.5);
  none.update(1.0);
  EXPECT_EQ(out, 3.0f);
  EXPECT_TRUE(none.stop_called());
  Fader empty;
  EXPECT_EQ(empty.name(), "BezierFaderBuffered");
  EXPECT_EQ(empty.size(), 0);
  empty.update(1.0);
  Fader no_output(2, nullptr, nullptr, nullptr, 0.0, 1.0);
  no_output.update(0.5);
  no_output.update(2.0);
  EXPECT_TRUE(no_output.stop_called());
}

TEST(BezierFader, TangentsShapeTheCurve) {
  // Three values, start tangent (0.5, 0, -0.5), no end tangent, scale = duration 2:
  // P1 = P0 + 2 * T0, P2 = P3, so at s = 0.5 the value is (P0 + 3 P1 + 3 P3 + P3) / 8.
  float out[3];
  const float from[3] = {0, 0, 0}, to[3] = {1, 1, 1}, start_tangent[3] = {0.5f, 0, -0.5f};
  Fader three(out, from, to, start_tangent, nullptr, 0.0, 2.0, "tangents");
  EXPECT_EQ(three.size(), 3);
  EXPECT_EQ(three.tangent_scale(), 2.0);
  three.update(0.0);
  three.update(1.0);
  EXPECT_EQ(out[0], 0.875f);
  EXPECT_EQ(out[1], 0.5f);
  EXPECT_EQ(out[2], 0.125f);

  // n values with both tangents and an explicit scale: P1 = 0 + 1 * 1, P2 = 1 - 1 * 1.
  float two[2];
  const float t0[2] = {1, 0}, t1[2] = {1, 0};
  Fader general(2, two, from, to, t0, t1, 1.0, 0.0, 4.0, "general");
  general.update(0.0);
  general.update(1.0);  // s = 0.25
  const float u = 0.25f, v = 0.75f;
  EXPECT_EQ(two[0], 1.0f * (3 * u * v * v) + 0.0f * (3 * v * u * u) + u * u * u);
  EXPECT_EQ(two[1], 0.15625f);
  general.update(4.0);
  EXPECT_EQ(two[0], 1.0f);

  // With zero tangents the tangent constructors follow the plain curve.
  float plain;
  Fader zero_tangents(1, &plain, from, to, from, from, 7.0, 10.0, 2.0);
  zero_tangents.update(10.0);
  zero_tangents.update(10.5);
  EXPECT_EQ(plain, 0.15625f);
  // So does the form with a curve parameter and no tangents; it keeps the parameter.
  float parameterised;
  Fader curve(1, &parameterised, from, to, 7.0, 10.0, 2.0, "curve");
  EXPECT_EQ(curve.tangent_scale(), 7.0);
  EXPECT_EQ(curve.epochs(), (std::array<double, 2>{10.0, 12.0}));
  curve.update(10.0);
  curve.update(10.5);
  EXPECT_EQ(parameterised, 0.15625f);
}

TEST(BezierFader, VerboseTrace) {
  float out = 0.0f;
  const float to = 1.0f;
  Fader f(1, &out, &out, &to, 0.0, 1.0);
  f.update(0.0);
  f.verbose(1);
  OutputCapture cap;
  f.update(0.25);
  const std::string text = cap.out();
  EXPECT_NE(text.find("time = 0.25, target = 0.15625,\n"), std::string::npos) << text;
}
