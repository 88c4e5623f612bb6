#include "platform/process.h"

#include <signal.h>
#include <spawn.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <time.h>

#include <array>

extern char** environ;

namespace kestrel::platform {

std::filesystem::path executable_path() {
  std::error_code error;
  auto path = std::filesystem::read_symlink("/proc/self/exe", error);
  return error ? std::filesystem::path() : path;
}

std::int64_t uptime_milliseconds() {
  timespec now{};
  clock_gettime(CLOCK_BOOTTIME, &now);
  return std::int64_t{now.tv_sec} * 1000 + now.tv_nsec / 1000000;
}

namespace {

// Children nobody waits for any more are reaped here, so none lingers as a
// zombie; the list is short (programs a game starts).
std::vector<pid_t>& unwaited_children() {
  static std::vector<pid_t> children;
  return children;
}

void reap_finished_children() {
  std::vector<pid_t>& children = unwaited_children();
  std::erase_if(children, [](pid_t pid) { return waitpid(pid, nullptr, WNOHANG) != 0; });
}

class PosixProgram final : public StartedProgram {
 public:
  explicit PosixProgram(pid_t pid) : pid_(pid) {}
  ~PosixProgram() override {
    if (!finished_) unwaited_children().push_back(pid_);
  }

  bool finished() override {
    if (!finished_) finished_ = waitpid(pid_, nullptr, WNOHANG) != 0;
    return finished_;
  }

 private:
  pid_t pid_;
  bool finished_ = false;
};

pid_t spawn(const std::string& program, const std::vector<std::string>& arguments) {
  reap_finished_children();
  std::vector<char*> argv;
  argv.push_back(const_cast<char*>(program.c_str()));
  for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
  argv.push_back(nullptr);
  pid_t pid = 0;
  // posix_spawnp reports a program that cannot be run as its result.
  if (posix_spawnp(&pid, program.c_str(), nullptr, nullptr, argv.data(), environ) != 0) return 0;
  return pid;
}

}  // namespace

std::unique_ptr<StartedProgram> start_program(const std::string& program,
                                              const std::vector<std::string>& arguments) {
  const pid_t pid = spawn(program, arguments);
  if (pid == 0) return nullptr;
  return std::make_unique<PosixProgram>(pid);
}

bool open_with_desktop(const std::string& target) {
  const pid_t pid = spawn("xdg-open", {target});
  if (pid == 0) return false;
  unwaited_children().push_back(pid);
  return true;
}

void set_program_priority(int level) {
  static constexpr std::array<int, 7> kNiceness = {19, 10, 5, 0, -5, -10, -20};
  const int niceness = level < -3 || level > 3 ? 0 : kNiceness[level + 3];
  setpriority(PRIO_PROCESS, 0, niceness);
}

void set_program_title(const std::string& title) {
  prctl(PR_SET_NAME, title.c_str(), 0, 0, 0);
}

}  // namespace kestrel::platform
