// BasicEngine: textures and Wavefront models read (and parsed) on the engine's
// worker threads and finished on the main thread, where the OpenGL context is.
#include <iostream>
#include <memory>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "core/files.h"
#include "core/program_cfg.h"
#include "engine/basic_engine.h"
#include "models/obj_renderer.h"
#include "models/wavefront_mtl.h"

namespace {

// A load refused because the engine is shutting down.
constexpr int kShuttingDown = -3;

// The description file of the model that <cfg>/<section>.ini names under key,
// with the section file's values merged into the settings section: 0, 1 when
// the section file does not load, 2 when it has no value under key.
int find_model_description(EngineSettings& settings, const std::string& key,
                           const std::string& section, std::string* description) {
  const std::string path = settings.find_file(settings.cfg_folder() + "/" + section + ".ini");
  ProgramCfg table;
  if (path.empty() || table.load(path) != 0) return 1;
  const std::string value = static_cast<const ProgramCfg&>(table)[key].str();
  if (value.empty()) return 2;
  settings[section].update(table);
  *description = settings.find_file(settings.cfg_folder() + "/" + value);
  return 0;
}

// The texture maps of every material from the first folder, then those still
// missing from the second. A map found in the first is not loaded again.
void load_material_textures(OBJRenderer& model, const std::string& first,
                            const std::string& second) {
  for (WavefrontMTL& material : model.materials()) {
    material.load_textures(first);
    WavefrontMTL missing = material;
    for (auto it = missing.map_options().begin(); it != missing.map_options().end();) {
      if (material.textures().count(it->first) != 0 || it->second.file.empty())
        it = missing.map_options().erase(it);
      else
        ++it;
    }
    if (missing.map_options().empty()) continue;
    missing.load_textures(second);
    material.textures().insert(missing.textures().begin(), missing.textures().end());
  }
}

}  // namespace

int BasicEngine::load_tex(Texture& tex, std::string file, bool free_pixels,
                          std::function<void()> done) {
  return read_texture(tex, file, free_pixels, std::move(done), false);
}

int BasicEngine::load_tex_async(Texture& tex, std::string file, bool free_pixels,
                                std::function<void()> done) {
  return read_texture(tex, file, free_pixels, std::move(done), true);
}

int BasicEngine::read_texture(Texture& tex, const std::string& file, bool free_pixels,
                              std::function<void()> done, bool decode_on_worker) {
  LoadWorkers* workers = &load_workers_;
  Texture* target = &tex;
  auto on_bytes = [workers, target, free_pixels, decode_on_worker,
                   done = std::move(done)](const std::vector<unsigned char>& bytes) {
    if (workers->stopping()) return;
    int decoded = 0;
    if (decode_on_worker) decoded = target->load_png(bytes, false, false, true);
    // The main thread decodes from its own copy of the bytes.
    std::vector<unsigned char> png;
    if (!decode_on_worker) png = bytes;
    workers->hand_over(
        [target, png = std::move(png), free_pixels, decode_on_worker, decoded, done] {
          const int result = decode_on_worker ? decoded : target->load_png(png, false, false, true);
          // A picture that does not decode has been reported, with its file, by
          // the decoder; the texture is left as it was.
          if (result == 0) {
            target->generate(GL_RGBA);
            if (free_pixels) target->clear_local();
          }
          if (done) done();
        });
  };
  const std::string name = settings_.textures_folder() + "/" + file;
  std::function<void()> read;
  const int status = settings_.file_read(
      name, std::function<void(const std::vector<unsigned char>&)>(std::move(on_bytes)), &read);
  if (status != 0) return status;
  // Named before the worker starts, which may report a failure with it.
  tex.file_name() = settings_.root() + name;
  return load_workers_.start(std::move(read)) ? 0 : kShuttingDown;
}

int BasicEngine::load_obj(OBJRenderer& obj, std::string key, std::string section,
                          bool free_vertices) {
  std::string description;
  if (const int status = find_model_description(settings_, key, section, &description))
    return status;
  // The models folder under the data root, so that a root other than the
  // working directory works.
  const int result = obj.load_cfg(description, settings_.root() + settings_.models_folder());
  if (free_vertices) obj.clear_vertex_data();
  return result;
}

int BasicEngine::load_obj_async(OBJRenderer& obj, std::string key, std::string section,
                                bool free_vertices, std::function<void()> done) {
  std::string description;
  if (const int status = find_model_description(settings_, key, section, &description))
    return status;
  ProgramCfg values;
  if (description.empty() || values.load(description) != 0) return 3;
  const std::string obj_file = static_cast<const ProgramCfg&>(values)["obj_file"].str();
  if (obj_file.empty()) return 4;

  const std::string name = settings_.models_folder() + "/" + obj_file;
  const std::string models = settings_.root() + settings_.models_folder();
  const std::string textures = settings_.root() + settings_.textures_folder();
  LoadWorkers* workers = &load_workers_;
  OBJRenderer* model = &obj;
  // The worker reads into a model of its own, and the caller's model takes
  // it in the completion, on the main thread: the frame may draw the
  // caller's model meanwhile (an empty one until then).
  auto parsed = std::make_shared<OBJRenderer>();
  const std::string path = settings_.root() + name;
  auto on_text = [workers, model, parsed, values, free_vertices, done = std::move(done), models,
                  textures, path](const std::string& text) {
    if (workers->stopping()) return;
    parsed->transform().init(values);
    std::istringstream in(text);
    // The application goes on without a model that does not read; the
    // reader's own warnings do not name the file, this line does.
    if (const int code = parsed->load(in, &parsed->transform(), false); code != 0) {
      std::cerr << "Error loading model " << path << ": the model reader's code " << code
                << std::endl;
    } else {
      if (parsed->faces().empty())
        std::cerr << "Error loading model " << path << ": no face read" << std::endl;
      parsed->construct_materials_attributes(true);
      parsed->construct_materials_attributes(false);
    }
    // Also after a failed parse: the caller waits for done.
    workers->hand_over([model, parsed, free_vertices, done, models, textures] {
      *model = std::move(*parsed);
      model->material_attribute_vaos(true);
      model->material_attribute_vaos(false);
      load_material_textures(*model, models, textures);
      if (free_vertices) model->clear_vertex_data();
      if (done) done();
    });
  };
  std::function<void()> read;
  const int status =
      settings_.file_read(name, std::function<void(const std::string&)>(std::move(on_text)), &read);
  // A read that does not start would never reach done: say so.
  if (status != 0) return status;
  obj.load_path(file_directory(settings_.find_file(name)));
  // What the caller's model holds is read on: the reader appends to it.
  *parsed = obj;
  return load_workers_.start(std::move(read)) ? 0 : kShuttingDown;
}
