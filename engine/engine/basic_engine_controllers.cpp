// BasicEngine: the models of the VR hand controllers and their button tables.
#include "engine/basic_engine.h"

void BasicEngine::add_controller_vbo(VBO* vbo, std::string name) {
  if (vbo) vbo->rename(name);
  controller_vbos_.add(vbo);
  draw_vbos_.add(vbo);
  while (button_locations_.size() < controller_vbos_.size()) button_locations_.emplace_back(name);
}
