// The out-of-line members of the option classes: Option's destructor, so its
// virtual table lives in the library, and DrawStyle's OpenGL step.
#include "ui/option.h"

#include "render/gl.h"

Option::~Option() = default;

void DrawStyle::apply_gl() const {
  glLineWidth(line_width_);
  glColor4fv(fill_color_.data());
}
