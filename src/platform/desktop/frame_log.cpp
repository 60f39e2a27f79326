#include "platform/desktop/frame_log.h"

#include <chrono>
#include <cstdlib>

namespace tw {

FrameLog::FrameLog() {
  if (const char* path = std::getenv("TALLOWIND_FRAME_LOG"); path && *path)
    file_.reset(std::fopen(path, "a"));
}

void FrameLog::note(const char* what) {
  if (!file_) return;
  const auto now = std::chrono::system_clock::now().time_since_epoch();
  std::fprintf(file_.get(), "%s %lld\n", what,
               static_cast<long long>(std::chrono::duration_cast<std::chrono::nanoseconds>(now).count()));
  std::fflush(file_.get());
}

}  // namespace tw
