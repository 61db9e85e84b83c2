// Reading a generated OBJ file of about a million triangles, side by side
// with tinyobjloader on the same file, and building per-material vertex
// arrays for 1, 10 and 50 materials.
#include <benchmark/benchmark.h>
#include <malloc.h>
#include <tiny_obj_loader.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <sstream>
#include <string>

#include "models/obj_renderer.h"

namespace {

// A height field of n x n vertices with a texture coordinate and a normal
// per vertex, two triangles per grid cell; every `block` triangles the next
// of `materials` materials starts.
std::string grid_obj(int n, int materials) {
  std::ostringstream out;
  out.setf(std::ios::fixed);
  out.precision(6);
  for (int j = 0; j < n; ++j)
    for (int i = 0; i < n; ++i)
      out << "v " << i * 0.01 << " " << j * 0.01 << " " << ((i * 7 + j * 13) % 17) * 0.001 << "\n";
  for (int j = 0; j < n; ++j)
    for (int i = 0; i < n; ++i) out << "vt " << i / double(n) << " " << j / double(n) << "\n";
  for (int j = 0; j < n; ++j)
    for (int i = 0; i < n; ++i) out << "vn 0.1 0.2 " << 0.9 + (i % 10) * 0.001 << "\n";
  const long long triangles = 2LL * (n - 1) * (n - 1);
  const long long block = (triangles + materials - 1) / materials;
  long long t = 0;
  for (int j = 0; j + 1 < n; ++j) {
    for (int i = 0; i + 1 < n; ++i) {
      const int a = j * n + i + 1, b = a + 1, c = a + n, d = c + 1;
      const int triangles_of_cell[2][3] = {{a, b, d}, {a, d, c}};
      for (const auto& tri : triangles_of_cell) {
        if (t++ % block == 0) out << "usemtl m" << (t - 1) / block << "\n";
        out << "f " << tri[0] << "/" << tri[0] << "/" << tri[0] << " " << tri[1] << "/" << tri[1]
            << "/" << tri[1] << " " << tri[2] << "/" << tri[2] << "/" << tri[2] << "\n";
      }
    }
  }
  return out.str();
}

// The million-triangle file, written once and removed at exit.
class GridFile {
 public:
  GridFile()
      : path_((std::filesystem::temp_directory_path() /
               ("varnox_bench_" + std::to_string(getpid()) + ".obj"))
                  .string()) {
    const std::string text = grid_obj(708, 1);
    std::ofstream(path_, std::ios::binary) << text;
    bytes_ = text.size();
  }
  ~GridFile() { std::remove(path_.c_str()); }

  const std::string& path() const { return path_; }
  std::size_t bytes() const { return bytes_; }
  static const GridFile& get() {
    static const GridFile file;
    return file;
  }

 private:
  std::string path_;
  std::size_t bytes_ = 0;
};

using Clock = std::chrono::steady_clock;

double seconds_since(Clock::time_point start) {
  return std::chrono::duration<double>(Clock::now() - start).count();
}

// Each reader is timed from opening the file to a complete result. The result
// is destroyed and the heap given back outside the timing, so every read
// starts as a program's first read does, whatever the reader before it freed.
double time_ours(const std::string& path, std::size_t& faces) {
  auto model = std::make_unique<OBJRenderer>();
  const auto start = Clock::now();
  std::ifstream in(path, std::ios::binary);
  model->load(in, nullptr, false);
  const double seconds = seconds_since(start);
  faces = model->faces().size();
  model.reset();
  malloc_trim(0);
  return seconds;
}

double time_tinyobj(const std::string& path, std::size_t& faces) {
  tinyobj::ObjReaderConfig config;
  config.triangulate = false;
  config.vertex_color = false;
  auto reader = std::make_unique<tinyobj::ObjReader>();
  const auto start = Clock::now();
  reader->ParseFromFile(path, config);
  const double seconds = seconds_since(start);
  faces = 0;
  for (const tinyobj::shape_t& shape : reader->GetShapes())
    faces += shape.mesh.num_face_vertices.size();
  reader.reset();
  malloc_trim(0);
  return seconds;
}

void read_benchmark(benchmark::State& state, double (*timed)(const std::string&, std::size_t&)) {
  const std::string& path = GridFile::get().path();
  std::size_t faces = 0;
  for (auto _ : state) state.SetIterationTime(timed(path, faces));
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * GridFile::get().bytes()));
  state.counters["faces/s"] = benchmark::Counter(static_cast<double>(faces * state.iterations()),
                                                 benchmark::Counter::kIsRate);
}

void BM_ReadOBJRenderer(benchmark::State& state) {
  read_benchmark(state, time_ours);
}
BENCHMARK(BM_ReadOBJRenderer)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(5);

void BM_ReadTinyObjLoader(benchmark::State& state) {
  read_benchmark(state, time_tinyobj);
}
BENCHMARK(BM_ReadTinyObjLoader)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(5);

// Both readers in turn on the same file, taking turns at going first;
// "speed_ratio" is tinyobjloader's time over ours (above 1: ours reads
// faster).
void BM_ReadRatio(benchmark::State& state) {
  const std::string& path = GridFile::get().path();
  double ours = 0, theirs = 0, both = 0;
  std::size_t faces = 0;
  bool ours_first = true;
  for (auto _ : state) {
    if (ours_first) ours += time_ours(path, faces);
    theirs += time_tinyobj(path, faces);
    if (!ours_first) ours += time_ours(path, faces);
    ours_first = !ours_first;
    state.SetIterationTime(ours + theirs - both);
    both = ours + theirs;
  }
  const double megabytes = GridFile::get().bytes() * 1e-6 * state.iterations();
  state.counters["ours_MB/s"] = megabytes / ours;
  state.counters["tinyobj_MB/s"] = megabytes / theirs;
  state.counters["speed_ratio"] = theirs / ours;
}
BENCHMARK(BM_ReadRatio)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(10);

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
