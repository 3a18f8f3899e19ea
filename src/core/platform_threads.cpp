// The platform file's threads, shared by every system: standard C++ where
// the build has threads (KORVANE_THREADS), one thread where it has none.
#include "core/platform.h"

#if defined(KORVANE_THREADS)
#include <system_error>
#include <thread>
#endif

void Run_Side_By_Side(const std::function<void()>& here, const std::function<void()>& beside) {
#if defined(KORVANE_THREADS)
  static const bool two_cores = std::thread::hardware_concurrency() > 1;
  if (two_cores) {
    std::thread second;
    try {
      second = std::thread(beside);
    } catch (const std::system_error&) {
      // No thread to be had: this one does both.
    }
    if (second.joinable()) {
      here();
      second.join();
      return;
    }
  }
#endif
  here();
  beside();
}
