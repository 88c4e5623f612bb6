// Any bytes given to the game reader must end in a result, never a crash, a
// hang or an allocation the input does not justify.
#include <cstddef>
#include <cstdint>

#include "data/Runner_Load.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  kestrel::GameData game;
  kestrel::ReadGame(kestrel::Bytes(data, data + size), game, {.keep_stored_form = true});
  return 0;
}
