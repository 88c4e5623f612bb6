#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "data/bitmap32.h"

namespace kestrel {

using Bytes = std::vector<std::uint8_t>;

// A growable in-memory byte stream. Reading past the end, or a block that does
// not inflate, marks the stream as failed instead of throwing: every later read
// gives zeros, so a reader checks failed() once where the game reader would
// have caught a stream error.
class CStream {
 public:
  CStream() = default;
  explicit CStream(Bytes bytes) : buffer_(std::move(bytes)) {}

  std::size_t size() const { return buffer_.size(); }
  std::size_t position() const { return position_; }
  std::size_t remaining() const { return buffer_.size() - position_; }
  void seek(std::size_t position) { position_ = position < size() ? position : size(); }

  const Bytes& bytes() const { return buffer_; }
  Bytes& bytes() { return buffer_; }
  Bytes release();

  bool failed() const { return failed_; }
  void fail();
  void clear_failure() { failed_ = false; }

  // The next n bytes without copying them; empty (and the stream failed) when
  // fewer remain. The view lives as long as the buffer is not changed.
  std::span<const std::uint8_t> read_span(std::size_t n);
  bool read(void* destination, std::size_t n);
  bool skip(std::int64_t n);
  void write(const void* source, std::size_t n);
  void write(std::span<const std::uint8_t> source) { write(source.data(), source.size()); }

 private:
  Bytes buffer_;
  std::size_t position_ = 0;
  bool failed_ = false;
};

// The number that marks the start of game data and of resource files.
inline constexpr std::int32_t GameDataMarker = 1234321;

std::int32_t ReadInt(CStream& stream);
double ReadReal(CStream& stream);
bool ReadBool(CStream& stream);
std::string ReadString(CStream& stream);
CStream ReadBlock(CStream& stream);
// Inflates the block; a zlib error fails the source stream.
CStream ReadCompressedBlock(CStream& stream);
// The BMP file of a bitmap field as stored, or none when the flag is clear.
std::optional<Bytes> ReadBitmapFile(CStream& stream);
// A bitmap field decoded; none when absent or when the BMP cannot be decoded.
std::optional<TBitmap32> ReadBitmap(CStream& stream);

void WriteInt(CStream& stream, std::int32_t value);
void WriteReal(CStream& stream, double value);
void WriteBool(CStream& stream, bool value);
void WriteString(CStream& stream, std::string_view value);
void WriteBlock(CStream& stream, std::span<const std::uint8_t> content);
void WriteCompressedBlock(CStream& stream, std::span<const std::uint8_t> content);
void WriteBitmapFile(CStream& stream, const std::optional<Bytes>& bmp_file);

// zlib helpers shared by the blocks, the tools and the benchmark.
bool Inflate(std::span<const std::uint8_t> compressed, Bytes& out);
Bytes Deflate(std::span<const std::uint8_t> content);

// Windows BMP files (uncompressed 1, 4, 8, 24 and 32 bits per pixel).
std::optional<TBitmap32> DecodeBmp(std::span<const std::uint8_t> file);

std::string StreamToHex(const CStream& stream);
void HexToStream(CStream& stream, std::string_view text);

// The parameters of the scrambled game data body, kept so that a game can be
// written back exactly as it was read.
struct ScrambleKey {
  std::vector<std::int32_t> padding_before;   // the a ints before the table
  std::array<std::uint8_t, 256> table = [] {  // T, a permutation of 0..255
    std::array<std::uint8_t, 256> identity;
    for (int i = 0; i < 256; ++i) identity[i] = std::uint8_t(i);
    return identity;
  }();
  std::vector<std::int32_t> padding_after;  // the b ints after the table

  bool operator==(const ScrambleKey&) const = default;
};

// Reads the scrambled body from the stream's position. The key, when given,
// receives the stored parameters.
CStream UnscrambleGameData(CStream& stream, ScrambleKey* key = nullptr);
// The exact inverse: appends the scrambled form of `body` to the stream.
void ScrambleGameData(CStream& stream, std::span<const std::uint8_t> body, const ScrambleKey& key);
// A scramble key drawn deterministically from a seed, for reproducible builds.
ScrambleKey MakeScrambleKey(std::uint32_t seed);

// The byte substitution of extension package files: `inverse` false maps
// through the seeded permutation (writing), true through its inverse (reading).
void ApplySeededTable(Bytes& bytes, std::int32_t seed, std::int64_t start, std::int64_t count,
                      bool inverse = true);
inline void ApplySeededTable(CStream& stream, std::int32_t seed, std::int64_t start,
                             std::int64_t count) {
  ApplySeededTable(stream.bytes(), seed, start, count, true);
}

}  // namespace kestrel
