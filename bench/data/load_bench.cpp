// Loading a large game beside plain zlib inflating the same blocks: the load
// should cost little more than the inflating it cannot avoid.
#include <benchmark/benchmark.h>

#include <atomic>
#include <cstdlib>
#include <new>
#include <string>

#include "data/Runner_Load.h"

// Live heap bytes and their peak, to see what one load holds at its worst.
namespace {
std::atomic<std::int64_t> live_bytes{0};
std::atomic<std::int64_t> peak_bytes{0};
constexpr std::size_t kHeader = alignof(std::max_align_t);
}  // namespace

void* operator new(std::size_t size) {
  auto* block = static_cast<char*>(std::malloc(size + kHeader));
  if (block == nullptr) throw std::bad_alloc();
  *reinterpret_cast<std::size_t*>(block) = size;
  const std::int64_t now = live_bytes += std::int64_t(size);
  for (std::int64_t peak = peak_bytes;
       now > peak && !peak_bytes.compare_exchange_weak(peak, now);) {
  }
  return block + kHeader;
}

void operator delete(void* pointer) noexcept {
  if (pointer == nullptr) return;
  char* block = static_cast<char*>(pointer) - kHeader;
  live_bytes -= std::int64_t(*reinterpret_cast<std::size_t*>(block));
  std::free(block);
}

void operator delete(void* pointer, std::size_t) noexcept {
  operator delete(pointer);
}

namespace kestrel {
namespace {

constexpr int kSprites = 2500;
constexpr int kSpriteSize = 64;
constexpr int kScripts = 3000;

struct LargeGame {
  Bytes file;
  std::vector<Bytes> blocks;  // every compressed block of the body, as stored
};

// Pixels with some structure, so they compress about as much as drawn images.
TBitmap32 Image(std::uint32_t seed) {
  TBitmap32 image{kSpriteSize, kSpriteSize, Bytes(kSpriteSize * kSpriteSize * 4)};
  std::uint32_t state = seed * 2654435761u + 1;
  for (std::size_t i = 0; i < image.pixels.size(); i += 4) {
    state = state * 1664525u + 1013904223u;
    const std::uint8_t shade = std::uint8_t((i / 64) + (state >> 29));
    image.pixels[i] = shade;
    image.pixels[i + 1] = std::uint8_t(shade / 2);
    image.pixels[i + 2] = std::uint8_t(seed);
    image.pixels[i + 3] = (state >> 31) ? 255 : 0;
  }
  return image;
}

template <class T>
void CollectBlocks(const ResourceList<T>& list, std::vector<Bytes>& blocks) {
  for (const auto& slot : list.slots()) {
    CStream entry;
    WriteBool(entry, true);
    WriteString(entry, slot.name);
    slot.resource->Save(entry);
    blocks.push_back(Deflate(entry.bytes()));
  }
}

const LargeGame& Game() {
  static const LargeGame game = [] {
    GameData data;
    for (int i = 0; i < kSprites; ++i) {
      CSprite& sprite = data.sprites.add("spr_" + std::to_string(i));
      sprite.images.push_back(Image(std::uint32_t(i)));
      sprite.MakeMasks(false, {});
    }
    for (int i = 0; i < kScripts; ++i) {
      std::string text;
      for (int line = 0; line < 40; ++line)
        text += "var v" + std::to_string(line) + " = argument0 * " + std::to_string(i + line) +
                "; // step " + std::to_string(line) + "\n";
      data.scripts.add("scr_" + std::to_string(i), {text});
    }
    data.rooms.add("room");
    data.room_order = {0};
    LargeGame built;
    built.file = WriteGameData(data);
    CollectBlocks(data.sprites, built.blocks);
    CollectBlocks(data.scripts, built.blocks);
    return built;
  }();
  return game;
}

void BM_LoadLargeGame(benchmark::State& state) {
  const LargeGame& game = Game();
  for (auto _ : state) {
    GameData loaded;
    if (!ReadGame(game.file, loaded).ok) state.SkipWithError("the large game does not load");
    benchmark::DoNotOptimize(loaded);
  }
  state.counters["file_MB"] = double(game.file.size()) / 1e6;
  state.SetBytesProcessed(std::int64_t(state.iterations() * game.file.size()));
}

void BM_InflateSameBlocks(benchmark::State& state) {
  const LargeGame& game = Game();
  for (auto _ : state) {
    std::size_t total = 0;
    for (const Bytes& block : game.blocks) {
      Bytes out;
      Inflate(block, out);
      total += out.size();
    }
    benchmark::DoNotOptimize(total);
  }
  state.SetBytesProcessed(std::int64_t(state.iterations() * Game().file.size()));
}

// The heap one load holds at its worst, beside what the loaded game keeps and
// the file it was read from.
void BM_PeakMemoryOfOneLoad(benchmark::State& state) {
  const LargeGame& game = Game();
  for (auto _ : state) {
    Bytes file = game.file;
    const std::int64_t before = live_bytes;
    peak_bytes = before;
    GameData loaded;
    ReadGame(std::move(file), loaded);
    state.counters["kept_MB"] = double(live_bytes - before + std::int64_t(game.file.size())) / 1e6;
    state.counters["peak_MB"] = double(peak_bytes - before + std::int64_t(game.file.size())) / 1e6;
  }
  state.counters["file_MB"] = double(game.file.size()) / 1e6;
}

BENCHMARK(BM_LoadLargeGame)->Unit(benchmark::kMillisecond)->MinTime(2);
BENCHMARK(BM_InflateSameBlocks)->Unit(benchmark::kMillisecond)->MinTime(2);
BENCHMARK(BM_PeakMemoryOfOneLoad)->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace
}  // namespace kestrel
