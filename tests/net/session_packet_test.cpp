#include "net/session_packet.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "net/message_queue.h"

namespace kestrel {
namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes header(std::uint8_t kind, std::int32_t id, std::uint8_t is_string) {
  Bytes bytes{kind, 0, 0, 0, 0, is_string};
  std::memcpy(&bytes[1], &id, 4);
  return bytes;
}
Bytes with_length(Bytes bytes, std::int32_t length, std::size_t characters) {
  const auto* p = reinterpret_cast<const std::uint8_t*>(&length);
  bytes.insert(bytes.end(), p, p + 4);
  bytes.insert(bytes.end(), characters, 'x');
  return bytes;
}

TEST(SessionPacket, RealsAndStringsKeepTheirLayout) {
  const Bytes real = encode_session_packet({true, 7, RValue(2.5)});
  Bytes expected = header(1, 7, 0);
  const double value = 2.5;
  expected.insert(expected.end(), reinterpret_cast<const std::uint8_t*>(&value),
                  reinterpret_cast<const std::uint8_t*>(&value) + 8);
  EXPECT_EQ(real, expected);

  const Bytes text = encode_session_packet({false, -3, RValue(std::string_view("hi"))});
  EXPECT_EQ(text, (Bytes{0, 0xfd, 0xff, 0xff, 0xff, 1, 2, 0, 0, 0, 'h', 'i'}));
  const auto decoded = decode_session_packet(text);
  ASSERT_TRUE(decoded);
  EXPECT_FALSE(decoded->is_message);
  EXPECT_EQ(decoded->id, -3);
  EXPECT_EQ(decoded->value.str(), "hi");
}

TEST(SessionPacket, LongStringsAreCutToTheirFirst32000Characters) {
  std::string long_text(40000, 'a');
  long_text[31999] = 'z';
  const Bytes bytes = encode_session_packet({true, 1, RValue(std::string_view(long_text))});
  EXPECT_EQ(bytes.size(), 32010u);
  const auto decoded = decode_session_packet(bytes);
  ASSERT_TRUE(decoded);
  EXPECT_EQ(decoded->value.str(), long_text.substr(0, 32000));
}

TEST(SessionPacket, MalformedPacketsAreRefused) {
  const struct {
    const char* what;
    Bytes bytes;
  } cases[] = {
      {"empty", {}},
      {"cut in the header", {1, 0, 0}},
      {"unknown kind", with_length(header(2, 0, 1), 1, 1)},
      {"unknown value flag", with_length(header(1, 0, 2), 1, 1)},
      {"real cut short", header(1, 0, 0)},
      {"real with bytes after it", Bytes(15, 0)},
      {"string without its length", header(1, 0, 1)},
      {"negative length", with_length(header(1, 0, 1), -1, 0)},
      {"length past the end", with_length(header(1, 0, 1), 5, 4)},
      {"bytes after the string", with_length(header(1, 0, 1), 3, 4)},
      {"string over 32000", with_length(header(1, 0, 1), 32001, 32001)},
  };
  for (const auto& c : cases) EXPECT_FALSE(decode_session_packet(c.bytes)) << c.what;
  EXPECT_TRUE(decode_session_packet(with_length(header(1, 0, 1), 32000, 32000)));
  EXPECT_TRUE(decode_session_packet(with_length(header(0, 0, 1), 0, 0)));
}

SessionMessage message(std::int32_t player, std::int32_t id) {
  return {player, id, RValue(static_cast<double>(id))};
}

TEST(MessageQueue, TakesTheOldestMessageOfTheSender) {
  MessageQueue queue;
  queue.append(message(5, 1));
  queue.append(message(6, 2));
  queue.append(message(5, 3));
  EXPECT_EQ(queue.count(0), 3);
  EXPECT_EQ(queue.count(5), 2);
  EXPECT_EQ(queue.count(-1), 0);
  SessionMessage taken;
  EXPECT_FALSE(queue.take(-1, taken));
  ASSERT_TRUE(queue.take(6, taken));
  EXPECT_EQ(taken.id, 2);
  ASSERT_TRUE(queue.take(0, taken));
  EXPECT_EQ(taken.id, 1);
  queue.clear(5);
  EXPECT_EQ(queue.count(0), 0);
  EXPECT_FALSE(queue.take(0, taken));
}

TEST(MessageQueue, FullQueueDropsNewMessagesUntilOnesAreTaken) {
  MessageQueue queue;
  for (int i = 0; i < MessageQueue::kCapacity; ++i) ASSERT_TRUE(queue.append(message(1, i)));
  EXPECT_FALSE(queue.append(message(1, -1)));
  SessionMessage taken;
  // Taking one from the middle frees its slot once the queue is compacted.
  ASSERT_TRUE(queue.take(1, taken));
  EXPECT_EQ(taken.id, 0);
  EXPECT_TRUE(queue.append(message(2, 9000)));
  EXPECT_FALSE(queue.append(message(2, 9001)));
  EXPECT_EQ(queue.count(0), MessageQueue::kCapacity);
  ASSERT_TRUE(queue.take(2, taken));
  EXPECT_EQ(taken.id, 9000);
  ASSERT_TRUE(queue.take(0, taken));
  EXPECT_EQ(taken.id, 1);
}

}  // namespace
}  // namespace kestrel
