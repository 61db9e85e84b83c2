// Table: the closed box of six walls and twelve pockets the balls move in,
// with the table's own model drawn around it. Building the walls and pockets
// (build_geometry) needs no OpenGL; the pocket renderers and all drawing do.
#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "game/table/pocket.h"
#include "game/table/wall.h"
#include "models/attrib_selector.h"
#include "models/obj_renderer.h"
#include "render/detail_renderer.h"
#include "render/geometry.h"
#include "render/texture.h"

class Table : public GeomObj {
 public:
  explicit Table(ParameterizedGeometry* geometry = nullptr);
  // The pocket renderers point at this table's own pocket geometries.
  Table(const Table&) = delete;
  Table& operator=(const Table&) = delete;

  // Opaque pass, then the model's transparent parts. Attributes, the
  // texture binding and the program are restored.
  void draw() override;
  // Once (later calls return at once): the pocket renderers (model_name must
  // be set: an empty one throws std::bad_function_call), then the geometry.
  void init() override;
  // Passes the observer to every wall and pocket, keeps a copy of both
  // vectors and stores each pocket's level of detail.
  void set_observer(const float* position, const float* direction) override;

  // The walls (+x, -x, +y, -y, +z, -z) and the twelve pockets from
  // half_extents, and the sink directions normalised. Replaces what was built.
  void build_geometry();
  // Builds a pocket renderer's six levels from model_name with the geometry
  // scaled to the radius; a level whose name is empty (no such file) stays
  // empty. flag: 0 for the edge pockets, 1 for the corners.
  void build_pocket_renderer(DetailVertexDataVAO& renderer, AttribSelector& geometry, int flag,
                             float radius);

  // Walls (felt, two-sided lighting, each at its level), then the model's
  // opaque parts with model_program.
  void draw_opaque();
  void draw_walls();
  // The pockets that do not stand between an outside observer and the box.
  void draw_pockets();
  // Whether draw_pockets draws pocket k for the stored observer (every
  // pocket without one; none beyond the list).
  bool pocket_drawn(std::size_t k) const;
  // An edge pocket sits at the middle of a long edge (x = 0).
  bool edge_pocket(std::size_t k) const;

  std::vector<Pocket> pockets;
  std::vector<Wall> walls;
  Vec3 half_extents{0.9f, 0.225f, 0.45f};
  bool show_walls = true;
  Texture felt;
  Vec3 corner_sink_direction{0.57735026f, 0.57735026f, 0.57735026f};
  Vec3 edge_sink_direction{0.0f, 0.70710677f, 0.70710677f};
  float corner_sink_depth = 0.165f;
  float edge_sink_depth = 0.165f;
  OBJRenderer model;
  unsigned int model_program = 0;
  std::function<std::string(unsigned int)> model_name;
  AttribSelector edge_pocket_geometry;
  AttribSelector corner_pocket_geometry;
  DetailVertexDataVAO edge_pocket_renderer;
  DetailVertexDataVAO corner_pocket_renderer;
  DetailedDisplayLists pocket_lod;
  std::vector<int> pocket_levels;
  // Copies of the vectors last given to set_observer.
  std::optional<Vec3> observer_position;
  std::optional<Vec3> observer_direction;
  int built = 0;
};
