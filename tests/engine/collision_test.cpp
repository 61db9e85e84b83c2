#include <gtest/gtest.h>

#include <cmath>

#include "core/phys_obj.h"
#include "engine/basic_engine.h"

namespace {
struct Ball : PhysObj {
  Ball(Vec3 p, Vec3 v, double r = 1.0, double m = 1.0) : PhysObj(nullptr, "ball") {
    position = p;
    velocity = v;
    radius = r;
    mass = m;
  }
  bool ValidPoint(const float*) const override { return true; }
};

bool finite(const Vec3& v) {
  return std::isfinite(v[0]) && std::isfinite(v[1]) && std::isfinite(v[2]);
}

Vec3 momentum(const Ball& a, const Ball& b) {
  return a.velocity * static_cast<float>(a.mass) + b.velocity * static_cast<float>(b.mass);
}
float energy(const Ball& a, const Ball& b) {
  return 0.5f * (dot(a.velocity, a.velocity) * float(a.mass) +
                 dot(b.velocity, b.velocity) * float(b.mass));
}
}  // namespace

TEST(ElasticCollision, HeadOnExchangesVelocitiesAndMovesOnlyB) {
  Ball a({0, 0, 0}, {1, 0, 0});
  Ball b({1.9f, 0, 0}, {-1, 0, 0});
  BasicEngine::elastic_collision(a, b, 1.0f, false, 0.0f);
  EXPECT_EQ(a.velocity, (Vec3{-1, 0, 0}));
  EXPECT_EQ(b.velocity, (Vec3{1, 0, 0}));
  EXPECT_EQ(a.position, (Vec3{0, 0, 0}));
  EXPECT_FLOAT_EQ(b.position[0], 2.0f);  // back to first contact
}

TEST(ElasticCollision, ObliqueKeepsTangentialComponents) {
  Ball a({0, 0, 0}, {0, 0, 0});
  Ball b({1.5f, 1.0f, 0}, {-1, 0, 0});
  const Vec3 before = momentum(a, b);
  BasicEngine::elastic_collision(a, b);
  const Vec3 after = momentum(a, b);
  for (int i = 0; i < 3; ++i) EXPECT_NEAR(after[i], before[i], 1e-5);
  // Equal masses: the outgoing velocities are perpendicular.
  EXPECT_NEAR(dot(a.velocity, b.velocity), 0.0f, 1e-5);
  EXPECT_NEAR(norm(b.position - a.position), 2.0f, 1e-5);
}

TEST(ElasticCollision, SeparatingOrEqualVelocitiesChangeNothing) {
  Ball a({0, 0, 0}, {-1, 0, 0});
  Ball b({1.5f, 0, 0}, {1, 0, 0});
  BasicEngine::elastic_collision(a, b);
  EXPECT_EQ(a.velocity, (Vec3{-1, 0, 0}));
  EXPECT_EQ(b.velocity, (Vec3{1, 0, 0}));
  EXPECT_EQ(b.position, (Vec3{1.5f, 0, 0}));
  Ball far_a({0, 0, 0}, {0, 0, 0});
  Ball far_b({3, 0.5f, 0}, {1, 0, 0});  // apart and separating
  BasicEngine::elastic_collision(far_a, far_b);
  EXPECT_EQ(far_a.velocity, (Vec3{0, 0, 0}));
  EXPECT_EQ(far_b.position, (Vec3{3, 0.5f, 0}));

  Ball c({0, 0, 0}, {2, 3, 4});
  Ball d({1, 0, 0}, {2, 3, 4});
  BasicEngine::elastic_collision(c, d, 0.0f, true, 0.0f);
  BasicEngine::elastic_collision(c, d);
  EXPECT_EQ(c.velocity, (Vec3{2, 3, 4}));
  EXPECT_EQ(d.velocity, (Vec3{2, 3, 4}));
  EXPECT_EQ(d.position, (Vec3{1, 0, 0}));
  EXPECT_TRUE(finite(c.position) && finite(d.position));
}

TEST(ElasticCollision, CheckRequiresOverlapAndOrdersBySpeed) {
  Ball a({0, 0, 0}, {1, 0, 0});
  Ball b({2, 0, 0}, {-1, 0, 0});  // distance equals the radii sum: no contact
  BasicEngine::elastic_collision(a, b, 0.0f, true, 0.0f);
  EXPECT_EQ(a.velocity, (Vec3{1, 0, 0}));
  EXPECT_EQ(b.velocity, (Vec3{-1, 0, 0}));

  Ball fast1({0, 0, 0}, {3, 0.5f, 0}), slow1({1.8f, 0.3f, 0}, {0, 0, 0});
  Ball fast2 = fast1, slow2 = slow1;
  BasicEngine::elastic_collision(fast1, slow1, 0.0f, true, 0.0f);
  BasicEngine::elastic_collision(slow2, fast2, 0.0f, true, 0.0f);
  EXPECT_EQ(fast1.velocity, fast2.velocity);
  EXPECT_EQ(slow1.velocity, slow2.velocity);
  EXPECT_EQ(fast1.position, fast2.position);
  EXPECT_EQ(slow1.position, slow2.position);
  EXPECT_NE(fast1.position, (Vec3{0, 0, 0}));  // the faster body was moved back
}

TEST(Collide, ConservesMomentumAndWithoutLossEnergy) {
  Ball a({0, 0, 0}, {2, 1, 0}, 1.0, 1.0);
  Ball b({1.5f, 0.5f, 0}, {-1, 0, 0.5f}, 1.0, 3.0);
  const Vec3 p0 = momentum(a, b);
  const float e0 = energy(a, b);
  BasicEngine::Collide(a, b, 0.0f, 0.0f);
  const Vec3 p1 = momentum(a, b);
  for (int i = 0; i < 3; ++i) EXPECT_NEAR(p1[i], p0[i], 1e-5);
  EXPECT_NEAR(energy(a, b), e0, 1e-4);
  EXPECT_EQ(a.position, (Vec3{0, 0, 0}));
}

TEST(Collide, FullLossLeavesBothWithTheCentreOfMassVelocity) {
  Ball a({0, 0, 0}, {2, 0, 0}, 1.0, 1.0);
  Ball b({1, 0, 0}, {0, 0, 0}, 1.0, 1.0);
  BasicEngine::Collide(a, b, 1.0f, 0.0f);
  EXPECT_EQ(a.velocity, (Vec3{1, 0, 0}));
  EXPECT_EQ(b.velocity, (Vec3{1, 0, 0}));
}

TEST(Collide, SpinCouplingUsesTheNewAngularVelocityOfA) {
  Ball a({0, 0, 0}, {0, 0, 0}), b({1, 0, 0}, {0, 0, 0});
  a.angular_velocity = {1, 0, 0};
  b.angular_velocity = {0, 2, 0};
  BasicEngine::Collide(a, b, 0.0f, 0.5f);
  EXPECT_EQ(a.angular_velocity, (Vec3{0.5f, -1, 0}));
  EXPECT_EQ(b.angular_velocity, (Vec3{-0.25f, 1.5f, 0}));
}

TEST(Collide, RefusesBadInputWithoutChangeAndNeverWritesNaN) {
  {  // apart
    Ball a({0, 0, 0}, {1, 0, 0}), b({3, 0, 0}, {0, 0, 0});
    BasicEngine::Collide(a, b, 0.0f, 0.0f);
    EXPECT_EQ(a.velocity, (Vec3{1, 0, 0}));
  }
  {  // coincident centres
    Ball a({1, 1, 1}, {1, 0, 0}), b({1, 1, 1}, {0, 1, 0});
    BasicEngine::Collide(a, b, 0.0f, 0.5f);
    EXPECT_EQ(a.velocity, (Vec3{1, 0, 0}));
    EXPECT_EQ(b.velocity, (Vec3{0, 1, 0}));
  }
  for (int which = 0; which < 2; ++which) {  // a zero mass
    Ball a({0, 0, 0}, {1, 0, 0}, 1.0, which == 0 ? 0.0 : 1.0);
    Ball b({1, 0, 0}, {0, 0, 0}, 1.0, which == 1 ? 0.0 : 1.0);
    BasicEngine::Collide(a, b, 0.0f, 0.0f);
    EXPECT_EQ(a.velocity, (Vec3{1, 0, 0}));
    EXPECT_EQ(b.velocity, (Vec3{0, 0, 0}));
  }
  {  // loss above 1, and a pair with no relative motion (E - E_cm rounds to or below 0)
    Ball a({0, 0, 0}, {1, 0, 0}), b({1, 0, 0}, {-1, 0, 0});
    BasicEngine::Collide(a, b, 1.5f, 0.0f);
    EXPECT_TRUE(finite(a.velocity) && finite(b.velocity));
    Ball c({0, 0, 0}, {0.1f, 0.7f, 0.3f}, 1.0, 3.0), d({1, 0, 0}, {0.1f, 0.7f, 0.3f}, 1.0, 7.0);
    BasicEngine::Collide(c, d, 0.0f, 0.0f);
    EXPECT_TRUE(finite(c.velocity) && finite(d.velocity));
  }
}
