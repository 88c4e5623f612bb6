#include "data/Support_Stream.h"

#include <zlib.h>

#include <algorithm>
#include <bit>
#include <climits>
#include <cstring>

namespace kestrel {

static_assert(std::endian::native == std::endian::little,
              "the game data is little-endian and is read by copying");

Bytes CStream::release() {
  position_ = 0;
  return std::move(buffer_);
}

void CStream::fail() {
  failed_ = true;
  position_ = buffer_.size();
}

std::span<const std::uint8_t> CStream::read_span(std::size_t n) {
  if (failed_ || n > remaining()) {
    fail();
    return {};
  }
  std::span<const std::uint8_t> view(buffer_.data() + position_, n);
  position_ += n;
  return view;
}

bool CStream::read(void* destination, std::size_t n) {
  auto view = read_span(n);
  if (view.size() != n) {
    std::memset(destination, 0, n);
    return false;
  }
  if (n != 0) std::memcpy(destination, view.data(), n);
  return true;
}

bool CStream::skip(std::int64_t n) {
  if (n <= 0) return !failed_;
  if (std::uint64_t(n) > remaining()) {
    fail();
    return false;
  }
  position_ += std::size_t(n);
  return !failed_;
}

void CStream::write(const void* source, std::size_t n) {
  if (n == 0) return;
  if (position_ + n > buffer_.size()) buffer_.resize(position_ + n);
  std::memcpy(buffer_.data() + position_, source, n);
  position_ += n;
}

std::int32_t ReadInt(CStream& stream) {
  std::int32_t value;
  stream.read(&value, sizeof value);
  return value;
}

double ReadReal(CStream& stream) {
  double value;
  stream.read(&value, sizeof value);
  return value;
}

bool ReadBool(CStream& stream) {
  return ReadInt(stream) > 0;
}

std::string ReadString(CStream& stream) {
  const std::int32_t length = ReadInt(stream);
  if (length <= 0) return {};
  auto view = stream.read_span(std::size_t(length));
  return std::string(view.begin(), view.end());
}

CStream ReadBlock(CStream& stream) {
  const std::int32_t length = ReadInt(stream);
  if (length <= 0) return {};
  auto view = stream.read_span(std::size_t(length));
  return CStream(Bytes(view.begin(), view.end()));
}

CStream ReadCompressedBlock(CStream& stream) {
  const std::int32_t length = ReadInt(stream);
  if (length <= 0) return {};
  auto view = stream.read_span(std::size_t(length));
  Bytes content;
  if (!stream.failed() && !Inflate(view, content)) stream.fail();
  return CStream(std::move(content));
}

std::optional<Bytes> ReadBitmapFile(CStream& stream) {
  if (!ReadBool(stream)) return std::nullopt;
  CStream block = ReadCompressedBlock(stream);
  if (stream.failed()) return std::nullopt;
  return block.release();
}

std::optional<TBitmap32> ReadBitmap(CStream& stream) {
  auto file = ReadBitmapFile(stream);
  if (!file) return std::nullopt;
  return DecodeBmp(*file);
}

void WriteInt(CStream& stream, std::int32_t value) {
  stream.write(&value, sizeof value);
}
void WriteReal(CStream& stream, double value) {
  stream.write(&value, sizeof value);
}
void WriteBool(CStream& stream, bool value) {
  WriteInt(stream, value ? 1 : 0);
}

void WriteString(CStream& stream, std::string_view value) {
  WriteInt(stream, std::int32_t(value.size()));
  stream.write(value.data(), value.size());
}

void WriteBlock(CStream& stream, std::span<const std::uint8_t> content) {
  WriteInt(stream, std::int32_t(content.size()));
  stream.write(content);
}

void WriteCompressedBlock(CStream& stream, std::span<const std::uint8_t> content) {
  WriteBlock(stream, Deflate(content));
}

void WriteBitmapFile(CStream& stream, const std::optional<Bytes>& bmp_file) {
  WriteBool(stream, bmp_file.has_value());
  if (bmp_file) WriteCompressedBlock(stream, *bmp_file);
}

bool Inflate(std::span<const std::uint8_t> compressed, Bytes& out) {
  out.clear();
  z_stream z{};
  if (inflateInit(&z) != Z_OK) return false;
  z.next_in = const_cast<Bytef*>(compressed.data());
  z.avail_in = uInt(std::min<std::size_t>(compressed.size(), UINT_MAX));
  // A first guess from the usual ratio; the buffer only grows as output arrives,
  // so its size stays within twice what the block really holds.
  out.resize(std::max<std::size_t>(compressed.size() * 4, 4096));
  int result = Z_OK;
  while (true) {
    if (z.total_out == out.size()) out.resize(out.size() * 2);
    z.next_out = out.data() + z.total_out;
    z.avail_out = uInt(std::min<std::size_t>(out.size() - z.total_out, UINT_MAX));
    result = inflate(&z, Z_NO_FLUSH);
    if (result == Z_STREAM_END) break;
    if (result != Z_OK && !(result == Z_BUF_ERROR && z.avail_out == 0)) break;
  }
  out.resize(z.total_out);
  inflateEnd(&z);
  if (result != Z_STREAM_END) {
    out.clear();
    out.shrink_to_fit();
    return false;
  }
  return true;
}

Bytes Deflate(std::span<const std::uint8_t> content) {
  uLongf size = compressBound(uLong(content.size()));
  Bytes out(size);
  compress2(out.data(), &size, content.data(), uLong(content.size()), Z_DEFAULT_COMPRESSION);
  out.resize(size);
  return out;
}

namespace {

std::uint32_t LoadU32(std::span<const std::uint8_t> bytes, std::size_t at) {
  std::uint32_t value;
  std::memcpy(&value, bytes.data() + at, 4);
  return value;
}

std::uint16_t LoadU16(std::span<const std::uint8_t> bytes, std::size_t at) {
  std::uint16_t value;
  std::memcpy(&value, bytes.data() + at, 2);
  return value;
}

}  // namespace

std::optional<TBitmap32> DecodeBmp(std::span<const std::uint8_t> file) {
  constexpr std::size_t kFileHeader = 14;
  if (file.size() < kFileHeader + 40 || file[0] != 'B' || file[1] != 'M') return std::nullopt;
  const std::uint32_t pixel_offset = LoadU32(file, 10);
  const std::uint32_t info_size = LoadU32(file, 14);
  if (info_size < 40 || kFileHeader + info_size > file.size()) return std::nullopt;
  const std::int32_t width = std::int32_t(LoadU32(file, 18));
  const std::int32_t stored_height = std::int32_t(LoadU32(file, 22));
  const int bits = LoadU16(file, 28);
  const std::uint32_t compression = LoadU32(file, 30);
  std::uint32_t colours_used = LoadU32(file, 46);
  if (width <= 0 || stored_height == 0 || stored_height == INT32_MIN || compression != 0)
    return std::nullopt;
  if (bits != 1 && bits != 4 && bits != 8 && bits != 24 && bits != 32) return std::nullopt;
  const bool top_down = stored_height < 0;
  const std::int64_t height = top_down ? -std::int64_t(stored_height) : stored_height;
  const std::int64_t stride = (std::int64_t(width) * bits + 31) / 32 * 4;
  if (height > std::int64_t(file.size()) || stride > std::int64_t(file.size())) return std::nullopt;
  // The rows must be in the file, which also bounds the pixel allocation.
  if (pixel_offset > file.size() || stride * height > std::int64_t(file.size() - pixel_offset))
    return std::nullopt;

  std::span<const std::uint8_t> palette;
  if (bits <= 8) {
    if (colours_used == 0 || colours_used > (1u << bits)) colours_used = 1u << bits;
    const std::size_t palette_at = kFileHeader + info_size;
    if (palette_at + colours_used * 4 > file.size()) return std::nullopt;
    palette = file.subspan(palette_at, colours_used * 4);
  }

  TBitmap32 image;
  image.width = width;
  image.height = int(height);
  image.pixels.resize(image.byte_size());
  for (std::int64_t row = 0; row < height; ++row) {
    const std::int64_t source_row = top_down ? row : height - 1 - row;
    const std::uint8_t* source = file.data() + pixel_offset + source_row * stride;
    std::uint8_t* target = image.pixels.data() + row * width * 4;
    for (int x = 0; x < width; ++x, target += 4) {
      if (bits > 8) {
        const std::uint8_t* pixel = source + x * (bits / 8);
        target[0] = pixel[0];
        target[1] = pixel[1];
        target[2] = pixel[2];
      } else {
        const int per_byte = 8 / bits;
        const int shift = (per_byte - 1 - x % per_byte) * bits;
        const unsigned index = (source[x / per_byte] >> shift) & ((1u << bits) - 1);
        if (index >= colours_used) return std::nullopt;
        std::memcpy(target, palette.data() + index * 4, 3);
      }
      target[3] = 255;
    }
  }
  return image;
}

std::string StreamToHex(const CStream& stream) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  std::string text;
  text.reserve(stream.size() * 2);
  for (std::uint8_t byte : stream.bytes()) {
    text += kDigits[byte >> 4];
    text += kDigits[byte & 15];
  }
  return text;
}

namespace {

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return 0;
}

}  // namespace

void HexToStream(CStream& stream, std::string_view text) {
  Bytes bytes;
  bytes.reserve(text.size() / 2);
  for (std::size_t i = 0; i + 1 < text.size(); i += 2)
    bytes.push_back(std::uint8_t(HexDigit(text[i]) * 16 + HexDigit(text[i + 1])));
  stream = CStream(std::move(bytes));
}

namespace {

std::vector<std::int32_t> ReadInts(CStream& stream, std::int32_t count) {
  std::vector<std::int32_t> values;
  if (count <= 0) return values;
  if (std::uint64_t(count) * 4 > stream.remaining()) {
    stream.fail();
    return values;
  }
  values.resize(std::size_t(count));
  stream.read(values.data(), values.size() * 4);
  return values;
}

}  // namespace

CStream UnscrambleGameData(CStream& stream, ScrambleKey* key) {
  const std::int32_t before = ReadInt(stream);
  const std::int32_t after = ReadInt(stream);
  auto padding_before = ReadInts(stream, before);
  std::array<std::uint8_t, 256> table{};
  stream.read(table.data(), table.size());
  auto padding_after = ReadInts(stream, after);
  std::array<std::uint8_t, 256> inverse{};
  for (int i = 0; i < 256; ++i) inverse[table[i]] = std::uint8_t(i);

  const std::int32_t length = ReadInt(stream);
  auto view = stream.read_span(length > 0 ? std::size_t(length) : 0);
  if (stream.failed()) return {};
  Bytes body(view.begin(), view.end());
  const std::size_t n = body.size();
  // Downwards, so body[i - 1] is still the stored byte when body[i] is decoded.
  for (std::size_t i = n > 0 ? n - 1 : 0; i >= 1; --i)
    body[i] = std::uint8_t(inverse[body[i]] - body[i - 1] - std::uint8_t(i));
  for (std::size_t i = n; i-- > 0;) {
    const std::int64_t j = std::max<std::int64_t>(std::int64_t(i) - table[i % 256], 0);
    std::swap(body[i], body[std::size_t(j)]);
  }
  if (key != nullptr) {
    key->padding_before = std::move(padding_before);
    key->table = table;
    key->padding_after = std::move(padding_after);
  }
  return CStream(std::move(body));
}

void ScrambleGameData(CStream& stream, std::span<const std::uint8_t> body, const ScrambleKey& key) {
  WriteInt(stream, std::int32_t(key.padding_before.size()));
  WriteInt(stream, std::int32_t(key.padding_after.size()));
  for (auto value : key.padding_before) WriteInt(stream, value);
  stream.write(key.table.data(), key.table.size());
  for (auto value : key.padding_after) WriteInt(stream, value);

  Bytes scrambled(body.begin(), body.end());
  const std::size_t n = scrambled.size();
  for (std::size_t i = 0; i < n; ++i) {
    const std::int64_t j = std::max<std::int64_t>(std::int64_t(i) - key.table[i % 256], 0);
    std::swap(scrambled[i], scrambled[std::size_t(j)]);
  }
  for (std::size_t i = 1; i < n; ++i)
    scrambled[i] = key.table[std::uint8_t(scrambled[i] + scrambled[i - 1] + std::uint8_t(i))];
  WriteBlock(stream, scrambled);
}

ScrambleKey MakeScrambleKey(std::uint32_t seed) {
  // splitmix32: the same key on every platform for the same seed.
  std::uint32_t state = seed;
  auto next = [&state] {
    std::uint32_t z = (state += 0x9E3779B9u);
    z = (z ^ (z >> 16)) * 0x85EBCA6Bu;
    z = (z ^ (z >> 13)) * 0xC2B2AE35u;
    return z ^ (z >> 16);
  };
  ScrambleKey key;
  key.padding_before.resize(1 + next() % 8);
  for (auto& value : key.padding_before) value = std::int32_t(next());
  for (int i = 0; i < 256; ++i) key.table[i] = std::uint8_t(i);
  for (int i = 255; i > 0; --i) std::swap(key.table[i], key.table[next() % (i + 1)]);
  key.padding_after.resize(1 + next() % 8);
  for (auto& value : key.padding_after) value = std::int32_t(next());
  return key;
}

void ApplySeededTable(Bytes& bytes, std::int32_t seed, std::int64_t start, std::int64_t count,
                      bool inverse) {
  std::int64_t a = seed % 250 + 6;
  std::int64_t b = seed / 250;
  if (a < 0) a += 256;
  if (b < 0) b += 256;
  std::array<std::uint8_t, 256> forward{};
  for (int i = 0; i < 256; ++i) forward[i] = std::uint8_t(i);
  for (std::int64_t i = 1; i <= 10000; ++i) {
    // A very negative seed leaves b negative; the remainder is kept in 0..253
    // so that j always names a table entry.
    std::int64_t j = (i * a + b) % 254;
    if (j < 0) j += 254;
    std::swap(forward[j + 1], forward[j + 2]);
  }
  std::array<std::uint8_t, 256> map{};
  if (inverse) {
    for (int i = 0; i < 256; ++i) map[i] = std::uint8_t(i);
    for (int i = 1; i < 256; ++i) map[forward[i]] = std::uint8_t(i);
  } else {
    map = forward;
  }
  const std::int64_t size = std::int64_t(bytes.size());
  if (start < 0 || start >= size) return;
  if (count <= 0 || count > size - start) count = size - start;
  for (std::int64_t i = start; i < start + count; ++i) bytes[i] = map[bytes[i]];
}

}  // namespace kestrel
