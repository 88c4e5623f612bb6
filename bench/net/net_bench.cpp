// Messages per second and round-trip time between two processes on the
// loopback address: through the multiplayer session (packets as games send
// them, queued and decoded) beside bare ENet carrying the same bytes. A child
// process echoes every packet back; the parent measures.
//
// usage: net_bench [MESSAGES]   (default 20000)
#include <enet/enet.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "net/multiplayer_session.h"
#include "net/session_packet.h"

namespace {

using namespace kestrel;
using Clock = std::chrono::steady_clock;

constexpr std::uint16_t kSessionPort = 47710;
constexpr std::uint16_t kBarePort = 47711;
constexpr int kRoundTrips = 2000;
constexpr std::int32_t kStop = -1;
// Messages sent and not yet echoed, well below the 4000 that a session queues.
constexpr int kInFlight = 1000;
// Nothing here waits longer than this for the other side.
constexpr std::chrono::seconds kPatience{60};

const std::string kAddress = "127.0.0.1:" + std::to_string(kSessionPort);
const RValue kPayload(std::string_view("a message of a typical length: x=120 y=348"));

bool patience_over(Clock::time_point start) {
  return Clock::now() - start >= kPatience;
}

double seconds_since(Clock::time_point start) {
  return std::chrono::duration<double>(Clock::now() - start).count();
}

// --- Through the session ---

void session_echo() {
  MultiplayerSession session;
  session.connect_tcpip(kAddress);
  if (!session.create_session({}, "bench", 2, "echo")) std::exit(1);
  const Clock::time_point start = Clock::now();
  while (Clock::now() - start < kPatience) {
    if (!session.receive_message(0)) continue;
    const SessionMessage& m = session.current_message();
    if (m.id == kStop) break;
    session.send_message(m.player, m.id, m.value, true);
  }
  session.end();
}

// The median of the round trips, which a busy machine's scheduling pauses
// disturb less than the mean.
template <class RoundTrip>
double median_round_trip(RoundTrip round_trip) {
  std::vector<double> times;
  for (int i = 0; i < kRoundTrips; ++i) {
    const Clock::time_point start = Clock::now();
    round_trip(i);
    times.push_back(seconds_since(start) * 1e6);
  }
  std::nth_element(times.begin(), times.begin() + kRoundTrips / 2, times.end());
  return times[kRoundTrips / 2];
}

struct Result {
  double messages_per_second = 0;
  double round_trip_microseconds = 0;
};

Result session_measure(int messages) {
  MultiplayerSession session;
  session.connect_tcpip(kAddress);
  for (int i = 0; i < 50 && session.find_sessions({}) == 0; ++i) usleep(100000);
  if (!session.join_session(0, "measure")) std::exit(1);
  Result result;
  Clock::time_point start = Clock::now();
  result.round_trip_microseconds = median_round_trip([&](int i) {
    session.send_message(0, i, kPayload, true);
    while (!session.receive_message(0) && !patience_over(start)) {
    }
  });
  start = Clock::now();
  int echoed = 0;
  for (int sent = 0; sent < messages && !patience_over(start);) {
    if (sent - echoed < kInFlight) session.send_message(0, sent++, kPayload, true);
    while (session.receive_message(0)) ++echoed;
  }
  while (echoed < messages && !patience_over(start)) {
    if (session.receive_message(0)) ++echoed;
  }
  result.messages_per_second = echoed / seconds_since(start);
  session.send_message(0, kStop, RValue(), true);
  session.end();
  return result;
}

// --- Bare ENet with the same bytes ---

void send_bytes(ENetPeer* peer, const std::vector<std::uint8_t>& bytes) {
  enet_peer_send(peer, 0,
                 enet_packet_create(bytes.data(), bytes.size(), ENET_PACKET_FLAG_RELIABLE));
}

void bare_echo() {
  ENetAddress address{ENET_HOST_ANY, kBarePort};
  enet_address_set_host(&address, "127.0.0.1");
  ENetHost* host = enet_host_create(&address, 2, 3, 0, 0);
  if (!host) std::exit(1);
  const Clock::time_point start = Clock::now();
  ENetEvent event;
  bool stop = false;
  while (!stop && Clock::now() - start < kPatience) {
    while (enet_host_service(host, &event, 0) > 0) {
      if (event.type != ENET_EVENT_TYPE_RECEIVE) continue;
      const auto packet = decode_session_packet({event.packet->data, event.packet->dataLength});
      stop = packet && packet->id == kStop;
      if (!stop) {
        enet_peer_send(event.peer, 0, event.packet);
        enet_host_flush(host);
      } else {
        enet_packet_destroy(event.packet);
      }
    }
  }
  enet_host_destroy(host);
}

Result bare_measure(int messages) {
  ENetHost* client = enet_host_create(nullptr, 1, 3, 0, 0);
  ENetAddress address{0, kBarePort};
  enet_address_set_host(&address, "127.0.0.1");
  ENetPeer* peer = nullptr;
  ENetEvent event;
  for (int attempt = 0; attempt < 50 && !peer; ++attempt) {
    ENetPeer* trying = enet_host_connect(client, &address, 3, 0);
    if (enet_host_service(client, &event, 200) > 0 && event.type == ENET_EVENT_TYPE_CONNECT) {
      peer = trying;
    } else {
      enet_peer_reset(trying);
    }
  }
  if (!peer) std::exit(1);
  // Each side decodes what it receives, as the session must.
  auto received = [&] {
    if (enet_host_service(client, &event, 0) <= 0 || event.type != ENET_EVENT_TYPE_RECEIVE)
      return false;
    const auto packet = decode_session_packet({event.packet->data, event.packet->dataLength});
    enet_packet_destroy(event.packet);
    return packet.has_value();
  };
  Result result;
  Clock::time_point start = Clock::now();
  result.round_trip_microseconds = median_round_trip([&](int i) {
    send_bytes(peer, encode_session_packet({true, i, kPayload}));
    enet_host_flush(client);
    while (!received() && !patience_over(start)) {
    }
  });
  start = Clock::now();
  int echoed = 0;
  for (int sent = 0; sent < messages && !patience_over(start);) {
    if (sent - echoed < kInFlight) {
      send_bytes(peer, encode_session_packet({true, sent++, kPayload}));
      enet_host_flush(client);
    }
    while (received()) ++echoed;
  }
  while (echoed < messages && !patience_over(start)) {
    if (received()) ++echoed;
  }
  result.messages_per_second = echoed / seconds_since(start);
  send_bytes(peer, encode_session_packet({true, kStop, RValue()}));
  enet_host_flush(client);
  enet_peer_disconnect_later(peer, 0);
  enet_host_service(client, &event, 100);
  enet_host_destroy(client);
  return result;
}

template <class Echo, class Measure>
Result run_pair(Echo echo, Measure measure, int messages) {
  const pid_t child = fork();
  if (child == 0) {
    echo();
    std::_Exit(0);
  }
  usleep(200000);
  const Result result = measure(messages);
  waitpid(child, nullptr, 0);
  return result;
}

}  // namespace

int main(int argc, char** argv) {
  const int messages = argc > 1 ? std::atoi(argv[1]) : 20000;
  if (enet_initialize() != 0) return 1;
  const Result session = run_pair(session_echo, session_measure, messages);
  const Result bare = run_pair(bare_echo, bare_measure, messages);
  std::printf("%-22s %14s %14s\n", "", "session", "bare ENet");
  std::printf("%-22s %14.0f %14.0f   ratio %.2f\n", "echoed messages/s",
              session.messages_per_second, bare.messages_per_second,
              bare.messages_per_second / session.messages_per_second);
  std::printf("%-22s %14.1f %14.1f   ratio %.2f\n", "median round trip (us)",
              session.round_trip_microseconds, bare.round_trip_microseconds,
              session.round_trip_microseconds / bare.round_trip_microseconds);
  enet_deinitialize();
  return 0;
}
