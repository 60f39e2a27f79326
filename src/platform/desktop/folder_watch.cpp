#include "platform/desktop/folder_watch.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <sys/inotify.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <chrono>
#include <cstdint>
#include <cstring>
#include <string>
#include <utility>

#include "base/failure.h"

namespace tw {

namespace {

// A burst of writes is over after this long without another; the record is
// shown anew well within a second of the save.
constexpr int kQuietMs = 100;
constexpr std::chrono::milliseconds kLongestBurst{400};
// A game has a handful of folders; a folder tree far larger than that is not
// a game folder, and is not watched past this many.
constexpr std::size_t kMostFolders = 256;
constexpr std::uint32_t kWritten = IN_CLOSE_WRITE | IN_MOVED_TO;

[[noreturn]] void fail(const std::string& what) { throw Failure(what + ": " + std::strerror(errno)); }

}  // namespace

FolderWatch::FolderWatch(const std::filesystem::path& root, Uint32 event_type)
    : inotify_(inotify_init1(IN_NONBLOCK | IN_CLOEXEC)),
      stop_(eventfd(0, EFD_CLOEXEC)),
      event_type_(event_type) {
  if (inotify_.get() < 0) fail("inotify");
  if (stop_.get() < 0) fail("eventfd");
  watch_folder(root);
  std::error_code unreadable;
  for (std::filesystem::recursive_directory_iterator
           entry(root, std::filesystem::directory_options::skip_permission_denied, unreadable),
       end;
       !unreadable && entry != end && folders_.size() < kMostFolders; entry.increment(unreadable)) {
    if (entry->is_directory(unreadable)) watch_folder(entry->path());
  }
  thread_ = std::thread([this] { run(); });
}

FolderWatch::~FolderWatch() {
  const std::uint64_t one = 1;
  if (::write(stop_.get(), &one, sizeof one) != sizeof one) std::terminate();
  thread_.join();
}

void FolderWatch::watch_folder(const std::filesystem::path& folder) {
  const int watch = inotify_add_watch(inotify_.get(), folder.c_str(), kWritten | IN_ONLYDIR);
  if (watch < 0) fail("inotify_add_watch " + folder.string());
  folders_[watch] = folder;
}

std::vector<std::filesystem::path> FolderWatch::take_written() {
  const std::scoped_lock lock(mutex_);
  posted_ = false;
  return std::exchange(written_, {});
}

void FolderWatch::run() {
  std::array<pollfd, 2> waits{pollfd{inotify_.get(), POLLIN, 0}, pollfd{stop_.get(), POLLIN, 0}};
  for (;;) {
    if (poll(waits.data(), waits.size(), -1) < 0 && errno != EINTR) return;
    if (waits[1].revents != 0) return;
    if (!read_events()) continue;
    const auto burst_began = std::chrono::steady_clock::now();
    while (std::chrono::steady_clock::now() - burst_began < kLongestBurst) {
      if (poll(waits.data(), waits.size(), kQuietMs) <= 0 || waits[1].revents != 0) break;
      read_events();
    }
    const std::scoped_lock lock(mutex_);
    if (written_.empty() || posted_) continue;
    SDL_Event event{};
    event.type = event_type_;
    posted_ = SDL_PushEvent(&event) == 1;
  }
}

bool FolderWatch::read_events() {
  alignas(inotify_event) std::array<char, 4096> buffer{};
  bool any = false;
  for (;;) {
    const ssize_t length = ::read(inotify_.get(), buffer.data(), buffer.size());
    if (length <= 0) return any;
    for (ssize_t at = 0; at < length;) {
      inotify_event event{};
      std::memcpy(&event, buffer.data() + at, sizeof event);
      const auto folder = folders_.find(event.wd);
      if (event.len > 0 && folder != folders_.end()) {
        const std::filesystem::path file = folder->second / std::string(buffer.data() + at + sizeof event);
        const std::scoped_lock lock(mutex_);
        if (std::find(written_.begin(), written_.end(), file) == written_.end()) written_.push_back(file);
        any = true;
      }
      at += static_cast<ssize_t>(sizeof event + event.len);
    }
  }
}

}  // namespace tw
