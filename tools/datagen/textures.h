// The game's pictures: ball textures, felt, logos, banner, control hints and
// the surfaces of the room's models.
#pragma once

#include <string>
#include <vector>

#include "datagen/canvas.h"

namespace datagen {

// A picture and the file it is saved as (relative to its folder).
struct Picture {
  std::string file;
  Canvas canvas;
  bool alpha;
};

// "Ball<n>.png": 2:1 equirectangular in the mapping of sphere_uv, cue ball
// (n = 0) white, solids 1-7 and the eight in their colour, stripes 9-15 white
// with a band of the colour of n - 8; the number in a white disc on the front
// (u = 0.25) and the back (u = 0.75) of the equator.
Picture ball_picture(int n);
// The colour of a ball's number: solids and the band of stripes.
RGBA ball_colour(int n);

Picture felt_picture();          // "solid_felt_4.png"
Picture product_logo_picture();  // "tlv-transp.png"
Picture maker_banner_picture();  // "merv-banner.png"
Picture maker_logo_picture();    // "merivane(R)-ecl-transp.png"
// The 13 hint pictures, "controls/<name>.png", transparent around the key or
// button.
std::vector<Picture> hint_pictures();
// Names of the hint pictures, without folder and extension.
const std::vector<std::string>& hint_names();

// Surfaces of the models, written beside them.
std::vector<Picture> model_pictures();

// Every picture of the textures folder (not the model surfaces).
std::vector<Picture> texture_pictures();

}  // namespace datagen
