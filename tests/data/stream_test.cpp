#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "data/Support_File.h"
#include "data/Support_Stream.h"

namespace kestrel {
namespace {

CStream StreamOfInts(std::initializer_list<std::int32_t> values) {
  CStream stream;
  for (auto value : values) WriteInt(stream, value);
  stream.seek(0);
  return stream;
}

TEST(StreamTest, BoolIsTrueOnlyAboveZero) {
  CStream stream = StreamOfInts({2, -1, 0, 1});
  EXPECT_TRUE(ReadBool(stream));
  EXPECT_FALSE(ReadBool(stream));
  EXPECT_FALSE(ReadBool(stream));
  EXPECT_TRUE(ReadBool(stream));
  EXPECT_FALSE(stream.failed());
}

TEST(StreamTest, EmptyAndNegativeLengthStringsReadEmpty) {
  CStream stream = StreamOfInts({0, -5, 7});
  EXPECT_EQ(ReadString(stream), "");
  EXPECT_EQ(ReadString(stream), "");
  EXPECT_FALSE(stream.failed());
  EXPECT_EQ(ReadString(stream), "");  // 7 bytes announced, none there
  EXPECT_TRUE(stream.failed());
}

TEST(StreamTest, FieldsRoundTrip) {
  CStream stream;
  WriteInt(stream, -123456);
  WriteReal(stream, 0.1);
  WriteBool(stream, true);
  WriteString(stream, "h\xE9llo");
  WriteBlock(stream, Bytes{1, 2, 3});
  WriteCompressedBlock(stream, Bytes(1000, 7));
  stream.seek(0);
  EXPECT_EQ(ReadInt(stream), -123456);
  EXPECT_EQ(ReadReal(stream), 0.1);
  EXPECT_TRUE(ReadBool(stream));
  EXPECT_EQ(ReadString(stream), "h\xE9llo");
  EXPECT_EQ(ReadBlock(stream).bytes(), (Bytes{1, 2, 3}));
  CStream inflated = ReadCompressedBlock(stream);
  EXPECT_EQ(inflated.bytes(), Bytes(1000, 7));
  EXPECT_EQ(inflated.position(), 0u);
  EXPECT_EQ(stream.remaining(), 0u);
  EXPECT_FALSE(stream.failed());
}

TEST(StreamTest, ReadingPastTheEndFailsAndGivesZeros) {
  CStream stream(Bytes{1, 2});
  EXPECT_EQ(ReadInt(stream), 0);
  EXPECT_TRUE(stream.failed());
  EXPECT_EQ(ReadReal(stream), 0.0);
}

TEST(StreamTest, CompressedBlockOfLengthZeroIsEmpty) {
  CStream stream = StreamOfInts({0, 42});
  EXPECT_EQ(ReadCompressedBlock(stream).size(), 0u);
  EXPECT_EQ(stream.position(), 4u);
  EXPECT_EQ(ReadInt(stream), 42);
}

TEST(StreamTest, BrokenCompressedBlocksFailTheSource) {
  Bytes good = Deflate(Bytes(100, 9));
  Bytes flipped = good;
  flipped[flipped.size() / 2] ^= 0x55;
  Bytes truncated(good.begin(), good.end() - 3);
  for (const Bytes& content : {flipped, truncated, Bytes{1, 2, 3, 4}}) {
    CStream stream;
    WriteBlock(stream, content);
    stream.seek(0);
    ReadCompressedBlock(stream);
    EXPECT_TRUE(stream.failed());
  }
}

TEST(StreamTest, HexForms) {
  CStream stream(Bytes{0, 171, 10});
  EXPECT_EQ(StreamToHex(stream), "00AB0A");
  HexToStream(stream, "0a1");
  EXPECT_EQ(stream.bytes(), Bytes{10});
  HexToStream(stream, "ffFE");
  EXPECT_EQ(stream.bytes(), (Bytes{255, 254}));
  EXPECT_EQ(stream.position(), 0u);
}

TEST(StreamTest, ScrambledBodyRoundTrips) {
  for (std::size_t size : {0, 1, 2, 255, 256, 257, 5000}) {
    Bytes body(size);
    for (std::size_t i = 0; i < size; ++i) body[i] = std::uint8_t(i * 37 + 11);
    const ScrambleKey key = MakeScrambleKey(std::uint32_t(size) + 3);
    CStream stream;
    ScrambleGameData(stream, body, key);
    stream.seek(0);
    ScrambleKey read_key;
    CStream unscrambled = UnscrambleGameData(stream, &read_key);
    EXPECT_FALSE(stream.failed());
    EXPECT_EQ(unscrambled.bytes(), body) << size;
    EXPECT_EQ(read_key, key);
  }
}

TEST(StreamTest, UnscramblingFollowsTheStoredTable) {
  // A hand-made body: no padding, table T[i] = 255 - i, two stored bytes.
  CStream stream;
  WriteInt(stream, 0);
  WriteInt(stream, 0);
  for (int i = 0; i < 256; ++i) {
    const std::uint8_t value = std::uint8_t(255 - i);
    stream.write(&value, 1);
  }
  WriteInt(stream, 2);
  const std::uint8_t stored[] = {10, 200};
  stream.write(stored, 2);
  stream.seek(0);
  CStream body = UnscrambleGameData(stream);
  // M[1] = (U[200] - 10 - 1) mod 256 = 44; then i = 1 swaps with j = max(1 - 254, 0) = 0.
  EXPECT_EQ(body.bytes(), (Bytes{44, 10}));
}

TEST(StreamTest, SeededTableIsInvertedByTheReader) {
  for (std::int32_t seed : {0, 1, 249, 250, 123456, -7, -2147483647 - 1, 2147483647}) {
    Bytes original(300);
    for (std::size_t i = 0; i < original.size(); ++i) original[i] = std::uint8_t(i);
    Bytes bytes = original;
    ApplySeededTable(bytes, seed, 5, 0, /*inverse=*/false);
    EXPECT_EQ(Bytes(bytes.begin(), bytes.begin() + 5),
              Bytes(original.begin(), original.begin() + 5));
    EXPECT_EQ(bytes[256], 0) << "the value 0 always maps to itself";
    ApplySeededTable(bytes, seed, 5, 0);
    EXPECT_EQ(bytes, original) << seed;
  }
}

Bytes MakeBmp(int width, int height, int bits, std::vector<std::uint8_t> rows,
              std::vector<std::uint8_t> palette = {}) {
  CStream file;
  file.write("BM", 2);
  WriteInt(file, 0);
  WriteInt(file, 0);
  WriteInt(file, std::int32_t(14 + 40 + palette.size()));
  WriteInt(file, 40);
  WriteInt(file, width);
  WriteInt(file, height);
  const std::uint16_t planes = 1, bit_count = std::uint16_t(bits);
  file.write(&planes, 2);
  file.write(&bit_count, 2);
  for (int i = 0; i < 4; ++i) WriteInt(file, 0);
  WriteInt(file, std::int32_t(palette.size() / 4));
  WriteInt(file, 0);
  file.write(palette);
  file.write(rows);
  return file.release();
}

TEST(StreamTest, BitmapFieldsDecodeBmpFiles) {
  // 2 x 2, 24 bits, bottom-up: rows padded to 8 bytes.
  Bytes bmp = MakeBmp(2, 2, 24, {1, 2, 3, 4, 5, 6, 0, 0, 7, 8, 9, 10, 11, 12, 0, 0});
  CStream stream;
  WriteBool(stream, true);
  WriteCompressedBlock(stream, bmp);
  WriteBool(stream, false);
  WriteBool(stream, true);
  WriteCompressedBlock(stream, Bytes{'B', 'M', 0});
  stream.seek(0);
  auto image = ReadBitmap(stream);
  ASSERT_TRUE(image);
  EXPECT_EQ(image->width, 2);
  EXPECT_EQ(image->pixels, (Bytes{7, 8, 9, 255, 10, 11, 12, 255, 1, 2, 3, 255, 4, 5, 6, 255}));
  EXPECT_FALSE(ReadBitmap(stream));
  EXPECT_FALSE(ReadBitmap(stream)) << "an undecodable file is treated as absent";
  EXPECT_FALSE(stream.failed());
}

TEST(StreamTest, PaletteBmpAndOversizedHeaders) {
  auto image = DecodeBmp(MakeBmp(3, -1, 8, {1, 0, 1, 0}, {0, 0, 0, 0, 50, 60, 70, 0}));
  ASSERT_TRUE(image);
  EXPECT_EQ(image->pixels, (Bytes{50, 60, 70, 255, 0, 0, 0, 255, 50, 60, 70, 255}));
  EXPECT_FALSE(DecodeBmp(MakeBmp(100000, 100000, 32, {1, 2, 3, 4})));
  EXPECT_FALSE(DecodeBmp(MakeBmp(2147483647, 2147483647, 32, {1, 2, 3, 4})));
}

class TempDirectoryTest : public testing::Test {
 protected:
  void SetUp() override {
    root_ =
        std::filesystem::temp_directory_path() /
        ("kestrel_temp_test_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
         testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::remove_all(root_);
    std::filesystem::create_directories(root_ / "exe");
  }
  void TearDown() override { std::filesystem::remove_all(root_); }
  std::filesystem::path root_;
};

TEST_F(TempDirectoryTest, BaseComesFromTempdirTxtThenEnvironment) {
  TempDirectoryPlaces places;
  places.executable_folder = root_ / "exe";
  places.environment = [this](const char* name) -> const char* {
    static std::string value;
    value = (root_ / "from_env").string();
    return std::string_view(name) == "temp" ? value.c_str() : nullptr;
  };
  {
    TempDirectory directory = TempDirectory::Create(places);
    ASSERT_TRUE(directory.created());
    EXPECT_EQ(directory.path().parent_path(), root_ / "from_env");
    EXPECT_TRUE(directory.path().filename().string().starts_with("qz_ttt_"));
  }
  std::ofstream(root_ / "exe" / "tempdir.txt") << (root_ / "chosen").string() << "\r\nignored\n";
  TempDirectory directory = TempDirectory::Create(places);
  ASSERT_TRUE(directory.created());
  EXPECT_EQ(directory.path().parent_path(), root_ / "chosen");
}

TEST_F(TempDirectoryTest, FallsBackAndRemovesEverythingAtTheEnd) {
  std::ofstream(root_ / "blocker") << "a file where a folder would go";
  TempDirectoryPlaces places;
  places.environment = [this](const char*) -> const char* {
    static std::string value;
    value = (root_ / "blocker").string();
    return value.c_str();
  };
  places.system_temp = root_ / "system";
  std::filesystem::path made;
  {
    TempDirectory directory = TempDirectory::Create(places);
    ASSERT_TRUE(directory.created());
    made = directory.path();
    EXPECT_EQ(made.parent_path(), root_ / "system");
    const auto file = directory.UniqueTempFileName(".wav");
    EXPECT_EQ(file.extension(), ".wav");
    EXPECT_TRUE(file.filename().string().starts_with("a"));
    std::filesystem::create_directories(made / "sub");
    std::ofstream(made / "sub" / "x.txt") << "x";
    std::ofstream(file) << "y";
    EXPECT_NE(directory.UniqueTempFileName(".wav"), file);
  }
  EXPECT_FALSE(std::filesystem::exists(made));

  places.system_temp = root_ / "blocker";
  EXPECT_FALSE(TempDirectory::Create(places).created());
}

}  // namespace
}  // namespace kestrel
