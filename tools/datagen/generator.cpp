// The data folder, file by file.
#include "datagen/generator.h"

#include <cstdio>
#include <filesystem>

#include "core/program_cfg.h"
#include "datagen/icosphere.h"
#include "datagen/models.h"
#include "datagen/settings.h"
#include "datagen/sounds.h"
#include "datagen/textures.h"
#include "datagen/wav.h"

namespace datagen {

namespace {

class Writer {
 public:
  explicit Writer(std::string root) : root_(std::move(root)) {}

  // Runs the writer of one file unless an earlier one failed.
  template <typename Write>
  void file(const std::string& relative, Write write) {
    if (!result_.error.empty()) return;
    const std::filesystem::path path = std::filesystem::path(root_) / relative;
    std::error_code ec;
    std::filesystem::create_directories(path.parent_path(), ec);
    if (ec || write(path.string()) != 0) {
      result_.error = "cannot write " + path.string();
      return;
    }
    result_.files.push_back(relative);
  }

  // Records a file that the last writer wrote alongside its own.
  void also(const std::string& relative) {
    if (result_.error.empty()) result_.files.push_back(relative);
  }

  GeneratedFiles result() const { return result_; }

 private:
  std::string root_;
  GeneratedFiles result_;
};

void write_models(Writer& w) {
  MeshMaterial ball;
  ball.name = "ball";
  ball.diffuse = {1, 1, 1};
  ball.specular = {1, 1, 1};
  ball.shininess = 100;
  for (int level = 0; level < 6; ++level) {
    char name[32];
    std::snprintf(name, sizeof name, "icosphere-%02d", level + 1);
    OBJRenderer model = icosphere_model(level, ball.name);
    model.materials().push_back(to_mtl(ball));
    w.file(std::string("models/icosphere/") + name + ".obj", [&](const std::string& path) {
      return save_model(model, path, std::string(name) + ".mtl");
    });
    w.also(std::string("models/icosphere/") + name + ".mtl");
  }
  const std::pair<const char*, Mesh (*)()> meshes[] = {
      {"room", room_mesh},         {"table", table_mesh}, {"cue", cue_mesh},
      {"bench", bench_mesh},       {"chair", chair_mesh}, {"stool", stool_mesh},
      {"gamepad_v1", gamepad_mesh}};
  for (const auto& [name, make] : meshes) {
    const Mesh mesh = make();
    const std::string stem = name;
    w.file("models/" + stem + ".obj",
           [&](const std::string& path) { return save_model(mesh.model(), path, stem + ".mtl"); });
    w.also("models/" + stem + ".mtl");
  }
}

void write_pictures(Writer& w) {
  // The surfaces of the models go beside them and into textures/: the engine
  // looks for a model's maps in both folders.
  for (const Picture& p : model_pictures())
    for (const char* folder : {"models/", "textures/"})
      w.file(folder + p.file,
             [&](const std::string& path) { return p.canvas.save_png(path, p.alpha); });
  for (const Picture& p : texture_pictures())
    w.file("textures/" + p.file,
           [&](const std::string& path) { return p.canvas.save_png(path, p.alpha); });
}

void write_sounds(Writer& w) {
  for (const Sound& s : all_sounds())
    w.file("sounds/" + s.file, [&](const std::string& path) {
      return write_wav(path, to_pcm16(s.samples), 1, kSampleRate);
    });
}

void write_settings(Writer& w) {
  for (const SettingsFile& f : settings_files()) {
    ProgramCfg cfg;
    for (const auto& [key, value] : f.entries) cfg[key] = value;
    w.file("cfg/" + f.file, [&](const std::string& path) { return cfg.save(path); });
  }
}

}  // namespace

GeneratedFiles generate_data(const std::string& root) {
  Writer w(root);
  write_settings(w);
  write_models(w);
  write_pictures(w);
  write_sounds(w);
  return w.result();
}

}  // namespace datagen
