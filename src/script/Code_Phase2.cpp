#include "script/Code_Phase2.h"

#include <string>

#include "script/Code_Main.h"
#include "script/script_engine.h"

namespace kestrel {

bool resolve_tokens(ScriptEngine& engine, const CCode& code, const std::vector<RToken1>& tokens,
                    std::vector<RToken2>& resolved) {
  resolved.clear();
  resolved.reserve(tokens.size());
  for (std::size_t i = 0; i < tokens.size(); ++i) {
    const RToken1& token = tokens[i];
    RToken2 out;
    out.kind = token.kind;
    out.position = token.position;
    if (token.kind == kTokIdentifier) {
      const bool is_call = i + 1 < tokens.size() && tokens[i + 1].kind == kTokOpen;
      if (is_call) {
        out.index = engine.find_function(token.text);
        if (out.index < 0) {
          record_code_error(engine, code, token.position,
                            "Unknown function or script: " + token.text);
          return false;
        }
        out.kind = kTokFunction;
      } else {
        double resource = 0.0;
        if (engine.host().find_resource_name(token.text, resource)) {
          out.kind = kTokConstant;
          out.value = RValue(resource);
        } else if (const RValue* constant = engine.constants.find(token.text)) {
          out.kind = kTokConstant;
          out.value = *constant;
        } else {
          out.kind = kTokVariable;
          out.index = engine.variable_index(token.text);
        }
      }
    } else if (token.kind == kTokNumber) {
      out.kind = kTokConstant;
      out.value = RValue(number_value(token.text));
    } else if (token.kind == kTokString) {
      out.kind = kTokConstant;
      out.value = RValue(std::string_view(token.text));
    }
    resolved.push_back(std::move(out));
  }
  return true;
}

}  // namespace kestrel
