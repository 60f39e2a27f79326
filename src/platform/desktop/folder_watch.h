#pragma once

#include <SDL.h>

#include <filesystem>
#include <mutex>
#include <thread>
#include <unordered_map>
#include <vector>

#include "base/file_handle.h"

namespace tw {

// Tells the event loop which files in a game folder were written, so that
// debug mode can show an edited record at once. A thread waits on inotify
// and, once a burst of writes has gone quiet (an editor's save is often a
// write, a rename and a change of attributes), posts one SDL event of
// `event_type`; the loop then takes the files written meanwhile. Only whole
// writes count: a file closed after writing, or moved into place.
class FolderWatch {
 public:
  // Watches `root` and the folders below it as they are now. Throws Failure
  // when inotify is not available.
  FolderWatch(const std::filesystem::path& root, Uint32 event_type);
  ~FolderWatch();
  FolderWatch(const FolderWatch&) = delete;
  FolderWatch& operator=(const FolderWatch&) = delete;

  // The files written since the last call, each once.
  std::vector<std::filesystem::path> take_written();

 private:
  void watch_folder(const std::filesystem::path& folder);
  void run();
  // Reads what inotify has; false when it had nothing.
  bool read_events();

  FileHandle inotify_;
  FileHandle stop_;
  Uint32 event_type_;
  std::unordered_map<int, std::filesystem::path> folders_;  // by watch descriptor
  std::mutex mutex_;
  std::vector<std::filesystem::path> written_;  // guarded by mutex_
  bool posted_ = false;                         // guarded by mutex_
  std::thread thread_;
};

}  // namespace tw
