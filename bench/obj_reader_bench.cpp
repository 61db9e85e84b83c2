// Reading generated OBJ files of about a million triangles, with corners
// a/b/c and with plain a b c corners, side by side with tinyobjloader on the
// same file: in this process and as whole processes (start, read, free, exit)
// timed and weighed in turns; and building per-material vertex arrays for 1,
// 10 and 50 materials.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <malloc.h>
#include <spawn.h>
#include <sys/wait.h>
#include <tiny_obj_loader.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <sstream>
#include <stdexcept>
#include <string>

#include "models/obj_golden.h"
#include "models/obj_renderer.h"

extern char** environ;

namespace {

// A height field of n x n vertices in two triangles per cell (the OBJ
// reader's golden test writes the same), with the next of `materials`
// materials every so many triangles.
std::string grid_obj(int n, int materials, bool attributes = true) {
  const int triangles = 2 * (n - 1) * (n - 1);
  return testing_support::golden_grid_text(n, attributes, (triangles + materials - 1) / materials);
}

// A million-triangle file (8 materials), written once and removed at exit.
class GridFile {
 public:
  explicit GridFile(bool attributes)
      : path_(
            (std::filesystem::temp_directory_path() / ("varnox_bench_" + std::to_string(getpid()) +
                                                       (attributes ? "_abc" : "_plain") + ".obj"))
                .string()) {
    const std::string text = grid_obj(708, 8, attributes);
    std::ofstream(path_, std::ios::binary) << text;
    bytes_ = text.size();
  }
  ~GridFile() { std::remove(path_.c_str()); }

  const std::string& path() const { return path_; }
  std::size_t bytes() const { return bytes_; }
  // The file with corners a/b/c (true) or a b c (false).
  static const GridFile& get(bool attributes) {
    static const GridFile with(true);
    static const GridFile plain(false);
    return attributes ? with : plain;
  }

 private:
  std::string path_;
  std::size_t bytes_ = 0;
};

using Clock = std::chrono::steady_clock;

double seconds_since(Clock::time_point start) {
  return std::chrono::duration<double>(Clock::now() - start).count();
}

// Each reader is timed from opening the file to a freed result. The heap is
// given back outside the timing, so every read starts as a program's first
// read does, whatever the reader before it freed.
double time_ours(const std::string& path, std::size_t& faces) {
  const auto start = Clock::now();
  auto model = std::make_unique<OBJRenderer>();
  std::ifstream in(path, std::ios::binary);
  model->load(in, nullptr, false);
  faces = model->faces().size();
  model.reset();
  const double seconds = seconds_since(start);
  malloc_trim(0);
  return seconds;
}

double time_tinyobj(const std::string& path, std::size_t& faces) {
  const auto start = Clock::now();
  tinyobj::ObjReaderConfig config;
  config.triangulate = false;
  config.vertex_color = false;
  auto reader = std::make_unique<tinyobj::ObjReader>();
  reader->ParseFromFile(path, config);
  faces = 0;
  for (const tinyobj::shape_t& shape : reader->GetShapes())
    faces += shape.mesh.num_face_vertices.size();
  reader.reset();
  const double seconds = seconds_since(start);
  malloc_trim(0);
  return seconds;
}

void read_benchmark(benchmark::State& state, double (*timed)(const std::string&, std::size_t&)) {
  const GridFile& file = GridFile::get(state.range(0) != 0);
  std::size_t faces = 0;
  for (auto _ : state) state.SetIterationTime(timed(file.path(), faces));
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * file.bytes()));
  state.counters["faces/s"] = benchmark::Counter(static_cast<double>(faces * state.iterations()),
                                                 benchmark::Counter::kIsRate);
}

// Argument 1: corners a/b/c; 0: plain corners.
void BM_ReadOBJRenderer(benchmark::State& state) {
  read_benchmark(state, time_ours);
}
BENCHMARK(BM_ReadOBJRenderer)
    ->Arg(1)
    ->Arg(0)
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime()
    ->Iterations(3);

void BM_ReadTinyObjLoader(benchmark::State& state) {
  read_benchmark(state, time_tinyobj);
}
BENCHMARK(BM_ReadTinyObjLoader)
    ->Arg(1)
    ->Arg(0)
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime()
    ->Iterations(3);

// A helper program beside this one: obj_read_ours or obj_read_tinyobj.
std::string helper(const char* name) {
  return (std::filesystem::read_symlink("/proc/self/exe").parent_path() / name).string();
}

struct ProcessCost {
  double seconds = 0;
  double peak_mib = 0;
};

// Starts the helper on the file and waits for it: wall time from start to
// exit, and the peak resident memory it reports of itself (the peak that the
// kernel keeps for a child starts from this process's own).
ProcessCost run_process(const std::string& program, const std::string& file) {
  int out[2];
  if (pipe(out) != 0) throw std::runtime_error("no pipe");
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, out[1], 1);
  posix_spawn_file_actions_addclose(&actions, out[0]);
  char* argv[] = {const_cast<char*>(program.c_str()), const_cast<char*>(file.c_str()), nullptr};
  const auto start = Clock::now();
  pid_t pid = 0;
  const int spawned = posix_spawn(&pid, program.c_str(), &actions, nullptr, argv, environ);
  posix_spawn_file_actions_destroy(&actions);
  close(out[1]);
  if (spawned != 0) throw std::runtime_error("cannot start " + program);
  std::string report;
  char buffer[4096];
  for (ssize_t got; (got = read(out[0], buffer, sizeof buffer)) > 0;)
    report.append(buffer, static_cast<std::size_t>(got));
  int status = 0;
  const bool waited = waitpid(pid, &status, 0) == pid;
  const double seconds = seconds_since(start);
  close(out[0]);
  if (!waited || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
    throw std::runtime_error(program + " failed on " + file);
  const std::size_t at = report.rfind("peak ");
  if (at == std::string::npos) throw std::runtime_error(program + " reported no peak");
  return {seconds, std::stod(report.substr(at + 5)) / 1024.0};
}

// Whole processes in turns, ours and tinyobjloader's, taking turns at going
// first. time_ratio is our time over theirs (the goal: at most 0.5),
// memory_ratio our peak resident memory over theirs (at most 1.5).
void BM_ProcessRatio(benchmark::State& state) {
  const GridFile& file = GridFile::get(state.range(0) != 0);
  const std::string ours_program = helper("obj_read_ours");
  const std::string theirs_program = helper("obj_read_tinyobj");
  double ours = 0, theirs = 0, ours_peak = 0, theirs_peak = 0;
  bool ours_first = true;
  for (auto _ : state) {
    ProcessCost a, b;
    if (ours_first) a = run_process(ours_program, file.path());
    b = run_process(theirs_program, file.path());
    if (!ours_first) a = run_process(ours_program, file.path());
    ours_first = !ours_first;
    ours += a.seconds;
    theirs += b.seconds;
    ours_peak = std::max(ours_peak, a.peak_mib);
    theirs_peak = std::max(theirs_peak, b.peak_mib);
    state.SetIterationTime(a.seconds + b.seconds);
  }
  const double n = static_cast<double>(state.iterations());
  state.counters["ours_ms"] = 1e3 * ours / n;
  state.counters["tinyobj_ms"] = 1e3 * theirs / n;
  state.counters["time_ratio"] = ours / theirs;
  state.counters["ours_MiB"] = ours_peak;
  state.counters["tinyobj_MiB"] = theirs_peak;
  state.counters["memory_ratio"] = ours_peak / theirs_peak;
}
BENCHMARK(BM_ProcessRatio)
    ->Arg(1)
    ->Arg(0)
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime()
    ->Iterations(10);

// A 200,000-triangle model with the given number of materials.
const OBJRenderer& material_model(int materials) {
  static std::map<int, OBJRenderer> models;
  auto it = models.find(materials);
  if (it == models.end()) {
    it = models.emplace(materials, OBJRenderer()).first;
    std::istringstream in(grid_obj(317, materials));
    it->second.load(in, nullptr, false);
  }
  return it->second;
}

std::vector<std::string> material_names(int materials) {
  std::vector<std::string> names;
  for (int m = 0; m < materials; ++m) {
    std::string name = std::to_string(m);
    name.insert(name.begin(), 'm');
    names.push_back(std::move(name));
  }
  return names;
}

void BM_MaterialAttributes(benchmark::State& state) {
  const int materials = static_cast<int>(state.range(0));
  OBJRenderer model = material_model(materials);
  const std::vector<std::string> names = material_names(materials);
  for (auto _ : state) model.construct_materials_attributes(names, true);
  state.counters["faces/s"] = benchmark::Counter(
      static_cast<double>(model.faces().size() * state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_MaterialAttributes)->Arg(1)->Arg(10)->Arg(50)->Unit(benchmark::kMillisecond);

// The same arrays built one material at a time, each scanning every face.
void BM_MaterialAttributesPerName(benchmark::State& state) {
  const int materials = static_cast<int>(state.range(0));
  OBJRenderer model = material_model(materials);
  const std::vector<std::string> names = material_names(materials);
  for (auto _ : state)
    for (const std::string& name : names) model.construct_material_attributes(name, true);
  state.counters["faces/s"] = benchmark::Counter(
      static_cast<double>(model.faces().size() * state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_MaterialAttributesPerName)->Arg(1)->Arg(10)->Arg(50)->Unit(benchmark::kMillisecond);

}  // namespace
