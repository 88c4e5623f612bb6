// Every test program starts with the surroundings the tests assume, however
// it is started (ctest with or without a preset, or by hand): drawing off
// screen, silent audio, a registry store of its own instead of the user's,
// and the sanitizers' settings. Variables already set by the caller win.
#include <cstdlib>
#include <filesystem>

namespace {

const bool kEnvironmentSet = [] {
  setenv("SDL_VIDEODRIVER", "offscreen", 0);
  setenv("SDL_AUDIODRIVER", "dummy", 0);
  const auto data = std::filesystem::temp_directory_path() / "kestrel-test-data";
  setenv("KESTREL_DATA_HOME", data.c_str(), 0);
  return true;
}();

}  // namespace

// The sanitizers ask for these before main; they are unused in other builds.
extern "C" const char* __lsan_default_options() {
  return KESTREL_LSAN_OPTIONS;
}

extern "C" const char* __ubsan_default_options() {
  return KESTREL_UBSAN_OPTIONS;
}
