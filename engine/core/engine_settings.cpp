// The settings store: data root, file lookup, sections and background reads.
#include "core/engine_settings.h"

#include <fstream>
#include <iostream>
#include <memory>
#include <new>
#include <thread>

#include "core/files.h"
#include "platform/package.h"

std::wstring PackagePath(unsigned int* error, const std::string& root_variable) {
  unsigned int length = 0;
  long code = platform::current_package_path(&length, nullptr, root_variable);
  std::wstring path;
  if (code == platform::kInsufficientBuffer) {
    std::unique_ptr<wchar_t[]> buffer(new (std::nothrow) wchar_t[length]);
    if (!buffer) {
      code = 2;
    } else {
      code = platform::current_package_path(&length, buffer.get(), root_variable);
      if (code == platform::kPackagePathOk) {
        path = buffer.get();
        code = path.empty() ? 1 : 0;
      }
    }
  }
  if (error) *error = static_cast<unsigned int>(code);
  return path;
}

EngineSettings::EngineSettings(std::string evar) : evar_(std::move(evar)) {}

std::string EngineSettings::root() const {
  unsigned int error = 0;
  const std::wstring package = PackagePath(&error, evar_);
  std::string root = error == 0 ? wstring2string(package) + '/' : stored_root_;
  if (!root.empty() && root.back() != '/' && root.back() != '\\') root += '/';
  return root;
}

std::string EngineSettings::find_file(const std::string& name) const {
  const std::string path = root() + name;
  return file_exists(path) ? path : "";
}

std::string EngineSettings::path_in(const std::string& folder, const std::string& name) const {
  return root() + folder + '/' + name;
}

std::string EngineSettings::find_in(const std::string& folder, const std::string& name) const {
  const std::string path = path_in(folder, name);
  return file_exists(path) ? path : "";
}

std::string EngineSettings::find_model(const std::string& name) const {
  return find_in(models_folder_, name);
}

std::string EngineSettings::find_texture(const std::string& name) const {
  return find_in(textures_folder_, name);
}

std::string EngineSettings::find_sound(const std::string& name) const {
  return find_in(sounds_folder_, name);
}

std::string EngineSettings::find_cfg(const std::string& name) const {
  return find_in(cfg_folder_, name.find(".ini") == std::string::npos ? name + ".ini" : name);
}

bool EngineSettings::has_section(std::string name) const {
  return sections_.count(name) != 0;
}

void EngineSettings::new_section(std::string name) {
  if (!has_section(name)) sections_.emplace(std::move(name), ProgramCfg(""));
}

int EngineSettings::contains(std::string key, std::string section) const {
  if (section.empty()) {
    for (const auto& [name, table] : sections_) {
      if (table.contains(key)) return 1;
    }
    return 0;
  }
  const auto it = sections_.find(section);
  return it != sections_.end() && it->second.contains(key) ? 1 : 0;
}

ProgramCfg& EngineSettings::operator[](std::string name) {
  return sections_[std::move(name)];
}

const ProgramCfg& EngineSettings::operator[](std::string name) const {
  static const ProgramCfg missing("");
  const auto it = sections_.find(name);
  return it == sections_.end() ? missing : it->second;
}

int EngineSettings::load_section(std::string name) {
  const std::string path = find_cfg(name);
  if (path.empty()) return -1;
  return (*this)[name].load(path);
}

int EngineSettings::save_section(std::string name, bool) {
  const std::string path = root() + "cfg/" + name + extension_;
  // The merge goes into a copy, so that a failed write leaves memory untouched.
  ProgramCfg merged = has_section(name) ? sections_.at(name) : ProgramCfg("");
  if (file_exists(path)) {
    ProgramCfg on_disk("");
    if (on_disk.load(path) == 0) {
      for (const auto& [key, field] : on_disk.fields()) {
        if (!merged.contains(key)) merged.fields().emplace(key, field);
      }
    }
  }
  const int result = merged.save(path);
  if (result == 0) {
    sections_[name] = std::move(merged);
    std::cerr << "EngineSettings::save_section(" << name << "): success. File: " << path
              << std::endl;
  } else {
    std::cerr << "EngineSettings::save_section(" << name << "): error " << result << std::endl;
  }
  return result;
}

namespace {

void read_text(const std::string& path, const std::function<void(const std::string&)>& done) {
  done(read_all_str(path, nullptr));
}

void read_bytes(const std::string& path,
                const std::function<void(const std::vector<unsigned char>&)>& done) {
  std::vector<unsigned char> bytes;
  const long long size = file_size(path);
  std::ifstream in(path, std::ios::binary);
  if (size > 0 && in) {
    bytes.resize(static_cast<size_t>(size));
    in.read(reinterpret_cast<char*>(bytes.data()), size);
    bytes.resize(static_cast<size_t>(in.gcount()));
  }
  done(bytes);
}

void read_stream(const std::string& path, const std::function<void(std::istream&)>& done) {
  std::ifstream in(path, std::ios::binary);
  done(in);
}

}  // namespace

template <typename Callback, typename Read>
int EngineSettings::make_read(const std::string& name, Callback done, Read read,
                              std::function<void()>* task) const {
  if (!done) return -2;
  const std::string path = find_file(name);
  if (path.empty()) return -1;
  *task = [path, done = std::move(done), read] { read(path, done); };
  return 0;
}

template <typename Callback, typename Read>
int EngineSettings::start_read(const std::string& name, Callback done, Read read) {
  std::function<void()> task;
  const int status = make_read(name, std::move(done), read, &task);
  if (status == 0) std::thread(std::move(task)).detach();
  return status;
}

int EngineSettings::load_file_async(const std::string& name,
                                    std::function<void(const std::string&)> done) {
  return start_read(name, std::move(done), read_text);
}

int EngineSettings::load_file_async(const std::string& name,
                                    std::function<void(const std::vector<unsigned char>&)> done) {
  return start_read(name, std::move(done), read_bytes);
}

int EngineSettings::load_file_async_stream(const std::string& name,
                                           std::function<void(std::istream&)> done) {
  return start_read(name, std::move(done), read_stream);
}

int EngineSettings::file_read(const std::string& name, std::function<void(const std::string&)> done,
                              std::function<void()>* read) const {
  return make_read(name, std::move(done), read_text, read);
}

int EngineSettings::file_read(const std::string& name,
                              std::function<void(const std::vector<unsigned char>&)> done,
                              std::function<void()>* read) const {
  return make_read(name, std::move(done), read_bytes, read);
}
