#pragma once

#include <gtest/gtest.h>

#include <string>
#include <string_view>

#include "script/Code_Exec.h"
#include "script/Code_Main.h"
#include "script/script_engine.h"
#include "script/stand_in_world.h"

namespace kestrel {

// An engine on a stand-in room with one instance of obj_a, reports kept
// off the terminal.
class ScriptFixture : public ::testing::Test {
 protected:
  ScriptFixture() {
    world.add_object("obj_a");
    world.add_object("obj_b");
    world.add_room("room_a");
    self = &world.add_instance(0);
    engine.settings.errors.show_errors = false;
  }

  // Compiles and runs a program for self; false after a compile or run error.
  bool run(std::string_view text) {
    CCode code(text, false);
    compiled = code.compile(engine);
    return compiled && execute(engine, code, self, self, result);
  }

  // The value of an expression evaluated for self.
  RValue value_of(std::string_view text) {
    CCode code(text, true);
    RValue value;
    if (!code.compile(engine) || !execute(engine, code, self, self, value)) {
      ADD_FAILURE() << "evaluating " << text << ": " << engine.errors.last_text;
    }
    return value;
  }
  double real_of(std::string_view text) { return value_of(text).real(); }
  std::string text_of(std::string_view text) { return value_of(text).str(); }

  // The message part of the last recorded code error.
  std::string error() const {
    const std::string& text = engine.errors.last_text;
    const std::size_t at = text.rfind("position ");
    if (at == std::string::npos) return text;
    return text.substr(text.find(": ", at) + 2);
  }

  StandInWorld world;
  ScriptEngine engine{&world};
  ScriptInstance* self = nullptr;
  RValue result;
  bool compiled = false;
};

}  // namespace kestrel
