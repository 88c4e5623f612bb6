#include <gtest/gtest.h>

#include "data/Runner_Load.h"
#include "game_code.h"
#include "run/Runner.h"

namespace kestrel {
namespace {

// The containers belong to one running game: a fresh runner has none.
TEST(DataStructuresInTheRunner, EachGameStartsWithoutContainers) {
  GameData game;
  Runner first(game);
  first.engine.settings.errors.show_errors = false;
  run_game_code(first, "l = ds_list_create(); ds_list_add(l, 4)", false);
  EXPECT_EQ(run_game_code(first, "ds_list_size(0)", true).real(), 1);

  Runner second(game);
  second.engine.settings.errors.show_errors = false;
  EXPECT_EQ(run_game_code(second, "ds_list_size(0)", true).real(), 0);
  EXPECT_TRUE(
      second.engine.errors.error_last.ends_with("Data structure with index does not exist."));
  EXPECT_EQ(run_game_code(second, "ds_list_create()", true).real(), 0);
}

}  // namespace
}  // namespace kestrel
