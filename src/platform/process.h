#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace kestrel::platform {

// The file of the running program; empty when the system does not say.
std::filesystem::path executable_path();

// Milliseconds since the machine started, counting time spent asleep.
std::int64_t uptime_milliseconds();

// A program started for the game; the system reaps it when it ends, whether
// or not anyone waits for it.
class StartedProgram {
 public:
  virtual ~StartedProgram() = default;
  // True once the program has ended; never blocks.
  virtual bool finished() = 0;
};

// Starts the program with these arguments in the current directory; null when
// it cannot be started (missing, not executable).
std::unique_ptr<StartedProgram> start_program(const std::string& program,
                                              const std::vector<std::string>& arguments);

// Has the desktop open a document, folder or address with its usual program
// (the desktop's opener, found on the search path); false when the opener
// cannot be started.
bool open_with_desktop(const std::string& target);

// The scheduling priority from -3 (idle) to 3 (as urgent as the system
// allows); raising it above normal needs a privilege most players lack, and
// is then left as it is.
void set_program_priority(int level);

// The name the system's task list shows for the program.
void set_program_title(const std::string& title);

}  // namespace kestrel::platform
