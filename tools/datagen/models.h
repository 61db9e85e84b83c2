// The game's Wavefront models: the room, the table frame, the cue, the three
// pieces of furniture and the gamepad. Metres, y up; the table's box is
// centred at the origin.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "core/vector_math.h"
#include "datagen/mesh.h"

namespace datagen {

// The box of the table the frame is built around, and the pockets' capture
// radius.
inline constexpr Vec3 kTableHalfExtents{0.9f, 0.225f, 0.45f};
inline constexpr float kPocketRadius = 0.0909251f;
// The room's inside.
inline constexpr Vec3 kRoomLow{-7.0f, -1.2f, -5.5f};
inline constexpr Vec3 kRoomHigh{7.0f, 2.8f, 5.5f};
inline constexpr float kFloorY = -1.2f;

// Object names the game looks up in the room model.
inline constexpr const char* kScreenObject = "Screen_Cube.019";
inline constexpr const char* kCeilingLightsObject = "point_lights";
inline constexpr const char* kTableLightsObject = "table_lights";

// The cue: butt at z = 0, tip at z = kCueLength.
inline constexpr float kCueLength = 0.9144f;
inline constexpr float kCueButtRadius = 0.0127f;
inline constexpr float kCueTipRadius = 0.0065f;

// The twelve pocket centres, 1 mm outside the box.
std::array<Vec3, 12> pocket_centres();

// Where the player may walk: boxes over the floor clear of the walls, the
// table, the furniture and the plants, from a crouch to well above a
// standing eye. Neighbouring boxes overlap, so a step across the line between
// two never falls on a face of both.
struct VolumeBox {
  Vec3 lo, hi;
};
std::vector<VolumeBox> player_volumes();
// The room model draws each as the invisible object "player_volume_" + its
// name; the "room_model" section lists the names.
std::vector<std::string> player_volume_names();

Mesh room_mesh();
Mesh table_mesh();
Mesh cue_mesh();
// Furniture in the quadrant x > 0, z > 0, clear of the table; the game
// draws each piece mirrored into the other three quadrants.
Mesh bench_mesh();
Mesh chair_mesh();
Mesh stool_mesh();
// A gamepad of the "gamepad_v1" button layout, one object per part.
Mesh gamepad_mesh();

}  // namespace datagen
