// The engine's detailed shape sets and the geometry that holds them.
#include "render/geometry.h"

template class Detailed<Quad, float, float>;
template class Detailed<SolidSphere, float, float>;
template class Detailed<Cylinder, float, float>;

ParameterizedGeometry::ParameterizedGeometry(Quads* quads, Spheres* spheres, Cylinders* cylinders)
    : quads_(quads), spheres_(spheres), cylinders_(cylinders) {
  spheres_.get().name() = "Spheres";
  quads_.get().name() = "Quads";
  cylinders_.get().name() = "Cylinders";
}

int ParameterizedGeometry::init(bool clear) {
  int result = 0;
  result += spheres().construct();
  if (clear) spheres().clear_shapes();
  result += quads().construct();
  if (clear) quads().clear_shapes();
  result += cylinders().construct();
  if (clear) cylinders().clear_shapes();
  return result;
}

void ParameterizedGeometry::init_lazy(bool clear) {
  spheres().init_lazy(clear);
  quads().init_lazy(clear);
  cylinders().init_lazy(clear);
}
