#include "platform/sqlite_store.h"

#include <gtest/gtest.h>
#include <poll.h>
#include <pwd.h>
#include <signal.h>
#include <sqlite3.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <iterator>

#include "base/failure.h"
#include "support/inputs.h"
#include "support/test_game.h"

namespace tw {
namespace {
namespace fs = std::filesystem;
using test::failure_of;
constexpr TextView kApplication = U"Tallowind", kTitle = U"月下の旅人", kNone = U"(none)";

// The 28 values of a saved game, all the same so that a record mixed from two writes shows.
std::vector<std::pair<Text, Text>> record(const std::string& value) {
  std::vector<std::pair<Text, Text>> values{{U"save", from_utf8(value)}, {U"scene", from_utf8(value)}};
  for (char32_t flag = U'A'; flag <= U'Z'; ++flag) values.emplace_back(Text(1, flag), from_utf8(value));
  return values;
}
template <class Store>
std::vector<Text> read_record(Store&& store, TextView section = kTitle) {
  std::vector<Text> values;
  for (const auto& [key, unused] : record(""))
    values.push_back(store.read(kApplication, section, key, kNone));
  return values;
}
std::vector<Text> uniform(TextView value) { return std::vector<Text>(28, Text(value)); }
// Saves `count` records numbered from `from`, resting `pause_us` between
// saves; after the first save it writes a byte to `saved_fd` when given.
void keep_saving(const fs::path& file, int from, int count, useconds_t pause_us = 0, int saved_fd = -1) {
  SqliteStore store(file);
  for (int n = from; n < from + count; ++n) {
    store.write_all(kApplication, kTitle, record(std::to_string(n)));
    if (n == from && saved_fd >= 0 && write(saved_fd, "s", 1) != 1) _exit(2);
    if (pause_us > 0) usleep(pause_us);
  }
}
// The rows `sql` gives on a connection of the test's own.
int add_row(void* to, int, char** row, char**) { return static_cast<std::string*>(to)->append(row[0]), 0; }
std::string run_sql(const fs::path& file, const char* sql) {
  sqlite3* db = nullptr;
  std::string rows;
  sqlite3_open(file.c_str(), &db);
  sqlite3_exec(db, sql, add_row, &rows, nullptr);
  sqlite3_close(db);
  return rows;
}
// The child ends 0 after `work`, 1 on Failure; any other exception aborts it rather than reach the framework.
template <class Work>
pid_t start_child(const Work& work) {
  const pid_t child = fork();
  if (child == 0) [&]() noexcept { _exit(failure_of(work).empty() ? 0 : 1); }();
  return child;
}
int exit_code_of(pid_t child) {
  int status = 0;
  waitpid(child, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

class SqliteStoreTest : public testing::Test {
 protected:
  test::TestGame folder;
  const fs::path root = folder.root();
  const fs::path file = root / "tallowind" / "saves.sqlite3";
};

TEST_F(SqliteStoreTest, RoundTripsKeepsRecordsApartAndFallsBack) {
  EXPECT_EQ(read_record(SqliteStore(file)), uniform(kNone));
  EXPECT_FALSE(fs::exists(file.parent_path())) << "reading created the store";
  auto values = record("");
  const Text samples[] = {U"-32768", U"", U"立ち絵", U"0", U"a b\nc", U"32767", U"１２３"};
  for (size_t i = 0; i < values.size(); ++i) values[i].second = samples[i % 7] + values[i].first;
  SqliteStore store(file);
  store.write_all(kApplication, U"", record("1"));
  store.write_all(U"Tallowind2", kTitle, record("3"));
  store.write_all(kApplication, kTitle, values);
  SqliteStore reopened(file);
  for (const auto& [key, value] : values) EXPECT_EQ(reopened.read(kApplication, kTitle, key, kNone), value);
  EXPECT_EQ(read_record(reopened, U""), uniform(U"1"));
  EXPECT_EQ(reopened.read(U"Tallowind2", kTitle, U"Z", kNone), U"3");
  EXPECT_EQ(reopened.read(U"Other", kTitle, U"save", kNone), kNone);
  std::ofstream(root / "plain") << "a file, not a folder";
  SqliteStore blocked(root / "plain" / "saves.sqlite3");
  EXPECT_EQ(blocked.read(kApplication, kTitle, U"save", kNone), kNone);
  EXPECT_THROW(blocked.write_all(kApplication, kTitle, record("1")), Failure);
}

TEST_F(SqliteStoreTest, AWriteThatFailsHalfwayOrOnAFullDiskLeavesTheOldRecordWhole) {
  SqliteStore(file).write_all(kApplication, kTitle, record("1"));
  // RLIMIT_FSIZE stops root too: no room for the journal, then none for the database to grow.
  for (const rlim_t limit : {rlim_t{1000}, rlim_t{fs::file_size(file) + 10000}}) {
    const pid_t child = start_child([&] {
      signal(SIGXFSZ, SIG_IGN);
      const rlimit room{limit, limit};
      setrlimit(RLIMIT_FSIZE, &room);
      SqliteStore(file).write_all(kApplication, kTitle, record(std::string(5000, '2')));
    });
    EXPECT_EQ(exit_code_of(child), 1) << "limit " << limit;
    EXPECT_EQ(read_record(SqliteStore(file)), uniform(U"1")) << "limit " << limit;
    EXPECT_EQ(run_sql(file, "PRAGMA integrity_check"), "ok");
  }
  SqliteStore store(file);
  // The 17th of the 28 writes meets a real SQLite error, as an update and as an insert.
  run_sql(file, "CREATE TRIGGER t INSERT ON settings WHEN NEW.key='O' BEGIN SELECT RAISE(ABORT,'no O'); END");
  for (const TextView section : {kTitle, TextView(U"新しい題")})
    EXPECT_EQ(failure_of([&] { store.write_all(kApplication, section, record("2")); }),
              "セーブデータを書き込めません: " + file.string() + " (no O)");
  EXPECT_EQ(read_record(store), uniform(U"1"));
  EXPECT_EQ(read_record(store, U"新しい題"), uniform(kNone));
  // Nothing was left open: the next write goes through.
  run_sql(file, "DROP TRIGGER t");
  store.write_all(kApplication, U"新しい題", record("4"));
  EXPECT_EQ(read_record(store, U"新しい題"), uniform(U"4"));
}

TEST_F(SqliteStoreTest, ADamagedFileFailsEveryOperationAndKeepsItsBytes) {
  SqliteStore(file).write_all(kApplication, kTitle, record("1"));
  const std::string database = test::read_bytes(file);
  ASSERT_EQ(database.size(), 8192u) << "the cases below assume a schema page and a table page";
  const std::string garbage(4096, '\xA5');
  const std::pair<const char*, std::string> cases[] = {{"garbage", garbage},
                                                       {"one page of two", database.substr(0, 4096)},
                                                       {"cut inside a page", database.substr(0, 6000)},
                                                       {"bad page 2", database.substr(0, 4096) + garbage}};
  const std::string opening = "セーブデータのファイルを開けません: " + file.string() + " (";
  for (const auto& [name, bytes] : cases) {
    std::ofstream(file, std::ios::binary) << bytes;
    SqliteStore store(file);
    // Writing first: a connection it kept would turn the read's failure into a later one.
    EXPECT_THROW(store.write_all(kApplication, kTitle, record("2")), Failure) << name;
    EXPECT_EQ(failure_of([&] { store.read(kApplication, kTitle, U"A", kNone); }).find(opening), 0u) << name;
    EXPECT_TRUE(test::read_bytes(file) == bytes) << name << ": the file was changed";
    EXPECT_EQ(std::distance(fs::directory_iterator(file.parent_path()), {}), 1) << name << ": files beside";
  }
}

TEST_F(SqliteStoreTest, TwoGamesSavingAtOnceLeaveOneWholeRecordAndNeverTurnAReaderAway) {
  pid_t games[2];
  // Games save at a player's pace, not in a tight loop; even so the two
  // overlap all the time here.
  for (const int game : {0, 1})
    games[game] = start_child([&] { keep_saving(file, game * 1000, 100, 10000); });
  SqliteStore reader(file);
  int statuses[2] = {};
  for (const int game : {0, 1}) {
    while (waitpid(games[game], &statuses[game], WNOHANG) == 0) {
      EXPECT_NO_THROW(reader.read(kApplication, kTitle, U"save", kNone));
      usleep(5000);
    }
  }
  EXPECT_TRUE(statuses[0] == 0 && statuses[1] == 0) << "wait statuses " << statuses[0] << ", " << statuses[1];
  const std::vector<Text> values = read_record(SqliteStore(file));
  EXPECT_TRUE(values == uniform(U"99") || values == uniform(U"1099")) << to_utf8(values[0]);
}

TEST_F(SqliteStoreTest, AWriterKilledAtAnyMomentLeavesAWholeRecord) {
  SqliteStore(file).write_all(kApplication, kTitle, record("0"));
  int serial = 0, journals_left = 0;
  for (int round = 0; round < 20; ++round) {
    // However slow the machine, the writer has finished a save before the
    // kill lands somewhere in the following ones. Reading the store meanwhile
    // would wait on a writer that holds it almost all the time.
    int saved[2];
    ASSERT_EQ(pipe(saved), 0);
    const pid_t child = start_child([&] { keep_saving(file, serial + 1, 1 << 30, 0, saved[1]); });
    close(saved[1]);
    pollfd first_save{saved[0], POLLIN, 0};
    ASSERT_EQ(poll(&first_save, 1, 10000), 1) << "no save within 10 s in round " << round;
    close(saved[0]);
    usleep(1000 * (1 + round * 7 % 30));
    kill(child, SIGKILL);
    ASSERT_EQ(exit_code_of(child), 128 + SIGKILL) << "the writer ended on its own in round " << round;
    journals_left += fs::exists(file.string() + "-journal");
    const std::vector<Text> values = read_record(SqliteStore(file));
    ASSERT_EQ(values, uniform(values[0])) << "round " << round;
    ASSERT_EQ(run_sql(file, "PRAGMA integrity_check"), "ok") << "round " << round;
    serial = std::stoi(to_utf8(values[0]));
  }
  EXPECT_GT(serial, 0) << "no save was ever completed";
  EXPECT_GT(journals_left, 0) << "no kill landed inside a save";
}

TEST_F(SqliteStoreTest, TheDefaultFileIgnoresARelativeXdgDataHomeAndFallsBackOnHomeThenThePasswordFile) {
  const fs::path in_passwd = fs::path(getpwuid(getuid())->pw_dir) / ".local/share/tallowind/saves.sqlite3";
  const pid_t child = start_child([&] {  // free to change its environment
    setenv("XDG_DATA_HOME", "relative/xdg", 1);
    setenv("HOME", "/h", 1);
    EXPECT_EQ(default_settings_file(), "/h/.local/share/tallowind/saves.sqlite3");
    unsetenv("XDG_DATA_HOME");
    setenv("HOME", "", 1);
    EXPECT_EQ(default_settings_file(), in_passwd);
    unsetenv("HOME");
    EXPECT_EQ(default_settings_file(), in_passwd);
    _exit(HasFailure());
  });
  EXPECT_EQ(exit_code_of(child), 0);
}

}  // namespace
}  // namespace tw
