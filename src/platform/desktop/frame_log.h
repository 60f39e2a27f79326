#pragma once

#include <cstdio>
#include <memory>

namespace tw {

// For measuring the player from outside: when TALLOWIND_FRAME_LOG names a
// file, each mouse press and each presented frame is appended to it as
// "press NANOSECONDS" or "frame NANOSECONDS" (wall-clock time), so a
// benchmark can time start-up and clicks against other processes.
class FrameLog {
 public:
  FrameLog();
  void note(const char* what);

 private:
  struct Close {
    void operator()(std::FILE* file) const { std::fclose(file); }
  };
  std::unique_ptr<std::FILE, Close> file_;
};

}  // namespace tw
