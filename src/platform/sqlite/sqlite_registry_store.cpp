#include <sqlite3.h>

#include <system_error>

#include "platform/registry_store.h"

namespace kestrel::platform {
namespace {

// Keys and values in two tables, readable with the sqlite3 tool. Names carry
// NOCASE, as the registry's names ignore case.
constexpr const char* kSchema = R"(
CREATE TABLE IF NOT EXISTS keys (
  root TEXT NOT NULL,
  path TEXT NOT NULL COLLATE NOCASE,
  PRIMARY KEY (root, path)
);
CREATE TABLE IF NOT EXISTS "values" (
  root TEXT NOT NULL,
  key TEXT NOT NULL COLLATE NOCASE,
  name TEXT NOT NULL COLLATE NOCASE,
  kind TEXT NOT NULL CHECK (kind IN ('string', 'binary')),
  value BLOB,
  PRIMARY KEY (root, key, name)
);
)";

// How long a write waits for another game that is writing at the same moment.
constexpr int kBusyTimeoutMilliseconds = 5000;

class Statement {
 public:
  Statement(sqlite3* db, const char* sql) { sqlite3_prepare_v2(db, sql, -1, &statement_, nullptr); }
  ~Statement() { sqlite3_finalize(statement_); }
  Statement(const Statement&) = delete;
  Statement& operator=(const Statement&) = delete;

  Statement& bind(const std::string& text) {
    sqlite3_bind_text(statement_, ++bound_, text.data(), static_cast<int>(text.size()),
                      SQLITE_TRANSIENT);
    return *this;
  }
  Statement& bind_blob(const std::string& bytes) {
    sqlite3_bind_blob(statement_, ++bound_, bytes.data(), static_cast<int>(bytes.size()),
                      SQLITE_TRANSIENT);
    return *this;
  }
  // SQLITE_ROW, SQLITE_DONE or an error.
  int step() { return statement_ ? sqlite3_step(statement_) : SQLITE_ERROR; }
  std::string column(int index) const {
    const void* bytes = sqlite3_column_blob(statement_, index);
    const int size = sqlite3_column_bytes(statement_, index);
    return bytes ? std::string(static_cast<const char*>(bytes), size) : std::string();
  }

 private:
  sqlite3_stmt* statement_ = nullptr;
  int bound_ = 0;
};

class SqliteRegistryStore final : public RegistryStore {
 public:
  explicit SqliteRegistryStore(sqlite3* db) : db_(db) {}
  ~SqliteRegistryStore() override { sqlite3_close(db_); }

  bool key_exists(const std::string& root, const std::string& key) override {
    return Statement(db_, "SELECT 1 FROM keys WHERE root = ? AND path = ?")
               .bind(root)
               .bind(key)
               .step() == SQLITE_ROW;
  }

  bool create_key(const std::string& root, const std::string& key) override {
    return in_transaction([&] { return insert_key_path(root, key); });
  }

  std::optional<StoredValue> read_value(const std::string& root, const std::string& key,
                                        const std::string& name) override {
    Statement read(db_,
                   R"(SELECT kind, value FROM "values" WHERE root = ? AND key = ? AND name = ?)");
    read.bind(root).bind(key).bind(name);
    if (read.step() != SQLITE_ROW) return std::nullopt;
    const StoredValue::Kind kind =
        read.column(0) == "string" ? StoredValue::kText : StoredValue::kBinary;
    return StoredValue{kind, read.column(1)};
  }

  bool write_value(const std::string& root, const std::string& key, const std::string& name,
                   const StoredValue& value) override {
    return in_transaction([&] {
      if (!insert_key_path(root, key)) return false;
      Statement write(db_, R"(INSERT OR REPLACE INTO "values" (root, key, name, kind, value)
                              VALUES (?, ?, ?, ?, ?))");
      write.bind(root).bind(key).bind(name);
      if (value.kind == StoredValue::kText) {
        write.bind("string").bind(value.data);
      } else {
        write.bind("binary").bind_blob(value.data);
      }
      return write.step() == SQLITE_DONE;
    });
  }

 private:
  // The key and every key above it, as the registry creates them.
  bool insert_key_path(const std::string& root, const std::string& key) {
    for (std::size_t end = 0; end != std::string::npos;) {
      end = key.find('\\', end + 1);
      Statement insert(db_, "INSERT OR IGNORE INTO keys (root, path) VALUES (?, ?)");
      if (insert.bind(root).bind(key.substr(0, end)).step() != SQLITE_DONE) return false;
    }
    return true;
  }

  template <class Work>
  bool in_transaction(Work work) {
    // IMMEDIATE takes the write lock at once, so a second game waits out the
    // busy timeout instead of failing halfway.
    if (sqlite3_exec(db_, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr) != SQLITE_OK) return false;
    if (!work()) {
      sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
      return false;
    }
    return sqlite3_exec(db_, "COMMIT", nullptr, nullptr, nullptr) == SQLITE_OK;
  }

  sqlite3* db_;
};

}  // namespace

std::unique_ptr<RegistryStore> open_registry_store(const std::filesystem::path& file, bool create) {
  std::error_code error;
  if (create) {
    std::filesystem::create_directories(file.parent_path(), error);
  } else if (!std::filesystem::exists(file, error)) {
    return nullptr;
  }
  sqlite3* db = nullptr;
  const int flags = SQLITE_OPEN_READWRITE | (create ? SQLITE_OPEN_CREATE : 0);
  if (sqlite3_open_v2(file.c_str(), &db, flags, nullptr) != SQLITE_OK) {
    sqlite3_close(db);
    return nullptr;
  }
  sqlite3_busy_timeout(db, kBusyTimeoutMilliseconds);
  // Write-ahead logging lets one game read while another writes; NORMAL
  // syncing keeps every committed write through a crash of the program.
  const bool ready = sqlite3_exec(db, "PRAGMA journal_mode=WAL; PRAGMA synchronous=NORMAL;",
                                  nullptr, nullptr, nullptr) == SQLITE_OK &&
                     sqlite3_exec(db, kSchema, nullptr, nullptr, nullptr) == SQLITE_OK;
  if (!ready) {
    sqlite3_close(db);
    return nullptr;
  }
  return std::make_unique<SqliteRegistryStore>(db);
}

}  // namespace kestrel::platform
