#include "net/multiplayer_session.h"

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <deque>

#include "net/session_packet.h"

namespace kestrel {
namespace {

class SessionTraffic : public ::testing::Test {
 protected:
  void SetUp() override {
    session_.open_transport = [this](const std::string&, std::uint16_t) {
      return platform::open_null_session_transport(arriving_, {{2, "two"}});
    };
    ASSERT_TRUE(session_.connect_tcpip("127.0.0.1:2000"));
    ASSERT_TRUE(session_.create_session({}, "test", 0, "one"));
  }
  void arrive(std::int32_t sender, const SessionPacket& packet) {
    arriving_.push_back({sender, encode_session_packet(packet)});
  }

  std::deque<platform::ReceivedPacket> arriving_;
  MultiplayerSession session_;
};

TEST_F(SessionTraffic, MalformedAndOutOfRangePacketsAreDroppedAndCounted) {
  arrive(2, {true, 7, RValue(1.5)});
  arriving_.push_back({2, {1, 0, 0}});                   // cut short
  arrive(2, {false, kMaxSharedIndex + 1, RValue(4.0)});  // past the shared data
  arrive(2, {false, -1, RValue(4.0)});
  arrive(0, {true, 8, RValue(2.0)});  // from the system, not a player
  arrive(2, {false, 3, RValue(std::string_view("shared"))});
  EXPECT_EQ(session_.read_data(3).str(), "shared");
  EXPECT_EQ(session_.dropped_packets(), 3u);
  EXPECT_EQ(session_.count_messages(0), 1);
  ASSERT_TRUE(session_.receive_message(2));
  EXPECT_EQ(session_.current_message().id, 7);
  EXPECT_EQ(session_.current_sender_name(), "two");
}

TEST_F(SessionTraffic, MessagesBeyondTheQueueAreDropped) {
  for (int i = 0; i <= MessageQueue::kCapacity; ++i) arrive(2, {true, i, RValue(0.0)});
  EXPECT_EQ(session_.count_messages(2), MessageQueue::kCapacity);
  EXPECT_EQ(session_.dropped_packets(), 1u);
  session_.clear_messages(0);
  EXPECT_EQ(session_.count_messages(0), 0);
}

TEST_F(SessionTraffic, SharedDataOnlyWithinItsIndices) {
  EXPECT_FALSE(session_.write_data(kMaxSharedIndex + 1, RValue(1.0)));
  EXPECT_FALSE(session_.write_data(-1, RValue(1.0)));
  EXPECT_TRUE(session_.write_data(kMaxSharedIndex, RValue(5.0)));
  EXPECT_EQ(session_.read_data(kMaxSharedIndex).real(), 5);
  EXPECT_EQ(session_.read_data(12).real(), 0);
  EXPECT_FALSE(session_.send_message(9, 1, RValue(1.0), true));
  session_.end();
  EXPECT_FALSE(session_.write_data(1, RValue(1.0)));
  EXPECT_EQ(session_.connection(), kNotConnected);
  EXPECT_EQ(session_.session(), kNoSession);
}

TEST(MultiplayerAddress, PortFollowsTheColon) {
  const struct {
    const char* address;
    const char* host;
    std::uint16_t port;
  } cases[] = {
      {"", "", platform::kDefaultSessionPort},
      {"games.example:2000", "games.example", 2000},
      {"10.0.0.5", "10.0.0.5", platform::kDefaultSessionPort},
      {":3100", "", 3100},
      {"h:0", "h", platform::kDefaultSessionPort},
      {"h:99999", "h", platform::kDefaultSessionPort},
  };
  for (const auto& c : cases) {
    MultiplayerSession session;
    std::string host;
    std::uint16_t port = 0;
    session.open_transport = [&](const std::string& h, std::uint16_t p) {
      host = h;
      port = p;
      return nullptr;
    };
    EXPECT_FALSE(session.connect_tcpip(c.address));
    EXPECT_EQ(host, c.host) << c.address;
    EXPECT_EQ(port, c.port) << c.address;
    EXPECT_EQ(session.connection(), kNotConnected);
  }
}

// Whether this process could take the UDP port on the loopback address.
bool port_free(std::uint16_t port) {
  const int fd = socket(AF_INET, SOCK_DGRAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(port);
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  const bool bound = bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
  close(fd);
  return bound;
}

// Only the host of a session listens on the session's port, and only while
// the session lasts.
TEST(UdpSession, OnlyAHostListensOnTheSessionPort) {
  const std::uint16_t port = static_cast<std::uint16_t>(30000 + getpid() % 20000);
  ASSERT_TRUE(port_free(port));
  MultiplayerSession session;
  ASSERT_TRUE(session.connect_tcpip("127.0.0.1:" + std::to_string(port)));
  session.count_messages(0);
  session.read_data(0);
  EXPECT_TRUE(port_free(port));
  ASSERT_TRUE(session.create_session({}, "alone", 0, "host"));
  EXPECT_FALSE(port_free(port));
  EXPECT_EQ(session.find_players(), 1);
  EXPECT_TRUE(session.send_message(0, 1, RValue(1.0), true));
  session.end_session();
  session.count_messages(0);
  EXPECT_TRUE(port_free(port));
}

}  // namespace
}  // namespace kestrel
