#include "script/code_cache.h"

#include <algorithm>

#include "script/Code_Main.h"
#include "script/Code_Phase1.h"
#include "script/script_engine.h"

namespace kestrel {

namespace {

// Enough for the texts a game runs over and over; a game that makes new
// texts all the time only starts over with an empty cache now and then.
constexpr std::size_t kMaxEntries = 64;

bool same_value(const RValue& a, const RValue& b) {
  return a.kind() == b.kind() && a.real() == b.real() && a.text() == b.text();
}

}  // namespace

// As the compiler resolves an identifier, without adding a variable name:
// the names of a compiled text are in the table already.
CodeCache::Name CodeCache::resolve(ScriptEngine& engine, std::string_view text, bool is_call) {
  Name name;
  name.text = text;
  name.is_call = is_call;
  if (is_call) {
    name.index = engine.find_function(text);
    return name;
  }
  double resource = 0.0;
  if (engine.host().find_resource_name(text, resource)) {
    name.is_constant = true;
    name.value = RValue(resource);
  } else if (const RValue* constant = engine.constants.find(text)) {
    name.is_constant = true;
    name.value = *constant;
  }
  return name;
}

bool CodeCache::still_holds(ScriptEngine& engine, const Entry& entry) {
  if (entry.max_parse_depth != engine.limits.max_parse_depth) return false;
  return std::all_of(entry.names.begin(), entry.names.end(), [&engine](const Name& name) {
    const Name now = resolve(engine, name.text, name.is_call);
    return now.is_constant == name.is_constant && now.index == name.index &&
           same_value(now.value, name.value);
  });
}

std::vector<CodeCache::Name> CodeCache::names_of(ScriptEngine& engine, const CCode& code,
                                                 std::string_view text) {
  // The text compiled, so it splits into tokens again without an error.
  std::vector<RToken1> tokens;
  tokenize(engine, code, text, tokens);
  std::vector<Name> names;
  for (std::size_t i = 0; i < tokens.size(); ++i) {
    if (tokens[i].kind != kTokIdentifier) continue;
    const bool is_call = i + 1 < tokens.size() && tokens[i + 1].kind == kTokOpen;
    const bool known = std::any_of(names.begin(), names.end(), [&](const Name& name) {
      return name.is_call == is_call && name.text == tokens[i].text;
    });
    if (!known) names.push_back(resolve(engine, tokens[i].text, is_call));
  }
  return names;
}

std::shared_ptr<const CCode> CodeCache::program(ScriptEngine& engine, std::string_view text) {
  if (const auto found = entries_.find(text); found != entries_.end()) {
    if (still_holds(engine, found->second)) return found->second.code;
    entries_.erase(found);
  }
  auto code = std::make_shared<CCode>(text, false);
  if (!code->compile(engine)) return nullptr;
  const std::size_t hash = TextHash()(text);
  if (seen_once_.erase(hash) == 0) {
    if (seen_once_.size() >= kMaxEntries) seen_once_.clear();
    seen_once_.insert(hash);
    return code;
  }
  if (entries_.size() >= kMaxEntries) entries_.clear();
  entries_.emplace(std::string(text),
                   Entry{code, names_of(engine, *code, text), engine.limits.max_parse_depth});
  return code;
}

}  // namespace kestrel
