#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "script/RValue.h"

namespace kestrel {

class CCode;
class ScriptEngine;

// Programs compiled from texts while playing (execute_string, execute_file),
// kept so that running the same text again skips the compiler. An entry is
// used only while every name in its text still means what it meant when it
// was compiled, since resources come and go while playing.
class CodeCache {
 public:
  // The compiled program of a text, compiled now where no entry holds; null
  // after a failed compile, whose error has been recorded. Holding the
  // pointer keeps the code alive while it runs, whatever the cache drops.
  std::shared_ptr<const CCode> program(ScriptEngine& engine, std::string_view text);

 private:
  // What an identifier of the text compiled to.
  struct Name {
    std::string text;
    bool is_call = false;
    bool is_constant = false;  // else a function or variable index
    std::int32_t index = 0;
    RValue value;
  };
  struct Entry {
    std::shared_ptr<const CCode> code;
    std::vector<Name> names;
    std::int32_t max_parse_depth = 0;
  };
  struct TextHash {
    using is_transparent = void;
    std::size_t operator()(std::string_view text) const {
      return std::hash<std::string_view>()(text);
    }
  };

  static Name resolve(ScriptEngine& engine, std::string_view text, bool is_call);
  static bool still_holds(ScriptEngine& engine, const Entry& entry);
  static std::vector<Name> names_of(ScriptEngine& engine, const CCode& code, std::string_view text);

  std::unordered_map<std::string, Entry, TextHash, std::equal_to<>> entries_;
  // The hashes of texts compiled once: a text gets an entry when it comes
  // again, so that texts made anew each time cost no more than compiling.
  std::unordered_set<std::size_t> seen_once_;
};

}  // namespace kestrel
