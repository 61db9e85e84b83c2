// One whole process that reads an OBJ file and frees the result again, with
// our reader or (built with OBJ_READ_TINYOBJ) with tinyobjloader, so that the
// benchmark can time and weigh what a program pays for either. Writes the
// number of faces and the peak resident memory to standard output.
#include <cstdio>
#include <fstream>
#include <memory>
#include <string>

#ifdef OBJ_READ_TINYOBJ
#include <tiny_obj_loader.h>
#else
#include "models/obj_renderer.h"
#endif

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s FILE.obj\n", argv[0]);
    return 2;
  }
  const std::string path = argv[1];
  std::size_t faces = 0;
#ifdef OBJ_READ_TINYOBJ
  tinyobj::ObjReaderConfig config;
  config.triangulate = false;
  config.vertex_color = false;
  auto reader = std::make_unique<tinyobj::ObjReader>();
  if (!reader->ParseFromFile(path, config)) return 1;
  for (const tinyobj::shape_t& shape : reader->GetShapes())
    faces += shape.mesh.num_face_vertices.size();
  reader.reset();
#else
  auto model = std::make_unique<OBJRenderer>();
  if (model->load(path) != 0) return 1;
  faces = model->faces().size();
  model.reset();
#endif
  // The peak resident memory of this process image, in KiB.
  std::ifstream status("/proc/self/status");
  std::string word;
  long peak = 0;
  while (status >> word)
    if (word == "VmHWM:") status >> peak;
  std::printf("%zu faces, peak %ld KiB\n", faces, peak);
  return 0;
}
