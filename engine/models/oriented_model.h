// Oriented<T>: a model that carries its own pose.
#pragma once

#include "core/coordinate_system.h"

// T with a CoordinateSystem of its own (the identity pose after default
// construction). Copies and moves take the model part as T does and copy the
// pose. Oriented<OBJRenderer> is an empty model until something is read into it.
template <typename T>
class Oriented : public T {
 public:
  Oriented() = default;

  CoordinateSystem& coord_sys() { return coord_sys_; }
  const CoordinateSystem& coord_sys() const { return coord_sys_; }

 private:
  CoordinateSystem coord_sys_;
};
