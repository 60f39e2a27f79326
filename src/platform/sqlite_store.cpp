#include "platform/sqlite_store.h"

#include <pwd.h>
#include <sqlite3.h>
#include <unistd.h>

#include <cstdlib>
#include <string>
#include <string_view>
#include <system_error>

#include "base/failure.h"

namespace tw {

namespace fs = std::filesystem;

namespace {

constexpr const char* kStoreFolder = "tallowind";
constexpr const char* kStoreFile = "saves.sqlite3";

// Long enough for the other game's whole save to pass; a save takes
// milliseconds, tens at worst with every fsync on a slow disk.
constexpr int kBusyTimeoutMs = 5000;

constexpr const char* kCannotOpen = "セーブデータのファイルを開けません";
constexpr const char* kCannotRead = "セーブデータを読み込めません";
constexpr const char* kCannotWrite = "セーブデータを書き込めません";
constexpr const char* kCannotMakeFolder = "セーブデータのフォルダを作れません";

// WITHOUT ROWID: the key is the only way in, so the table is its own index.
constexpr const char* kCreateTableSql =
    "CREATE TABLE IF NOT EXISTS settings(application TEXT NOT NULL, section TEXT NOT NULL, "
    "key TEXT NOT NULL, value TEXT NOT NULL, PRIMARY KEY(application, section, key)) WITHOUT ROWID";
constexpr const char* kTableExistsSql =
    "SELECT 1 FROM sqlite_master WHERE type = 'table' AND name = 'settings'";
constexpr const char* kSelectSql =
    "SELECT value FROM settings WHERE application = ?1 AND section = ?2 AND key = ?3";
constexpr const char* kUpsertSql =
    "INSERT INTO settings(application, section, key, value) VALUES(?1, ?2, ?3, ?4) "
    "ON CONFLICT(application, section, key) DO UPDATE SET value = excluded.value";

[[noreturn]] void fail_with(const char* what, const fs::path& where, std::string_view reason) {
  throw Failure(std::string(what) + ": " + where.string() + " (" + std::string(reason) + ")");
}

// A statement that returned a row keeps its read lock until it is reset,
// which would hold up the other game's saves; so every step is followed by a
// reset, however the scope is left.
class ResetOnExit {
 public:
  explicit ResetOnExit(sqlite3_stmt* statement) : statement_(statement) {}
  ~ResetOnExit() { sqlite3_reset(statement_); }
  ResetOnExit(const ResetOnExit&) = delete;
  ResetOnExit& operator=(const ResetOnExit&) = delete;

 private:
  sqlite3_stmt* statement_;
};

// Rolls back whatever is still open when the scope ends: after a failed
// step, and after a COMMIT that failed without ending the transaction (a
// busy reader). A successful COMMIT leaves nothing open.
class RollbackOnExit {
 public:
  explicit RollbackOnExit(sqlite3* db) : db_(db) {}
  ~RollbackOnExit() {
    if (!sqlite3_get_autocommit(db_)) sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
  }
  RollbackOnExit(const RollbackOnExit&) = delete;
  RollbackOnExit& operator=(const RollbackOnExit&) = delete;

 private:
  sqlite3* db_;
};

fs::path home_folder() {
  const char* home = std::getenv("HOME");
  if (home != nullptr && *home != '\0') return home;
  const passwd* entry = getpwuid(getuid());
  if (entry != nullptr && entry->pw_dir != nullptr) return entry->pw_dir;
  // No home anywhere: the working folder is the only place left.
  return {};
}

}  // namespace

void SqliteStore::CloseDatabase::operator()(sqlite3* db) const { sqlite3_close_v2(db); }

void SqliteStore::FinalizeStatement::operator()(sqlite3_stmt* statement) const {
  sqlite3_finalize(statement);
}

SqliteStore::SqliteStore(fs::path file) : file_(std::move(file)) {}

SqliteStore::~SqliteStore() = default;

void SqliteStore::write_all(TextView application, TextView section,
                            const std::vector<std::pair<Text, Text>>& values) {
  if (!db_) {
    const fs::path folder = file_.parent_path();
    std::error_code error;
    if (!folder.empty()) fs::create_directories(folder, error);
    if (error) fail_with(kCannotMakeFolder, folder, error.message());
    open(true);
  }
  // IMMEDIATE takes the write lock first thing, where the busy timeout waits
  // for the other game; a transaction that read first and then wants to write
  // is refused at once, with no waiting.
  execute("BEGIN IMMEDIATE", kCannotWrite);
  const RollbackOnExit transaction(db_.get());
  // In the same transaction, so a new store appears with its first values.
  execute(kCreateTableSql, kCannotWrite);
  if (!upsert_) upsert_ = prepare(kUpsertSql, kCannotWrite);
  for (const auto& [key, value] : values) {
    const ResetOnExit reset(upsert_.get());
    bind(upsert_.get(), 1, application, kCannotWrite);
    bind(upsert_.get(), 2, section, kCannotWrite);
    bind(upsert_.get(), 3, key, kCannotWrite);
    bind(upsert_.get(), 4, value, kCannotWrite);
    if (sqlite3_step(upsert_.get()) != SQLITE_DONE) fail(kCannotWrite, db_.get());
  }
  execute("COMMIT", kCannotWrite);
}

Text SqliteStore::read(TextView application, TextView section, TextView key, TextView fallback) {
  if (!db_) {
    // Reading never creates the store: without the file nothing is stored.
    std::error_code error;
    if (fs::status(file_, error).type() == fs::file_type::not_found) return Text(fallback);
    open(false);
  }
  if (!select_) {
    // A store another program created but we never wrote to: nothing stored.
    if (!has_settings_table()) return Text(fallback);
    select_ = prepare(kSelectSql, kCannotRead);
  }
  const ResetOnExit reset(select_.get());
  bind(select_.get(), 1, application, kCannotRead);
  bind(select_.get(), 2, section, kCannotRead);
  bind(select_.get(), 3, key, kCannotRead);
  switch (sqlite3_step(select_.get())) {
    case SQLITE_ROW: {
      const auto* bytes = reinterpret_cast<const char*>(sqlite3_column_text(select_.get(), 0));
      const int size = sqlite3_column_bytes(select_.get(), 0);
      return bytes != nullptr ? from_utf8(std::string_view(bytes, size)) : Text();
    }
    case SQLITE_DONE:
      return Text(fallback);
    default:
      fail(kCannotRead, db_.get());
  }
}

// Opens read-write even for reading: after a crash in the middle of a save,
// the first connection rolls the journal back, which a read-only one cannot.
// CREATE only for writing, so that reading leaves no file behind.
//
// The connection is kept only after the file passed the check. SQLite itself
// refuses a file without its header (SQLITE_NOTADB) or shorter than its header
// says (SQLITE_CORRUPT); quick_check walks every page of what is left, so a
// damaged page stops us here and not once a save has written over it. The
// only write in here is SQLite rolling back a save that a crash cut short.
void SqliteStore::open(bool create) {
  sqlite3* raw = nullptr;
  const int flags = SQLITE_OPEN_READWRITE | (create ? SQLITE_OPEN_CREATE : 0);
  const int opened = sqlite3_open_v2(file_.c_str(), &raw, flags, nullptr);
  Database db(raw);
  if (opened != SQLITE_OK)
    fail_with(kCannotOpen, file_, raw != nullptr ? sqlite3_errmsg(raw) : sqlite3_errstr(opened));
  sqlite3_busy_timeout(db.get(), kBusyTimeoutMs);
  // With a rollback journal, NORMAL leaves a power cut a small chance to
  // corrupt the store; FULL costs a few milliseconds a save.
  if (sqlite3_exec(db.get(), "PRAGMA synchronous = FULL", nullptr, nullptr, nullptr) != SQLITE_OK)
    fail(kCannotOpen, db.get());
  sqlite3_stmt* raw_check = nullptr;
  const int prepared = sqlite3_prepare_v2(db.get(), "PRAGMA quick_check", -1, &raw_check, nullptr);
  const Statement check(raw_check);
  if (prepared != SQLITE_OK || sqlite3_step(check.get()) != SQLITE_ROW) fail(kCannotOpen, db.get());
  // The check's own report lists pages; SQLite's word for it is enough here.
  const auto* verdict = reinterpret_cast<const char*>(sqlite3_column_text(check.get(), 0));
  if (verdict == nullptr || std::string_view(verdict) != "ok")
    fail_with(kCannotOpen, file_, sqlite3_errstr(SQLITE_CORRUPT));
  db_ = std::move(db);
}

bool SqliteStore::has_settings_table() {
  const Statement query = prepare(kTableExistsSql, kCannotRead);
  const int stepped = sqlite3_step(query.get());
  if (stepped != SQLITE_ROW && stepped != SQLITE_DONE) fail(kCannotRead, db_.get());
  return stepped == SQLITE_ROW;
}

SqliteStore::Statement SqliteStore::prepare(const char* sql, const char* what) {
  sqlite3_stmt* raw = nullptr;
  const int prepared = sqlite3_prepare_v2(db_.get(), sql, -1, &raw, nullptr);
  Statement statement(raw);
  if (prepared != SQLITE_OK) fail(what, db_.get());
  return statement;
}

void SqliteStore::execute(const char* sql, const char* what) {
  if (sqlite3_exec(db_.get(), sql, nullptr, nullptr, nullptr) != SQLITE_OK) fail(what, db_.get());
}

void SqliteStore::bind(sqlite3_stmt* statement, int index, TextView text, const char* what) {
  const std::string utf8 = to_utf8(text);
  if (sqlite3_bind_text64(statement, index, utf8.data(), utf8.size(), SQLITE_TRANSIENT, SQLITE_UTF8) !=
      SQLITE_OK)
    fail(what, db_.get());
}

// The message is taken before the exception unwinds: the rollback on the way
// out would replace it.
void SqliteStore::fail(const char* what, sqlite3* db) const { fail_with(what, file_, sqlite3_errmsg(db)); }

fs::path default_settings_file() {
  const char* data_home = std::getenv("XDG_DATA_HOME");
  // A relative XDG_DATA_HOME is to be ignored: it would move with the
  // working folder.
  if (data_home != nullptr && fs::path(data_home).is_absolute())
    return fs::path(data_home) / kStoreFolder / kStoreFile;
  return home_folder() / ".local/share" / kStoreFolder / kStoreFile;
}

}  // namespace tw
