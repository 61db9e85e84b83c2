// BasicEngine: the player volumes, boxes of a room model where the walker may
// stand.
#include <string>

#include "core/program_cfg.h"
#include "core/strings.h"
#include "engine/basic_engine.h"
#include "models/obj_renderer.h"

int BasicEngine::load_player_volume(OBJRenderer& model, ProgramCfg& cfg) {
  // Read through the const table, so a missing key is not added to it.
  const std::string names = static_cast<const ProgramCfg&>(cfg)["player_volume_objects"].str();
  const std::vector<std::string> list = split(names, "");
  if (list.empty()) return -1;
  for (const std::string& name : list) {
    OBJRenderer part = model.from_faces(model.filter_faces("player_volume_" + name, "", "", 0));
    // An object that does not exist gives an empty box, which holds no point.
    const auto bounds = part.calc_lower_upper_bounds({});
    PlayerVolume box;
    for (int i = 0; i < 3; ++i) {
      box.position()[i] = (bounds[0][i] + bounds[1][i]) / 2.0f;
      box.volume()[i] = bounds[1][i] - bounds[0][i];
    }
    player_volumes_.push_back(box);
  }
  return 0;
}

bool BasicEngine::in_player_volume(std::array<float, 3> point) const {
  for (const PlayerVolume& box : player_volumes_)
    if (box.inside(point)) return true;
  return false;
}
