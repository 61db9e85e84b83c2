// Collision caches: the face records, then the voxel partition from the rest
// of the bytes, checked against stand-in faces, then paths queried through it.
#include <cstring>
#include <deque>
#include <sstream>

#include "fuzz_support.h"
#include "models/collision_partition.h"
#include "models/face_collision.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzzing::silence_streams();
  // The last 24 bytes, when there are that many, are the path to query.
  float path[6] = {0, 0, 0, 0.5f, 0.5f, 0.5f};
  std::size_t body = size;
  if (size >= sizeof path) {
    body = size - sizeof path;
    std::memcpy(path, data + body, sizeof path);
  }
  std::istringstream in(fuzzing::text(data, body));
  CollisionDataLoader records;
  records.load(in);
  CollisionPartition partition;
  partition.load(in);

  // One triangle per record over a small vertex list: indices in and out of range.
  const std::vector<float> vertices{0, 0, 0, 1, 0, 0, 0, 1, 0, 1, 1, 1};
  std::deque<OBJFace> faces;
  for (std::size_t i = 0; i < records.face_collision_data().size() && i < 4096; ++i) {
    OBJFace face;
    face.read_vertices({std::to_string(1 + i % 4) + "//1", std::to_string(1 + (i + 1) % 5) + "//1",
                        std::to_string(1 + (i + 2) % 4) + "//1"});
    faces.push_back(face);
  }
  partition.set_faces(faces, records.face_collision_data());
  std::array<float, 3> position{path[0], path[1], path[2]};
  std::array<float, 3> velocity{1, -1, 0.5f};
  const std::array<float, 3> start{path[3], path[4], path[5]};
  partition.collision_faces(position, velocity, start, 0.5f);

  std::ostringstream out;
  records.save(out);
  partition.save(out);
  return 0;
}
