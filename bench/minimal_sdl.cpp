// The reference for start-up and memory: a minimal SDL2 program that opens
// a window, presents one frame, and, given a number of seconds, stays that
// long handling events before it prints its peak memory.
#include <SDL.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <string>

int main(int argc, char** argv) {
  // The window's own surface, as the player draws: no renderer, no OpenGL.
  SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
  if (SDL_Init(SDL_INIT_VIDEO) != 0) return 1;
  SDL_Window* window = SDL_CreateWindow("minimal", 0, 0, 801, 722, SDL_WINDOW_SHOWN);
  if (!window) return 1;
  SDL_Surface* surface = SDL_GetWindowSurface(window);
  SDL_FillRect(surface, nullptr, SDL_MapRGB(surface->format, 0, 0, 0));
  SDL_UpdateWindowSurface(window);
  if (const char* log = std::getenv("TALLOWIND_FRAME_LOG")) {
    const auto now = std::chrono::system_clock::now().time_since_epoch();
    std::ofstream(log, std::ios::app)
        << "frame " << std::chrono::duration_cast<std::chrono::nanoseconds>(now).count() << "\n";
  }
  const Uint64 stay_ms = argc > 1 ? std::strtoull(argv[1], nullptr, 10) * 1000 : 0;
  for (const Uint64 start = SDL_GetTicks64(); SDL_GetTicks64() - start < stay_ms;) {
    SDL_Event event;
    SDL_WaitEventTimeout(&event, 100);
  }
  if (stay_ms > 0) {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);) {
      if (line.rfind("VmHWM:", 0) == 0) std::cout << line << "\n";
    }
  }
  SDL_DestroyWindow(window);
  SDL_Quit();
  return 0;
}
