#pragma once

#include <filesystem>
#include <nlohmann/json.hpp>
#include <set>
#include <stdexcept>
#include <string>

namespace kestrel::tools {

using Json = nlohmann::ordered_json;

// A fault in a project folder; caught at the edge of the tools and turned into
// a message that names the file (and the line in JSON files).
class ProjectError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

[[noreturn]] void Fail(const std::filesystem::path& file, const std::string& message);

// A parsed JSON file that can say on which line any of its values starts.
class JsonFile {
 public:
  static JsonFile Read(const std::filesystem::path& path);

  const std::filesystem::path& path() const { return path_; }
  const Json& root() const { return root_; }
  [[noreturn]] void Fail(const Json::json_pointer& where, const std::string& message) const;

  // Where the text of the string at `where` starts: its line, counted from 1,
  // and the characters before it on that line. Line 1, column 0 when the
  // value cannot be found.
  struct TextPlace {
    int line = 1;
    int columns_before = 0;
  };
  TextPlace StringTextPlace(const Json::json_pointer& where) const;

 private:
  std::filesystem::path path_;
  std::string text_;
  Json root_;
};

// Typed access to one JSON object that reports wrong kinds and unknown keys.
class JsonObject {
 public:
  JsonObject(const JsonFile& file, const Json& value, Json::json_pointer where);
  // Reports every key that was never asked for (a typo would otherwise be ignored).
  void Finish() const;

  bool Has(const std::string& key) const;
  const Json* Get(const std::string& key) const;
  int Int(const std::string& key, int fallback) const;
  double Real(const std::string& key, double fallback) const;
  bool Bool(const std::string& key, bool fallback) const;
  std::string String(const std::string& key, const std::string& fallback) const;
  JsonObject Object(const std::string& key) const;
  // The array at `key` (empty when missing).
  const Json& Array(const std::string& key) const;

  const JsonFile& file() const { return file_; }
  Json::json_pointer where(const std::string& key) const { return where_ / key; }
  Json::json_pointer where() const { return where_; }
  [[noreturn]] void Fail(const std::string& key, const std::string& message) const;

 private:
  const JsonFile& file_;
  const Json& value_;
  Json::json_pointer where_;
  mutable std::set<std::string> used_;
};

// Integers of a JSON value with its place for messages.
int IntAt(const JsonFile& file, const Json& value, const Json::json_pointer& where);
double RealAt(const JsonFile& file, const Json& value, const Json::json_pointer& where);
std::string StringAt(const JsonFile& file, const Json& value, const Json::json_pointer& where);

// Two-space indentation, with every object or array that fits on one line
// kept on one line, so that a change shows as a change of one line.
std::string FormatJson(const Json& value);

}  // namespace kestrel::tools
