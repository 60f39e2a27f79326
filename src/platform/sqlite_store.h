#pragma once

#include <filesystem>
#include <memory>
#include <utility>
#include <vector>

#include "platform/settings_store.h"

struct sqlite3;
struct sqlite3_stmt;

namespace tw {

// The settings store as one SQLite database file. The file is opened on first
// use, so a damaged store costs the player the saves, not the game's start. A
// file that fails SQLite's own check is never written to: every operation on
// it throws Failure and leaves its bytes as they were.
class SqliteStore : public SettingsStore {
 public:
  explicit SqliteStore(std::filesystem::path file);
  ~SqliteStore() override;
  SqliteStore(const SqliteStore&) = delete;
  SqliteStore& operator=(const SqliteStore&) = delete;

  void write_all(TextView application, TextView section,
                 const std::vector<std::pair<Text, Text>>& values) override;
  Text read(TextView application, TextView section, TextView key, TextView fallback) override;

 private:
  struct CloseDatabase {
    void operator()(sqlite3* db) const;
  };
  struct FinalizeStatement {
    void operator()(sqlite3_stmt* statement) const;
  };
  using Database = std::unique_ptr<sqlite3, CloseDatabase>;
  using Statement = std::unique_ptr<sqlite3_stmt, FinalizeStatement>;

  void open(bool create);
  bool has_settings_table();
  Statement prepare(const char* sql, const char* what);
  void execute(const char* sql, const char* what);
  void bind(sqlite3_stmt* statement, int index, TextView text, const char* what);
  [[noreturn]] void fail(const char* what, sqlite3* db) const;

  std::filesystem::path file_;
  Database db_;
  // Declared after db_ so that they are finalized before it closes.
  Statement select_;
  Statement upsert_;
};

}  // namespace tw
