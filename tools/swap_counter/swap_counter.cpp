// Counts the buffer swaps of the program it is preloaded into (LD_PRELOAD),
// so that a run watched from outside can tell the frames it draws and
// whether it still draws at all. The count and the steady-clock time of the
// latest swap (CLOCK_MONOTONIC, nanoseconds) are two little-endian 64-bit
// words at the start of the file that SWAP_COUNTER_FILE names, which the
// watcher maps; without that variable only the swaps pass through.
//
// It also keeps the OpenGL driver loaded until the process ends: a driver
// unloaded at exit leaves its allocations reported by LeakSanitizer from an
// unknown module, which no suppression can name. The driver is marked at the
// first swap and again when a display closes (GLX unloads the driver of a
// display as it closes), so a program that ends before its first frame keeps
// it too.
#include <GL/glx.h>
#include <dlfcn.h>
#include <fcntl.h>
#include <link.h>
#include <sys/mman.h>
#include <unistd.h>

#include <atomic>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <ctime>

namespace {

struct Counts {
  std::atomic<std::uint64_t> swaps;
  std::atomic<std::uint64_t> last_swap_ns;
};
static_assert(std::atomic<std::uint64_t>::is_always_lock_free);

// The mapped counts, or null when no file is named or it cannot be mapped.
Counts* counts() {
  static Counts* const mapped = []() -> Counts* {
    const char* path = std::getenv("SWAP_COUNTER_FILE");
    if (!path || !*path) return nullptr;
    const int fd = ::open(path, O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0) return nullptr;
    void* p = MAP_FAILED;
    if (::ftruncate(fd, sizeof(Counts)) == 0)
      p = ::mmap(nullptr, sizeof(Counts), PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
    ::close(fd);
    return p == MAP_FAILED ? nullptr : static_cast<Counts*>(p);
  }();
  return mapped;
}

// Marks every loaded OpenGL driver (a "*_dri.so") as never to be unloaded.
void keep_drivers_loaded() {
  dl_iterate_phdr(
      [](dl_phdr_info* info, std::size_t, void*) {
        const char* name = info->dlpi_name;
        const std::size_t n = name ? std::strlen(name) : 0;
        if (n > 7 && std::strcmp(name + n - 7, "_dri.so") == 0)
          ::dlopen(name, RTLD_NOW | RTLD_NOLOAD | RTLD_NODELETE);
        return 0;
      },
      nullptr);
}

using SwapFunction = void (*)(Display*, GLXDrawable);
using CloseFunction = int (*)(Display*);

}  // namespace

extern "C" int XCloseDisplay(Display* display) {
  static const auto next = reinterpret_cast<CloseFunction>(::dlsym(RTLD_NEXT, "XCloseDisplay"));
  keep_drivers_loaded();
  return next ? next(display) : 0;
}

extern "C" void glXSwapBuffers(Display* display, GLXDrawable drawable) {
  static const auto next = reinterpret_cast<SwapFunction>(::dlsym(RTLD_NEXT, "glXSwapBuffers"));
  // The driver is loaded by the first swap at the latest.
  static const bool kept = (keep_drivers_loaded(), true);
  (void)kept;
  if (next) next(display, drawable);
  if (Counts* c = counts()) {
    timespec now{};
    ::clock_gettime(CLOCK_MONOTONIC, &now);
    c->last_swap_ns.store(std::uint64_t(now.tv_sec) * 1000000000u + std::uint64_t(now.tv_nsec));
    c->swaps.fetch_add(1);
  }
}
