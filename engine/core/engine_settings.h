// EngineSettings: the settings store. It knows the data root (the folder holding
// models, textures, sounds and cfg), finds files under it, keeps one settings
// table per section loaded from and saved to cfg/<section>.ini, and reads files
// on worker threads.
#pragma once

#include <functional>
#include <istream>
#include <map>
#include <string>
#include <vector>

#include "core/program_cfg.h"

// The installation folder of the package the process runs from. *error (when
// given) becomes 0 on success, 1 for an empty answer, 2 when no room could be
// had, else the query's code (the process runs from no package).
std::wstring PackagePath(unsigned int* error, const std::string& root_variable = "TALVORIN_ROOT");

class EngineSettings {
 public:
  // The name of the environment variable that names the data root; the store
  // itself never reads it.
  explicit EngineSettings(std::string evar = "TALVORIN_ROOT");

  void set_evar(std::string name) { evar_ = std::move(name); }
  std::string env_var() const { return evar_; }

  // The data root with a trailing separator: the package folder when there is a
  // package, else the stored root; empty when neither is set, so that every path
  // resolves against the working directory.
  std::string root() const;
  void root(const std::string& path) { stored_root_ = path; }

  // root() + folder + "/" + name: where a file of that folder is looked for.
  std::string path_in(const std::string& folder, const std::string& name) const;
  // root() + name when such a file opens for reading, else "".
  std::string find_file(const std::string& name) const;
  std::string find_model(const std::string& name) const;
  std::string find_texture(const std::string& name) const;
  std::string find_sound(const std::string& name) const;
  // In the cfg folder; ".ini" is appended unless the name contains it anywhere.
  std::string find_cfg(const std::string& name) const;

  const std::string& models_folder() const { return models_folder_; }
  const std::string& textures_folder() const { return textures_folder_; }
  const std::string& cfg_folder() const { return cfg_folder_; }
  const std::string& sounds_folder() const { return sounds_folder_; }
  const std::string& extension() const { return extension_; }
  const std::string& default_file() const { return default_file_; }

  bool has_section(std::string name) const;
  // Adds an empty table unless the section exists.
  void new_section(std::string name);
  // 1 when the section (with an empty name: any section) holds the key, else 0.
  int contains(std::string key, std::string section) const;

  // The section; a missing one is added empty.
  ProgramCfg& operator[](std::string name);
  // The section; a missing one gives one shared empty table, never added.
  const ProgramCfg& operator[](std::string name) const;
  std::map<std::string, ProgramCfg>& settings() { return sections_; }
  const std::map<std::string, ProgramCfg>& settings() const { return sections_; }
  std::map<std::string, ProgramCfg>& operator()() { return sections_; }
  const std::map<std::string, ProgramCfg>& operator()() const { return sections_; }

  // Merges the section's file (found with find_cfg) into the section: the file's
  // keys replace or add, keys only the section holds stay. -1 when there is no
  // file (the section is not added); else 0.
  int load_section(std::string name);
  // Writes the section to root() + "cfg/" + name + ".ini", first taking over the
  // keys that only the file on disk holds (values in memory win). Reports the
  // outcome on the error stream and returns ProgramCfg::save's code: 0 written,
  // 1 the file cannot be written, 2 the write failed on the way. On failure the
  // section in memory is left as it was. The flag has no effect.
  int save_section(std::string name, bool flag = true);

  // Reads root() + name on a detached worker thread and calls done there with the
  // whole text, the bytes, or the open stream (closed when done returns). A file
  // that vanishes meanwhile reaches done as empty or partial data. 0 when the
  // worker started, -1 when there is no such file, -2 when done is empty.
  int load_file_async(const std::string& name, std::function<void(const std::string&)> done);
  int load_file_async(const std::string& name,
                      std::function<void(const std::vector<unsigned char>&)> done);
  int load_file_async_stream(const std::string& name, std::function<void(std::istream&)> done);

  // The reads of load_file_async for a caller that runs them on a thread it
  // owns: the status load_file_async would answer and, when that is 0, the
  // read (which calls done) in *read. Nothing is read here.
  int file_read(const std::string& name, std::function<void(const std::string&)> done,
                std::function<void()>* read) const;
  int file_read(const std::string& name,
                std::function<void(const std::vector<unsigned char>&)> done,
                std::function<void()>* read) const;

 private:
  std::string find_in(const std::string& folder, const std::string& name) const;
  template <typename Callback, typename Read>
  int make_read(const std::string& name, Callback done, Read read,
                std::function<void()>* task) const;
  // make_read, then the task on a detached worker.
  template <typename Callback, typename Read>
  int start_read(const std::string& name, Callback done, Read read);

  std::string models_folder_ = "models";
  std::string textures_folder_ = "textures";
  std::string cfg_folder_ = "cfg";
  std::string sounds_folder_ = "sounds";
  std::map<std::string, ProgramCfg> sections_;
  std::string extension_ = ".ini";
  std::string evar_;
  std::string stored_root_;
  std::string default_file_ = "cfg/basic_engine.ini";
};
