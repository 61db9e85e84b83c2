// Walking in the generated room through the engine's frame step: the room
// model's player volumes keep the walker off the walls, the table and the
// furniture, leave no spot of open floor where the walker is held, and
// every side of the table stays within reach.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "core/vector_math.h"
#include "datagen/data_folder.h"
#include "game/app/pool_engine.h"
#include "support/engine_frame.h"

namespace {

constexpr double kFrame = 1.0 / 30.0;
// Where start-up puts the viewer, looking at the table.
const Vec3 kStart{0.0f, 0.3f, 2.0f};

class RoomWalk : public datagen_test::DataFolderFixture<testing_support::EngineFrame> {
 protected:
  void SetUp() override {
    EngineFrame::SetUp();
    const std::string room_file = cfg("pool_objects")["room_model"].str();
    room_ = load_model(room_file);
    ProgramCfg section = cfg(room_file);
    ASSERT_EQ(engine_.load_player_volume(room_, section), 0);
    room_bounds_ = room_.lower_upper_bounds();
    table_bounds_ = load_model(cfg("pool_objects")["table_model"].str()).lower_upper_bounds();
    engine_.walking().position() = kStart;
    look_towards({0.0f, 0.0f, 0.0f});
    frame_at(now_);
  }

  // The view turned level toward a point, as the player turns it.
  void look_towards(const Vec3& target) {
    Vec3 ahead = target - engine_.walking().position();
    ahead[1] = 0.0f;
    const Vec3 eye = engine_.walking().position();
    engine_.mouse_look().coord_sys().look_at(eye, eye + ahead);
  }

  // One frame, then the walker must be in a volume, clear of the walls and
  // out of the table.
  void step() {
    frame_at(now_ + kFrame);
    const Vec3& p = engine_.walking().position();
    ASSERT_TRUE(engine_.in_player_volume(p)) << p[0] << " " << p[1] << " " << p[2];
    for (int a : {0, 2}) {
      ASSERT_GT(p[a], room_bounds_[0][a] + 0.3f) << p[a];
      ASSERT_LT(p[a], room_bounds_[1][a] - 0.3f) << p[a];
    }
    const bool in_table = std::fabs(p[0]) < table_bounds_[1][0] + 0.2f &&
                          std::fabs(p[2]) < table_bounds_[1][2] + 0.2f;
    ASSERT_FALSE(in_table) << p[0] << " " << p[2];
  }

  OBJRenderer room_;
  OBJRenderer::Bounds room_bounds_{}, table_bounds_{};
};

}  // namespace

TEST_F(RoomWalk, EachWalkKeyHeldTenSecondsFromTheStartStaysInTheRoomAndOutOfTheTable) {
  ASSERT_GT(engine_.player_volumes().size(), 4u);
  for (const char key : {'w', 's', 'a', 'd'}) {
    SCOPED_TRACE(std::string(1, key));
    engine_.walking().position() = kStart;
    engine_.walking().stand_still();
    look_towards({0.0f, 0.0f, 0.0f});
    engine_.keyboard_callback(key, 1, 0, 0, 0);
    const double end = now_ + 10.0;
    float travelled = 0.0f;
    while (now_ < end) {
      ASSERT_NO_FATAL_FAILURE(step());
      travelled = std::max(travelled, norm(engine_.walking().position() - kStart));
    }
    engine_.keyboard_callback(key, 0, 0, 0, 0);
    EXPECT_GT(travelled, 1.0f);  // the key did walk
  }
}

TEST_F(RoomWalk, EverySideOfTheTableIsReachedWalkingAroundIt) {
  struct Waypoint {
    Vec3 at;
    const char* side;  // a side of the table, or null on the way
  };
  const Waypoint path[] = {{{1.8f, 0.3f, 1.5f}, nullptr},   {{1.8f, 0.3f, 0.0f}, "+x"},
                           {{1.8f, 0.3f, -1.5f}, nullptr},  {{0.0f, 0.3f, -1.5f}, "-z"},
                           {{-1.8f, 0.3f, -1.5f}, nullptr}, {{-1.8f, 0.3f, 0.0f}, "-x"},
                           {{-1.8f, 0.3f, 1.5f}, nullptr},  {{0.0f, 0.3f, 1.5f}, "+z"}};
  for (const Waypoint& w : path) {
    SCOPED_TRACE(w.side ? w.side : "on the way");
    // Forward toward the point, the view turned to it every frame, until
    // the walker passes close by.
    engine_.keyboard_callback('w', 1, 0, 0, 0);
    bool reached = false;
    for (int frame = 0; frame < 30 * 15 && !reached; ++frame) {
      look_towards(w.at);
      ASSERT_NO_FATAL_FAILURE(step());
      reached = norm(engine_.walking().position() - w.at) < 0.3f;
    }
    engine_.keyboard_callback('w', 0, 0, 0, 0);
    ASSERT_TRUE(reached) << w.at[0] << " " << w.at[2];
  }
}

TEST_F(RoomWalk, FromEverySpotOfOpenFloorTheWalkerMovesInThreeOfTheFourWalkDirections) {
  // The view along each of the room's axes in turn; a walk key held a third
  // of a second from the spot.
  int spots = 0;
  for (const Vec3& ahead : {Vec3{1.0f, 0.0f, 0.0f}, Vec3{0.0f, 0.0f, 1.0f}}) {
    for (float x = -6.6f; x <= 6.6f; x += 0.1f) {
      for (float z = -5.1f; z <= 5.1f; z += 0.1f) {
        const Vec3 start{x, kStart[1], z};
        if (!engine_.in_player_volume(start)) continue;
        ++spots;
        std::string moved;
        for (const char key : {'w', 'a', 's', 'd'}) {
          engine_.walking().position() = start;
          engine_.walking().stand_still();
          engine_.mouse_look().coord_sys().look_at(start, start + ahead);
          engine_.keyboard_callback(key, 1, 0, 0, 0);
          for (int f = 0; f < 10; ++f) frame_at(now_ + kFrame);
          engine_.keyboard_callback(key, 0, 0, 0, 0);
          frame_at(now_ + kFrame);
          if (norm(engine_.walking().position() - start) > 0.02f) moved += key;
        }
        ASSERT_GE(moved.size(), 3u) << "at " << x << ", " << z << " looking along " << ahead[0]
                                    << ", " << ahead[2] << " only " << moved << " moved";
      }
    }
  }
  EXPECT_GT(spots, 10000);
}

TEST_F(RoomWalk, NoPieceOfFurnitureAndNotTheTableStandsInAPlayerVolume) {
  std::vector<std::string> keys{"table_model"};
  const ProgramCfg objects = cfg("pool_objects");
  for (const auto& [key, value] : objects.fields())
    if (PoolEngine::furniture_key(key)) keys.push_back(key);
  ASSERT_EQ(keys.size(), 4u);
  for (const std::string& key : keys) {
    const OBJRenderer::Bounds b = load_model(objects[key].str()).lower_upper_bounds();
    // As the game draws the furniture: in the four quadrants of the floor.
    for (const float sx : {-1.0f, 1.0f}) {
      for (const float sz : {-1.0f, 1.0f}) {
        const Vec3 lo{std::min(sx * b[0][0], sx * b[1][0]), b[0][1],
                      std::min(sz * b[0][2], sz * b[1][2])};
        const Vec3 hi{std::max(sx * b[0][0], sx * b[1][0]), b[1][1],
                      std::max(sz * b[0][2], sz * b[1][2])};
        for (std::size_t k = 0; k < engine_.player_volumes().size(); ++k) {
          const auto& v = engine_.player_volumes()[k];
          bool apart = false;
          for (int a = 0; a < 3; ++a)
            apart = apart || hi[a] <= v.position()[a] - v.volume()[a] / 2 ||
                    lo[a] >= v.position()[a] + v.volume()[a] / 2;
          EXPECT_TRUE(apart) << key << " at " << sx << ", " << sz << " in volume " << k;
        }
      }
    }
  }
}
