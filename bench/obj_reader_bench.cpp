// Reading generated OBJ files of about a million triangles in the shapes
// users load (obj_shapes.h), side by side with tinyobjloader on the same
// file: in this process and as whole processes (start, read, free, exit)
// timed and weighed in turns; and building per-material vertex arrays for 1,
// 10 and 50 materials.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <malloc.h>
#include <spawn.h>
#include <sys/wait.h>
#include <tiny_obj_loader.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "models/obj_golden.h"
#include "models/obj_renderer.h"
#include "obj_shapes.h"

extern char** environ;

namespace {

// A height field of n x n vertices in two triangles per cell (the OBJ
// reader's golden test writes the same), with the next of `materials`
// materials every so many triangles.
std::string grid_obj(int n, int materials) {
  const int triangles = 2 * (n - 1) * (n - 1);
  return testing_support::golden_grid_text(n, true, (triangles + materials - 1) / materials);
}

// A sphere of 1000 x 500 cells: a million triangles.
constexpr int kSegments = 1000;
constexpr int kRings = 500;

// The file of one shape, written when first asked for and removed at exit.
class ShapeFile {
 public:
  explicit ShapeFile(const obj_shapes::Shape& shape)
      : path_((std::filesystem::temp_directory_path() /
               ("varnox_bench_" + std::to_string(getpid()) + "_" + shape.name + ".obj"))
                  .string()) {
    std::FILE* file = std::fopen(path_.c_str(), "wb");
    if (!file) throw std::runtime_error("cannot write " + path_);
    {
      obj_shapes::ShapeWriter writer(file);
      writer.write(shape, kSegments, kRings);
      bytes_ = writer.bytes();
    }
    std::fclose(file);
  }
  ~ShapeFile() { std::remove(path_.c_str()); }
  ShapeFile(const ShapeFile&) = delete;
  ShapeFile& operator=(const ShapeFile&) = delete;

  const std::string& path() const { return path_; }
  std::size_t bytes() const { return bytes_; }

  static const ShapeFile& get(std::size_t shape) {
    static std::map<std::size_t, std::unique_ptr<ShapeFile>> files;
    auto& file = files[shape];
    if (!file) file = std::make_unique<ShapeFile>(obj_shapes::shapes().at(shape));
    return *file;
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

void read_benchmark(benchmark::State& state, std::size_t shape,
                    double (*timed)(const std::string&, std::size_t&)) {
  const ShapeFile& file = ShapeFile::get(shape);
  std::size_t faces = 0;
  for (auto _ : state) state.SetIterationTime(timed(file.path(), faces));
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * file.bytes()));
  state.counters["faces/s"] = benchmark::Counter(static_cast<double>(faces * state.iterations()),
                                                 benchmark::Counter::kIsRate);
}

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

double median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  const std::size_t n = values.size();
  return n == 0 ? 0 : n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

// Whole processes in turns on one shape's file, ours and tinyobjloader's,
// taking turns at going first, one pair per iteration. time_ratio is the
// median of our times over the median of theirs (the goal: at most 0.5),
// memory_ratio the same of the peak resident memory (at most 1.5).
void process_ratio(benchmark::State& state, std::size_t shape) {
  const ShapeFile& file = ShapeFile::get(shape);
  const std::string ours_program = helper("obj_read_ours");
  const std::string theirs_program = helper("obj_read_tinyobj");
  std::vector<double> ours, theirs, ours_peak, theirs_peak;
  bool ours_first = true;
  for (auto _ : state) {
    ProcessCost a, b;
    if (ours_first) a = run_process(ours_program, file.path());
    b = run_process(theirs_program, file.path());
    if (!ours_first) a = run_process(ours_program, file.path());
    ours_first = !ours_first;
    ours.push_back(a.seconds);
    theirs.push_back(b.seconds);
    ours_peak.push_back(a.peak_mib);
    theirs_peak.push_back(b.peak_mib);
    state.SetIterationTime(a.seconds + b.seconds);
  }
  state.counters["ours_ms"] = 1e3 * median(ours);
  state.counters["tinyobj_ms"] = 1e3 * median(theirs);
  state.counters["time_ratio"] = median(ours) / median(theirs);
  state.counters["ours_MiB"] = median(ours_peak);
  state.counters["tinyobj_MiB"] = median(theirs_peak);
  state.counters["memory_ratio"] = median(ours_peak) / median(theirs_peak);
}

// Per shape: BM_ReadOBJRenderer/<shape> and BM_ReadTinyObjLoader/<shape> in
// this process, BM_ProcessRatio/<shape> as whole processes (seven pairs).
const bool registered = [] {
  const auto& all = obj_shapes::shapes();
  for (std::size_t s = 0; s < all.size(); ++s)
    benchmark::RegisterBenchmark(
        (std::string("BM_ReadOBJRenderer/") + all[s].name).c_str(),
        [s](benchmark::State& state) { read_benchmark(state, s, time_ours); })
        ->Unit(benchmark::kMillisecond)
        ->UseManualTime()
        ->Iterations(3);
  for (std::size_t s = 0; s < all.size(); ++s)
    benchmark::RegisterBenchmark(
        (std::string("BM_ReadTinyObjLoader/") + all[s].name).c_str(),
        [s](benchmark::State& state) { read_benchmark(state, s, time_tinyobj); })
        ->Unit(benchmark::kMillisecond)
        ->UseManualTime()
        ->Iterations(3);
  for (std::size_t s = 0; s < all.size(); ++s)
    benchmark::RegisterBenchmark((std::string("BM_ProcessRatio/") + all[s].name).c_str(),
                                 [s](benchmark::State& state) { process_ratio(state, s); })
        ->Unit(benchmark::kMillisecond)
        ->UseManualTime()
        ->Iterations(7);
  return true;
}();

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
