// Path following and grid route finding at the sizes a busy game reaches:
// 2,000 instances on smooth closed paths, advanced as the motion phase does,
// and routes across a 256 x 256 grid with a third of its cells forbidden.
#include <benchmark/benchmark.h>

#include <memory>
#include <random>
#include <string>

#include "data/Runner_Load.h"
#include "run/Motion_Grid.h"
#include "run/Motion_Path.h"
#include "run/Runner.h"

namespace kestrel {
namespace {

constexpr int kInstances = 2000;
constexpr int kSteps = 600;

// One step of the motion phase for every instance: the path advance and
// the move by the speed it leaves.
void BM_FollowSmoothClosedPaths(benchmark::State& state) {
  GameData game;
  game.objects.add("rider", CObject{});
  CPath loop;
  loop.kind = 1;
  loop.points = {{0, 0, 100}, {200, 0, 50}, {200, 150, 100}, {100, 220, 150}, {0, 150, 100}};
  loop.Recompute();
  game.paths.add("loop", loop);
  Runner runner(game);
  for (int i = 0; i < kInstances; ++i) {
    CInstance& rider = runner.add_instance(0, i % 640, i / 640 * 4);
    path_start(runner, rider, 0, 2 + i % 5, 1, false);
  }
  RoomInstances& instances = runner.instances();
  for (auto _ : state) {
    for (int step = 0; step < kSteps; ++step) {
      for (std::int32_t i = 0; i < instances.count(); ++i) {
        CInstance& rider = instances.at(i);
        path_step(runner, rider);
        rider.set_position(rider.x() + rider.hspeed(), rider.y() + rider.vspeed());
      }
    }
  }
  state.counters["steps/s"] =
      benchmark::Counter(double(state.iterations()) * kSteps, benchmark::Counter::kIsRate);
  state.counters["computed points"] = double(loop.computed.size());
}
BENCHMARK(BM_FollowSmoothClosedPaths)->Unit(benchmark::kMillisecond);

// A 256 x 256 grid of 8 x 8 cells with a third of its cells forbidden at
// random: the first seed from 15 on whose corners are joined both ways (a
// third is close to the share that splits a grid into islands).
std::unique_ptr<CGrid> crossable_grid(int side, bool diagonal, std::uint32_t& seed) {
  std::string error;
  const double far = side * 8 - 4;
  CPath path;
  for (seed = 15;; ++seed) {
    std::unique_ptr<CGrid> grid = CGrid::create(0, 0, side, side, 8, 8, error);
    std::mt19937 random(seed);
    for (int h = 0; h < side; ++h) {
      for (int v = 0; v < side; ++v) grid->set_cell(h, v, random() % 3 == 0);
    }
    grid->set_cell(0, 0, false);
    grid->set_cell(side - 1, side - 1, false);
    if (grid->find_path(path, 4, 4, far, far, diagonal)) return grid;
  }
}

// Routes from one corner to the other and back across the same grid.
void BM_GridPath(benchmark::State& state) {
  constexpr int kSide = 256;
  const bool diagonal = state.range(0) != 0;
  std::uint32_t seed = 0;
  const std::unique_ptr<CGrid> grid = crossable_grid(kSide, diagonal, seed);
  CPath path;
  const double far = kSide * 8 - 4;
  std::int64_t found = 0;
  for (auto _ : state) {
    found += grid->find_path(path, 4, 4, far, far, diagonal);
    found += grid->find_path(path, far, far, 4, 4, diagonal);
  }
  state.counters["paths/s"] =
      benchmark::Counter(double(state.iterations()) * 2, benchmark::Counter::kIsRate);
  state.counters["found"] = double(found) / double(state.iterations() * 2);
  state.counters["route points"] = double(path.points.size());
  state.counters["seed"] = seed;
}
BENCHMARK(BM_GridPath)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace kestrel
