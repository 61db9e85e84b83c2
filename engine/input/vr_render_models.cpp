// VRInterface: the runtime's render models — listing, loading into VBOs with
// their textures, the devices that show them, the base stations, and the
// export of each model as OBJ, MTL and PNG files.
#include <lodepng.h>

#include <algorithm>
#include <filesystem>
#include <iostream>

#include "core/timer.h"
#include "input/vr_interface.h"
#include "models/obj_renderer.h"

namespace {

constexpr std::uint32_t kNameBufferSize = 256;
// Pauses between asking the runtime again for a model, and for a texture.
constexpr double kModelRetryPause = 0.010;
constexpr double kTexturePause = 0.033;

// A name that stands for itself as one folder and file name: not empty, not
// "." or "..", no separator (so not absolute either).
bool plain_file_name(const std::string& name) {
  return !name.empty() && name != "." && name != ".." &&
         name.find_first_of("/\\") == std::string::npos;
}

// Positions, normals and texture coordinates of every triangle, three
// corners each. A triangle naming a vertex the model does not have is left out.
std::array<std::vector<float>, 3> expand_triangles(const vr::RenderModel_t& model) {
  std::array<std::vector<float>, 3> arrays;
  if (!model.vertex_data || !model.index_data) return arrays;
  for (std::uint32_t t = 0; t < model.triangle_count; ++t) {
    const std::uint16_t* corners = model.index_data + 3 * std::size_t(t);
    if (std::any_of(corners, corners + 3, [&](std::uint16_t i) { return i >= model.vertex_count; }))
      continue;
    for (int c = 0; c < 3; ++c) {
      const vr::RenderModel_Vertex_t& v = model.vertex_data[corners[c]];
      arrays[0].insert(arrays[0].end(), v.position.v, v.position.v + 3);
      arrays[1].insert(arrays[1].end(), v.normal.v, v.normal.v + 3);
      arrays[2].insert(arrays[2].end(), v.texture_coord, v.texture_coord + 2);
    }
  }
  return arrays;
}

// One level, no parents; an existing folder is fine.
void make_folder(const std::string& path) {
  std::error_code ignored;
  std::filesystem::create_directory(path, ignored);
}

}  // namespace

const std::vector<std::string>& VRInterface::list_render_models() {
  render_model_names_.clear();
  if (!render_models_) return render_model_names_;
  const std::uint32_t count = render_models_->GetRenderModelCount();
  char buffer[kNameBufferSize];
  for (std::uint32_t i = 0; i < count; ++i) {
    const std::uint32_t length = render_models_->GetRenderModelName(i, buffer, kNameBufferSize);
    if (length == 0 || length > kNameBufferSize) {
      std::cerr << "VR: error getting render model name for index " << i << "/" << count
                << std::endl;
      continue;
    }
    buffer[kNameBufferSize - 1] = '\0';
    const std::string name(buffer);
    auto at = std::find(render_model_names_.begin(), render_model_names_.end(), name);
    if (at == render_model_names_.end()) {
      render_model_names_.push_back(name);
      at = render_model_names_.end() - 1;
    }
    std::cout << "Render model " << (at - render_model_names_.begin()) << ": '" << name << "'"
              << std::endl;
  }
  return render_model_names_;
}

vr::EVRRenderModelError VRInterface::wait_for_model(const std::string& name,
                                                    vr::RenderModel_t** model) const {
  const Timer waited;
  for (;;) {
    const vr::EVRRenderModelError error =
        render_models_->LoadRenderModel_Async(name.c_str(), model);
    if (error != vr::VRRenderModelError_Loading || waited() >= load_wait_limit_) return error;
    timed_sleep(kModelRetryPause);
  }
}

vr::EVRRenderModelError VRInterface::wait_for_texture(
    vr::TextureID_t id, vr::RenderModel_TextureMap_t** texture) const {
  const Timer waited;
  for (;;) {
    const vr::EVRRenderModelError error = render_models_->LoadTexture_Async(id, texture);
    if (error != vr::VRRenderModelError_Loading || waited() >= load_wait_limit_) return error;
    timed_sleep(kTexturePause);
  }
}

int VRInterface::load_render_models(std::vector<std::string> names, bool all_if_empty,
                                    bool write_files, bool) {
  if (names.empty()) {
    if (all_if_empty) list_render_models();
    names = render_model_names_;
  }
  const std::vector<std::string> device_models =
      tracked_device_names(vr::TrackedDeviceClass_Invalid, false, false);
  int result = 0;
  for (const std::string& name : names) {
    if (loaded_models_.count(name)) continue;
    vr::RenderModel_t* model = nullptr;
    const vr::EVRRenderModelError error =
        render_models_ ? wait_for_model(name, &model) : vr::VRRenderModelError_NotSupported;
    if (error != vr::VRRenderModelError_None || !model) {
      std::cerr << "Error loading model " << name << ", excuse: "
                << (render_models_ ? render_models_->GetRenderModelErrorNameFromEnum(error)
                                   : "no render model interface")
                << std::endl;
      // The units count model failures as 1, the tens the textures.
      result |= 1;
      continue;
    }
    std::cout << "Loaded " << name << std::endl;
    loaded_models_[name] = model;
    VBO& vbo = model_vbos_[name];
    vbo.rename(name);
    const std::array<std::vector<float>, 3> arrays = expand_triangles(*model);
    const auto shown_by = std::find(device_models.begin(), device_models.end(), name);
    if (shown_by != device_models.end()) tracked_models_[shown_by - device_models.begin()] = &vbo;

    const bool textured = model->diffuse_texture_id >= 0;
    bool texture_loaded = false;
    vbo.texture().bytes_per_pixel(Texture::kRGBA);
    if (textured) {
      vr::RenderModel_TextureMap_t* map = nullptr;
      const vr::EVRRenderModelError texture_error =
          wait_for_texture(model->diffuse_texture_id, &map);
      if (texture_error == vr::VRRenderModelError_None && map) {
        vbo.texture().set_data(map->width, map->height, map->texture_data, Texture::kRGBA);
        vbo.texture().generate(GL_RGBA);
        render_models_->FreeTexture(map);
        texture_loaded = true;
      } else {
        std::cerr << "Error loading texture ID " << model->diffuse_texture_id << " for model "
                  << name
                  << ", excuse: " << render_models_->GetRenderModelErrorNameFromEnum(texture_error)
                  << std::endl;
        result += 10;
      }
    }

    const bool safe_name = plain_file_name(name);
    if (safe_name) {
      make_folder(render_models_folder_);
      make_folder(render_models_folder_ + "/" + name);
    } else {
      std::cerr << "Render model '" << name << "' is no plain file name: no files written"
                << std::endl;
    }

    if (vbo.init(arrays[0].size() / 3, GL_TRIANGLES, arrays[0].data(), arrays[1].data(),
                 textured ? arrays[2].data() : nullptr, 3, 2))
      std::cerr << "Error intitalizing VBO for " << name << std::endl;

    if (write_files && safe_name)
      export_model(name, arrays, texture_loaded ? &vbo.texture() : nullptr);

    if (shown_by == device_models.end()) {
      // No device shows it: the name stays marked as done.
      render_models_->FreeRenderModel(model);
      loaded_models_[name] = nullptr;
    }
  }
  return result;
}

void VRInterface::export_model(const std::string& name,
                               const std::array<std::vector<float>, 3>& arrays,
                               const Texture* texture) const {
  make_folder(render_models_folder_);
  const std::string folder = render_models_folder_ + "/" + name;
  make_folder(folder);
  const std::string stem = folder + "/" + name;
  const std::string png_path = stem + ".png";

  if (texture) {
    // The texture holds the runtime's rows as they came; the file has them
    // the other way round.
    Texture image;
    const std::size_t row = std::size_t(texture->width()) * 4;
    std::vector<unsigned char> flipped;
    flipped.reserve(texture->pixels().size());
    for (std::size_t y = texture->height(); y-- > 0;) {
      const auto begin = texture->pixels().begin() + static_cast<std::ptrdiff_t>(y * row);
      flipped.insert(flipped.end(), begin, begin + static_cast<std::ptrdiff_t>(row));
    }
    image.set_data(texture->width(), texture->height(), flipped.data(), Texture::kRGBA);
    const int encoded = image.compress_png();
    if (encoded != 0 || image.png().empty()) {
      std::cerr << "LodePNG error "
                << (encoded > 0 ? lodepng_error_text(static_cast<unsigned>(encoded))
                                : "no image to encode")
                << " encoding file " << png_path << std::endl;
    } else if (image.save(png_path) != 0) {
      std::cerr << "LodePNG error writing file " << png_path << std::endl;
    }
  }

  WavefrontMTL material;
  material.rename(name);
  if (texture) {
    const std::string png_file = path_file_name(png_path);
    material.map_text()["map_Kd"] = png_file;
    material.map_options()["map_Kd"].file = png_file;
  }
  OBJRenderer obj;
  obj.vertices() = arrays[0];
  obj.normals() = arrays[1];
  obj.tex_coords() = arrays[2];
  obj.attrib_depths({3, 3, 2, 0});
  obj.vertices2faces(3, true, true);
  obj.apply_material(material, {});
  obj.apply_object_name(name, {});
  OBJSaveOptions options;
  options.mtl_file = name + ".mtl";
  obj.save(stem + ".obj", options);
  if (obj.save_mtl(stem + ".mtl") != 0)
    std::cerr << "Error writing material file " << stem << ".mtl" << std::endl;
}

int VRInterface::load_render_model(std::string name, bool write_files, bool extra) {
  return load_render_models({std::move(name)}, false, write_files, extra);
}

std::vector<std::string> VRInterface::load_controller_models() {
  std::vector<std::string> names = controller_model_names();
  for (const std::string& name : names) load_render_model(name, true, false);
  return names;
}

std::vector<std::string> VRInterface::load_base_station_models() {
  std::vector<std::string> names = base_station_model_names();
  for (const std::string& name : names) load_render_model(name, true, false);
  return names;
}

std::vector<std::string> VRInterface::controller_model_names() {
  return tracked_device_names(vr::TrackedDeviceClass_Controller, true, true);
}

std::vector<std::string> VRInterface::base_station_model_names() {
  return tracked_device_names(vr::TrackedDeviceClass_TrackingReference, true, true);
}

VBO* VRInterface::model_vbo(std::string name) {
  const auto it = model_vbos_.find(name);
  return it == model_vbos_.end() ? nullptr : &it->second;
}

const VBO* VRInterface::model_vbo(std::string name) const {
  const auto it = model_vbos_.find(name);
  return it == model_vbos_.end() ? nullptr : &it->second;
}

VBO* VRInterface::model_vbo(unsigned device) {
  const std::string name = tracked_device_string(device, vr::Prop_RenderModelName_String, nullptr);
  return name.empty() ? nullptr : model_vbo(name);
}

const VBO* VRInterface::model_vbo(unsigned device) const {
  const std::string name = tracked_device_string(device, vr::Prop_RenderModelName_String, nullptr);
  return name.empty() ? nullptr : model_vbo(name);
}

unsigned VRInterface::first_device_showing(const std::string& name) {
  const std::vector<std::string> names =
      tracked_device_names(vr::TrackedDeviceClass_Invalid, false, false);
  return static_cast<unsigned>(std::find(names.begin(), names.end(), name) - names.begin());
}

vr::TrackedDevicePose_t& VRInterface::render_model_pose(std::string name) {
  const unsigned device = first_device_showing(name);
  if (device < kDevices) return tracked_device_poses_[device];
  static vr::TrackedDevicePose_t none{};
  none.pose_is_valid = false;
  return none;
}

void VRInterface::update_base_stations(std::function<VBO*(unsigned)> make_vbo,
                                       std::array<float, 3> offset) {
  if (!make_vbo) throw std::bad_function_call();
  const std::vector<std::string> names = base_station_model_names();
  load_render_models(names, true, true, false);
  update_poses();
  vr::IVRSystem* system = vr::VRSystem();
  for (unsigned d = 0; system && d < kDevices; ++d) {
    if (system->GetTrackedDeviceClass(d) != vr::TrackedDeviceClass_TrackingReference) continue;
    const std::string name = tracked_device_string(d, vr::Prop_RenderModelName_String, nullptr);
    if (std::find(names.begin(), names.end(), name) == names.end()) continue;
    VBO* vbo = make_vbo(d);
    const VBO* model = model_vbo(name);
    if (vbo && model) *vbo = *model;
  }
  update_base_stations_positions(
      [&make_vbo](unsigned d) -> CoordinateSystem* {
        VBO* vbo = make_vbo(d);
        return vbo ? &vbo->coord_sys() : nullptr;
      },
      offset);
}

void VRInterface::update_base_stations_positions(
    std::function<CoordinateSystem*(unsigned)> coord_sys, std::array<float, 3> offset) {
  vr::IVRSystem* system = vr::VRSystem();
  for (unsigned d = 0; system && d < kDevices; ++d) {
    if (system->GetTrackedDeviceClass(d) != vr::TrackedDeviceClass_TrackingReference) continue;
    if (tracked_device_string(d, vr::Prop_RenderModelName_String, nullptr).empty()) continue;
    CoordinateSystem* cs = coord_sys(d);
    // A station without a valid pose keeps its place: the offset is added
    // only to a position set afresh.
    if (!cs || pose2coordsys(tracked_device_poses_[d], *cs, true, {1.0f, 1.0f, 1.0f}) != 0)
      continue;
    cs->enable_translation(true);
    for (int i = 0; i < 3; ++i) cs->position()[i] += offset[i];
  }
}
