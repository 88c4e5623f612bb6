#pragma once

// Every piece of a game's code has an origin: a key made from where it sits
// in the game data (a script's index, an object's event and action, ...).
// A project folder knows which of its files holds each piece, and a source
// map keeps that, so that a report can point into the files the maker edits.

#include <cstdint>
#include <filesystem>
#include <functional>
#include <map>
#include <string>
#include <string_view>

namespace kestrel {

class CAction;
struct GameData;

namespace code_origin {

std::string script(std::int32_t index);
// The action list of an object's event or of a time line's moment.
std::string event(std::int32_t object, int type, int number);
std::string moment(std::int32_t time_line, std::size_t moment);
std::string action(const std::string& list, std::size_t action);
// An expression argument of the action at `action_origin`.
std::string argument(const std::string& action_origin, std::size_t argument);
std::string room_code(std::int32_t room);
std::string instance_code(std::int32_t room, std::size_t instance);
std::string trigger(std::size_t index);
std::string library_init(std::size_t index);
std::string extension_function(std::size_t package, std::size_t file, std::size_t function);

}  // namespace code_origin

// The code an action runs when it runs code; empty otherwise.
std::string action_code_text(const CAction& action);

// Whether an action argument of this kind and text is compiled as an
// expression rather than taken as it stands.
bool argument_is_expression(int kind, const std::string& text);

// Calls `visit` with the origin and the text of every piece of code the game
// compiles at its start or runs as creation or initialisation code; action
// arguments come as expressions, all else as programs.
void for_each_code(const GameData& game,
                   const std::function<void(const std::string& origin, const std::string& text,
                                            bool expression)>& visit);

// The file of a piece of code and the number of lines of that file before
// the code's text (extension script files hold several functions), and of
// characters before it on its first line (an argument inside a JSON string).
struct SourceFile {
  std::string path;
  std::int32_t lines_before = 0;
  std::int32_t columns_before = 0;
};

// Origins to the files that hold them, relative to the project folder.
class SourceMap {
 public:
  // The project folder as the reader of the reports names it.
  void set_root(std::filesystem::path root) { root_ = std::move(root); }
  const std::filesystem::path& root() const { return root_; }

  void add(std::string origin, SourceFile file) { files_[std::move(origin)] = std::move(file); }
  const SourceFile* find(std::string_view origin) const;
  const std::map<std::string, SourceFile, std::less<>>& files() const { return files_; }
  bool empty() const { return files_.empty(); }

  // "FILE:LINE:COLUMN: message" for a place in the code of `origin`; empty
  // when the map does not know the origin.
  std::string describe(std::string_view origin, std::int32_t line, std::int32_t column,
                       std::string_view message) const;

 private:
  std::filesystem::path root_;
  std::map<std::string, SourceFile, std::less<>> files_;
};

}  // namespace kestrel
