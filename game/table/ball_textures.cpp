#include "game/table/ball_textures.h"

#include "render/gl.h"

int BallTextures::load(const EngineSettings& settings, Texture& felt, const Loader& load_ball) {
  glPushAttrib(GL_ENABLE_BIT | GL_TEXTURE_BIT);
  glEnable(GL_TEXTURE_2D);
  balls.resize(16);
  for (int k = 0; k < 16; ++k) load_ball(balls[k], "Ball" + std::to_string(k) + ".png");
  const std::string felt_path = settings.path_in(settings.textures_folder(), "solid_felt_4.png");
  int result = felt.load(felt_path, true, true, false);
  const unsigned char bytes[4] = {1, 1, 1, 1};
  blank_image.set_data(1, 1, bytes, Texture::kRGBA);
  const int blank_result = blank_image.generate(GL_RGBA);
  blank_texture = blank_image.id();
  glPopAttrib();
  return result != 0 ? result : blank_result;
}

BallTextures::Loader BallTextures::direct(const EngineSettings& settings) {
  return [settings](Texture& texture, const std::string& name) {
    return texture.load(settings.find_texture(name), true, true, false);
  };
}

void BallTextures::clear() {
  for (Texture& t : balls) t.clear();
  blank_image.clear();
  blank_texture = 0;
}
