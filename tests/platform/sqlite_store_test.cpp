#include "platform/sqlite_store.h"

#include <gtest/gtest.h>
#include <pwd.h>
#include <signal.h>
#include <sqlite3.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <iostream>
#include <iterator>
#include <optional>
#include <random>
#include <string>
#include <thread>

#include "window/failure.h"

namespace tw {
namespace {

namespace fs = std::filesystem;

constexpr TextView application = U"Tallowind";
constexpr TextView title = U"月下の旅人";
constexpr TextView none = U"(none)";

// A fresh folder per process and test, removed again with everything in it.
struct TempFolder {
  fs::path root =
      fs::temp_directory_path() / ("tallowind-store-" + std::to_string(getpid()) + "-" +
                                   ::testing::UnitTest::GetInstance()->current_test_info()->name());
  fs::path file = root / "saves.sqlite3";
  TempFolder() {
    fs::remove_all(root);
    fs::create_directories(root);
  }
  ~TempFolder() {
    std::error_code ignored;
    fs::permissions(root, fs::perms::owner_all, ignored);
    fs::remove_all(root, ignored);
  }
};

// The 28 keys of a saved game, in the engine's order.
std::vector<Text> record_keys() {
  std::vector<Text> keys{U"save"};
  for (char32_t flag = U'A'; flag <= U'Z'; ++flag) keys.push_back(Text(1, flag));
  keys.push_back(U"scene");
  return keys;
}

// Every value the same, so that a record mixed from two writes shows.
std::vector<std::pair<Text, Text>> record(const std::string& value) {
  std::vector<std::pair<Text, Text>> values;
  for (const Text& key : record_keys()) values.emplace_back(key, from_utf8(value));
  return values;
}

std::vector<Text> read_record(SettingsStore& store, TextView section = title) {
  std::vector<Text> values;
  for (const Text& key : record_keys()) values.push_back(store.read(application, section, key, none));
  return values;
}

std::vector<Text> read_record(const fs::path& file, TextView section = title) {
  SqliteStore store(file);
  return read_record(store, section);
}

std::vector<Text> uniform(TextView value) { return std::vector<Text>(record_keys().size(), Text(value)); }

std::string bytes_of(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

void write_bytes(const fs::path& file, const std::string& bytes) {
  std::ofstream(file, std::ios::binary | std::ios::trunc) << bytes;
}

// Runs `sql` through a connection of the test's own and gives the first
// column of the first row, or SQLite's error message.
std::string run_sql(const fs::path& file, const char* sql) {
  sqlite3* db = nullptr;
  sqlite3_open_v2(file.c_str(), &db, SQLITE_OPEN_READWRITE, nullptr);
  sqlite3_stmt* statement = nullptr;
  std::string result;
  if (sqlite3_prepare_v2(db, sql, -1, &statement, nullptr) != SQLITE_OK) {
    result = sqlite3_errmsg(db);
  } else {
    const int stepped = sqlite3_step(statement);
    if (stepped == SQLITE_ROW) result = reinterpret_cast<const char*>(sqlite3_column_text(statement, 0));
    if (stepped != SQLITE_ROW && stepped != SQLITE_DONE) result = sqlite3_errmsg(db);
  }
  sqlite3_finalize(statement);
  sqlite3_close_v2(db);
  return result;
}

// Runs `work` in a child process that ends with 0 after it or 1 on Failure.
// noexcept: any other exception aborts the child instead of reaching the
// test framework, which would go on running tests in the child.
template <class Work>
[[noreturn]] void run_child(const Work& work) noexcept {
  try {
    work();
  } catch (const Failure&) {
    _exit(1);
  }
  _exit(0);
}

template <class Work>
pid_t start_child(const Work& work) {
  const pid_t child = fork();
  if (child == 0) run_child(work);
  return child;
}

int exit_code(int status) { return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status); }

int exit_code_of(pid_t child) {
  int status = 0;
  waitpid(child, &status, 0);
  return exit_code(status);
}

TEST(SqliteStore, RoundTripsTheValuesOfASavedGame) {
  const TempFolder folder;
  std::vector<std::pair<Text, Text>> values;
  const Text samples[] = {U"-32768", U"", U"立ち絵", U"0", U"a b\nc", U"32767", U"１２３"};
  for (const Text& key : record_keys()) values.emplace_back(key, samples[values.size() % 7] + key);
  SqliteStore(folder.file).write_all(application, title, values);
  SqliteStore store(folder.file);
  for (const auto& [key, value] : values)
    EXPECT_EQ(store.read(application, title, key, none), value) << to_utf8(key);
}

TEST(SqliteStore, ReadsTheFallbackForWhatWasNeverWritten) {
  const TempFolder folder;
  const fs::path file = folder.root / "new" / "saves.sqlite3";
  EXPECT_EQ(read_record(file), uniform(none));
  EXPECT_FALSE(fs::exists(file.parent_path())) << "reading created the store";

  SqliteStore store(file);
  store.write_all(application, title, {{U"save", U"1"}});
  EXPECT_EQ(store.read(application, title, U"A", U"0"), U"0");
  EXPECT_EQ(store.read(application, U"別の題", U"save", U"0"), U"0");
  EXPECT_EQ(store.read(U"Other", title, U"save", U"0"), U"0");
  EXPECT_EQ(store.read(application, title, U"save", U"0"), U"1");
}

TEST(SqliteStore, KeepsSectionsAndApplicationsApartAndReplacesOnRewrite) {
  const TempFolder folder;
  SqliteStore store(folder.file);
  store.write_all(application, U"", record("1"));
  store.write_all(application, title, record("2"));
  store.write_all(application, U"月下の旅人２", record("3"));
  store.write_all(U"Tallowind2", title, record("4"));
  store.write_all(application, title, record("5"));
  EXPECT_EQ(read_record(store, U""), uniform(U"1"));
  EXPECT_EQ(read_record(store, title), uniform(U"5"));
  EXPECT_EQ(read_record(store, U"月下の旅人２"), uniform(U"3"));
  EXPECT_EQ(SqliteStore(folder.file).read(U"Tallowind2", title, U"Z", none), U"4");
}

TEST(SqliteStore, AWriteThatFailsHalfwayLeavesTheOldRecordWhole) {
  const TempFolder folder;
  SqliteStore store(folder.file);
  store.write_all(application, title, record("1"));
  // "O" is the 16th of the 28 writes; the store sees a real SQLite error.
  for (const char* event : {"INSERT", "UPDATE"}) {
    const std::string trigger = std::string("CREATE TRIGGER refuse_o_") + event + " BEFORE " + event +
                                " ON settings WHEN NEW.key = 'O' BEGIN SELECT RAISE(ABORT, 'no O'); END";
    ASSERT_EQ(run_sql(folder.file, trigger.c_str()), "");
  }
  for (const TextView section : {title, TextView(U"新しい題")}) {
    try {
      store.write_all(application, section, record("2"));
      ADD_FAILURE() << "the write went through";
    } catch (const Failure& failure) {
      EXPECT_EQ(failure.what(), "セーブデータを書き込めません: " + folder.file.string() + " (no O)");
    }
  }
  EXPECT_EQ(read_record(store, title), uniform(U"1"));
  EXPECT_EQ(read_record(store, U"新しい題"), uniform(none));

  // Nothing was left open: another connection can write, and so can we.
  ASSERT_EQ(run_sql(folder.file, "DROP TRIGGER refuse_o_INSERT"), "");
  ASSERT_EQ(run_sql(folder.file, "DROP TRIGGER refuse_o_UPDATE"), "");
  SqliteStore(folder.file).write_all(application, title, record("3"));
  store.write_all(application, U"新しい題", record("4"));
  EXPECT_EQ(read_record(store, title), uniform(U"3"));
  EXPECT_EQ(read_record(store, U"新しい題"), uniform(U"4"));
}

TEST(SqliteStore, ADamagedFileFailsEveryOperationAndKeepsItsBytes) {
  const TempFolder folder;
  SqliteStore(folder.file).write_all(application, title, record("1"));
  const std::string database = bytes_of(folder.file);
  ASSERT_EQ(database.size(), 8192u) << "the cases below assume a schema page and a table page";
  std::mt19937 random(7);
  std::string noise(4096, '\0');
  for (char& byte : noise) byte = static_cast<char>(random());
  const std::pair<const char*, std::string> cases[] = {
      {"random bytes", noise},
      {"a text file", "セーブデータ\n1\n2\n"},
      {"one page of two", database.substr(0, 4096)},
      {"cut inside a page", database.substr(0, 6000)},
      {"a page of noise", database.substr(0, 4096) + noise},
  };
  for (const auto& [name, bytes] : cases) {
    write_bytes(folder.file, bytes);
    SqliteStore store(folder.file);
    const std::string opening = "セーブデータのファイルを開けません: " + folder.file.string() + " (";
    for (int attempt = 0; attempt < 2; ++attempt) {
      try {
        store.read(application, title, U"save", none);
        ADD_FAILURE() << name << ": read";
      } catch (const Failure& failure) {
        EXPECT_EQ(std::string(failure.what()).substr(0, opening.size()), opening) << name;
      }
      EXPECT_THROW(store.write_all(application, title, record("2")), Failure) << name;
    }
    EXPECT_TRUE(bytes_of(folder.file) == bytes) << name << ": the file was changed";
    EXPECT_EQ(std::distance(fs::directory_iterator(folder.root), {}), 1) << name << ": files beside";
  }
}

TEST(SqliteStore, AFolderThatCannotBeMadeFails) {
  const TempFolder folder;
  write_bytes(folder.root / "plain", "a file, not a folder");
  SqliteStore store(folder.root / "plain" / "tallowind" / "saves.sqlite3");
  EXPECT_EQ(store.read(application, title, U"save", none), none);
  EXPECT_THROW(store.write_all(application, title, record("1")), Failure);
  EXPECT_EQ(bytes_of(folder.root / "plain"), "a file, not a folder");
}

TEST(SqliteStore, AReadOnlyFolderFailsAndKeepsTheRecord) {
  if (geteuid() == 0) GTEST_SKIP() << "root writes into read-only folders; the full-disk test covers this";
  const TempFolder folder;
  SqliteStore(folder.file).write_all(application, title, record("1"));
  fs::permissions(folder.root, fs::perms::owner_read | fs::perms::owner_exec);
  // The journal cannot be made beside the database.
  EXPECT_THROW(SqliteStore(folder.file).write_all(application, title, record("2")), Failure);
  EXPECT_THROW(SqliteStore(folder.root / "new.sqlite3").write_all(application, title, record("2")), Failure);
  EXPECT_EQ(read_record(folder.file), uniform(U"1"));
  EXPECT_FALSE(fs::exists(folder.root / "new.sqlite3"));
}

// RLIMIT_FSIZE stops root as well: a write past the limit fails like one on
// a full disk. Once with no room for the journal, once with the journal
// written and no room for the database to grow.
TEST(SqliteStore, AFullDiskFailsAndKeepsTheRecord) {
  const TempFolder folder;
  SqliteStore(folder.file).write_all(application, title, record("1"));
  for (const rlim_t limit : {rlim_t{1000}, rlim_t{fs::file_size(folder.file) + 10000}}) {
    const pid_t child = start_child([&] {
      signal(SIGXFSZ, SIG_IGN);
      const rlimit room{limit, limit};
      setrlimit(RLIMIT_FSIZE, &room);
      SqliteStore(folder.file).write_all(application, title, record(std::string(5000, '2')));
    });
    EXPECT_EQ(exit_code_of(child), 1) << "limit " << limit;
    EXPECT_EQ(read_record(folder.file), uniform(U"1")) << "limit " << limit;
    EXPECT_EQ(run_sql(folder.file, "PRAGMA integrity_check"), "ok");
  }
}

TEST(SqliteStore, TwoGamesWritingAtOnceLeaveOneWholeRecord) {
  const TempFolder folder;
  constexpr int saves_per_game = 200;
  pid_t games[2];
  for (int game = 0; game < 2; ++game) {
    games[game] = start_child([&] {
      SqliteStore store(folder.file);
      for (int save = 0; save < saves_per_game; ++save)
        store.write_all(application, title, record(std::to_string(game) + ":" + std::to_string(save)));
    });
    ASSERT_GT(games[game], 0);
  }
  // Meanwhile a third reader, which must never be turned away.
  SqliteStore reader(folder.file);
  int statuses[2] = {};
  bool ended[2] = {};
  int reads = 0;
  while (!ended[0] || !ended[1]) {
    for (int game = 0; game < 2; ++game)
      ended[game] = ended[game] || waitpid(games[game], &statuses[game], WNOHANG) == games[game];
    EXPECT_NO_THROW(reader.read(application, title, U"save", none));
    ++reads;
  }
  std::cout << "[          ] " << reads << " reads during the saves\n";
  for (const int status : statuses) EXPECT_EQ(exit_code(status), 0);
  const std::vector<Text> values = read_record(folder.file);
  EXPECT_TRUE(values == uniform(U"0:199") || values == uniform(U"1:199")) << to_utf8(values[0]);
}

TEST(SqliteStore, AWriterKilledAtAnyMomentLeavesAWholeRecord) {
  const TempFolder folder;
  SqliteStore(folder.file).write_all(application, title, record("0"));
  std::mt19937 random(1);
  std::uniform_int_distribution<int> delay_ms(1, 30);
  int serial = 0;
  int journals_left = 0;
  for (int round = 0; round < 20; ++round) {
    const pid_t child = start_child([&] {
      SqliteStore store(folder.file);
      for (int next = serial + 1;; ++next)
        store.write_all(application, title, record(std::to_string(next % 32767)));
    });
    ASSERT_GT(child, 0);
    std::this_thread::sleep_for(std::chrono::milliseconds(delay_ms(random)));
    kill(child, SIGKILL);
    ASSERT_EQ(exit_code_of(child), 128 + SIGKILL) << "the writer ended on its own in round " << round;
    journals_left += fs::exists(folder.file.string() + "-journal");
    const std::vector<Text> values = read_record(folder.file);
    ASSERT_NE(values[0], none);
    ASSERT_EQ(values, uniform(values[0])) << "round " << round;
    ASSERT_EQ(run_sql(folder.file, "PRAGMA integrity_check"), "ok") << "round " << round;
    serial = std::stoi(to_utf8(values[0]));
  }
  std::cout << "[          ] " << journals_left << " of 20 kills left a journal to roll back\n";
  EXPECT_GT(serial, 0) << "no save was ever completed";
  EXPECT_GT(journals_left, 0) << "no kill landed inside a save";
}

// Sets or removes an environment variable for one scope.
class ScopedVariable {
 public:
  ScopedVariable(const char* name, const char* value) : name_(name) {
    if (const char* old = std::getenv(name)) old_ = old;
    set(value);
  }
  ~ScopedVariable() { set(old_ ? old_->c_str() : nullptr); }
  ScopedVariable(const ScopedVariable&) = delete;
  ScopedVariable& operator=(const ScopedVariable&) = delete;

 private:
  void set(const char* value) {
    if (value != nullptr) {
      setenv(name_, value, 1);
    } else {
      unsetenv(name_);
    }
  }

  const char* name_;
  std::optional<std::string> old_;
};

TEST(DefaultSettingsFile, FollowsXdgDataHomeThenHome) {
  const ScopedVariable home("HOME", "/home/player");
  const fs::path under_home = "/home/player/.local/share/tallowind/saves.sqlite3";
  {
    const ScopedVariable data("XDG_DATA_HOME", "/data/xdg");
    EXPECT_EQ(default_settings_file(), fs::path("/data/xdg/tallowind/saves.sqlite3"));
  }
  for (const char* ignored : {"relative/xdg", "", static_cast<const char*>(nullptr)}) {
    const ScopedVariable data("XDG_DATA_HOME", ignored);
    EXPECT_EQ(default_settings_file(), under_home) << (ignored ? ignored : "unset");
  }
  const ScopedVariable data("XDG_DATA_HOME", nullptr);
  const ScopedVariable no_home("HOME", nullptr);
  EXPECT_EQ(default_settings_file(),
            fs::path(getpwuid(getuid())->pw_dir) / ".local/share/tallowind/saves.sqlite3");
}

}  // namespace
}  // namespace tw
