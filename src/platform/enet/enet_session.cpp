#include <enet/enet.h>
#include <netdb.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <optional>
#include <random>
#include <utility>

#include "platform/session_transport.h"

namespace kestrel::platform {
namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

// Game packets travel on the first two channels, exactly as the game's
// multiplayer layer lays them out; the session's own traffic on the third.
enum Channel : enet_uint8 { kGuaranteed = 0, kUnguaranteed = 1, kControl = 2, kChannelCount = 3 };

enum ControlKind : std::uint8_t { kJoin = 1, kWelcome = 2, kRefuse = 3, kHello = 4 };

// Search datagrams go to the host's listening port beside its session traffic.
constexpr std::uint8_t kSearchMagic[4] = {'K', 'S', 'M', 'P'};
constexpr std::uint8_t kSearchAsk = 'F';
constexpr std::uint8_t kSearchOffer = 'O';

constexpr std::size_t kMaxNameLength = 32000;
// Session names are cut to this in answers, which travel as one datagram.
constexpr std::size_t kMaxOfferedName = 1024;
constexpr std::size_t kMaxPacketSize = 64 * 1024;
constexpr std::size_t kMaxPlayers = 64;
constexpr std::size_t kMaxOffers = 64;
// What arrived and was not yet taken is bounded, so that a flood costs
// dropped packets, not memory.
constexpr std::size_t kMaxWaitingPackets = 16384;
constexpr std::size_t kMaxWaitingBytes = 64 * 1024 * 1024;
constexpr int kMaxEventsPerPump = 4096;

constexpr milliseconds kSearchWait{400};
constexpr milliseconds kConnectWait{2000};
constexpr milliseconds kAdmittedWait{5000};
constexpr milliseconds kLeaveWait{1000};
constexpr milliseconds kListenRetry{100};
constexpr milliseconds kListenerInterval{5};
// A player that stops answering (its program killed, its cable pulled) is
// given up after a few seconds of silence.
constexpr enet_uint32 kTimeoutMinimum = 2000;
constexpr enet_uint32 kTimeoutMaximum = 5000;

// --- Control messages, read with every length checked ---

class Writer {
 public:
  Writer& byte(std::uint8_t value) {
    bytes.push_back(value);
    return *this;
  }
  Writer& u16(std::uint16_t value) { return raw(&value, 2); }
  Writer& u32(std::uint32_t value) { return raw(&value, 4); }
  Writer& guid(const SessionGuid& value) { return raw(value.data(), value.size()); }
  Writer& text(const std::string& value, std::size_t limit) {
    const std::size_t length = std::min(value.size(), limit);
    u32(static_cast<std::uint32_t>(length));
    return raw(value.data(), length);
  }
  Writer& raw(const void* data, std::size_t size) {
    const auto* p = static_cast<const std::uint8_t*>(data);
    bytes.insert(bytes.end(), p, p + size);
    return *this;
  }
  std::vector<std::uint8_t> bytes;
};

class Reader {
 public:
  Reader(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
  bool byte(std::uint8_t& value) { return raw(&value, 1); }
  bool u16(std::uint16_t& value) { return raw(&value, 2); }
  bool u32(std::uint32_t& value) { return raw(&value, 4); }
  bool guid(SessionGuid& value) { return raw(value.data(), value.size()); }
  bool text(std::string& value, std::size_t limit) {
    std::uint32_t length = 0;
    if (!u32(length) || length > limit || length > size_ - at_) return false;
    value.assign(reinterpret_cast<const char*>(data_ + at_), length);
    at_ += length;
    return true;
  }
  bool done() const { return at_ == size_; }

 private:
  bool raw(void* out, std::size_t size) {
    if (size > size_ - at_) return false;
    std::memcpy(out, data_ + at_, size);
    at_ += size;
    return true;
  }
  const std::uint8_t* data_;
  std::size_t size_;
  std::size_t at_ = 0;
};

ENetBuffer buffer_of(std::vector<std::uint8_t>& bytes) {
  ENetBuffer buffer;
  buffer.data = bytes.data();
  buffer.dataLength = bytes.size();
  return buffer;
}

bool ensure_enet() {
  static const bool ready = [] {
    if (enet_initialize() != 0) return false;
    std::atexit(enet_deinitialize);
    return true;
  }();
  return ready;
}

void send_control(ENetPeer* peer, const std::vector<std::uint8_t>& bytes) {
  ENetPacket* packet = enet_packet_create(bytes.data(), bytes.size(), ENET_PACKET_FLAG_RELIABLE);
  if (enet_peer_send(peer, kControl, packet) != 0) enet_packet_destroy(packet);
}

ENetHost* make_host(enet_uint32 host, enet_uint16 port, std::size_t peers) {
  ENetAddress address{host, port};
  ENetHost* made = enet_host_create(&address, peers, kChannelCount, 0, 0);
  if (made) made->maximumPacketSize = kMaxPacketSize;
  return made;
}

// A session on a loopback address stays on this machine: its sockets take
// nothing from the network. Any other address listens on every interface.
enet_uint32 loopback_or_any(const std::string& host) {
  ENetAddress address{ENET_HOST_ANY, 0};
  if (host.empty() || enet_address_set_host(&address, host.c_str()) != 0) return ENET_HOST_ANY;
  const auto* bytes = reinterpret_cast<const std::uint8_t*>(&address.host);
  return bytes[0] == 127 ? address.host : ENET_HOST_ANY;
}

class EnetSessionTransport;
// The transport whose listening host is being serviced, for the search
// answers that ENet's raw-datagram hook gives; everything runs on one thread.
EnetSessionTransport* servicing = nullptr;

class EnetSessionTransport final : public SessionTransport {
 public:
  EnetSessionTransport(std::string host, std::uint16_t port)
      : search_host_(std::move(host)), port_(port), bind_host_(loopback_or_any(search_host_)) {}
  ~EnetSessionTransport() override { leave(); }

  std::int32_t create(const SessionSettings& settings, const std::string& player_name) override {
    leave();
    if (!open_mesh()) return 0;
    settings_ = settings;
    std::random_device random;
    for (std::uint8_t& b : instance_) b = static_cast<std::uint8_t>(random());
    own_id_ = 1;
    next_id_ = 2;
    own_name_ = player_name.substr(0, kMaxNameLength);
    if (!open_listener()) {
      leave();
      return 0;
    }
    host_id_ = own_id_;
    return own_id_;
  }

  std::vector<SessionOffer> find(const SessionGuid& game) override;
  std::int32_t join(const SessionOffer& session, const std::string& player_name) override;

  void leave() override {
    if (mesh_ && !players_.empty()) {
      // What was sent still goes out before the others see this player go.
      for (Player& player : players_) enet_peer_disconnect_later(player.peer, 0);
      const Clock::time_point until = Clock::now() + kLeaveWait;
      ENetEvent event;
      std::size_t gone = 0;
      while (gone < players_.size() && Clock::now() < until) {
        if (enet_host_service(mesh_, &event, 10) <= 0) continue;
        if (event.type == ENET_EVENT_TYPE_RECEIVE) enet_packet_destroy(event.packet);
        if (event.type == ENET_EVENT_TYPE_DISCONNECT && player_of(event.peer)) ++gone;
      }
    }
    if (mesh_) enet_host_destroy(mesh_);
    if (listener_) enet_host_destroy(listener_);
    mesh_ = listener_ = nullptr;
    players_.clear();
    connecting_.clear();
    admitted_.clear();
    inbox_.clear();
    waiting_bytes_ = 0;
    own_id_ = host_id_ = 0;
  }

  std::vector<RemotePlayer> players() override {
    pump();
    std::vector<RemotePlayer> list;
    for (const Player& player : players_) list.push_back({player.id, player.name});
    return list;
  }

  bool send(std::int32_t to, bool guaranteed, std::span<const std::uint8_t> bytes) override {
    if (!mesh_) return false;
    if (to == own_id_) {
      keep({own_id_, {bytes.begin(), bytes.end()}});
      return true;
    }
    std::vector<ENetPeer*> peers;
    for (const Player& player : players_) {
      if (to == 0 || player.id == to) peers.push_back(player.peer);
    }
    if (peers.empty()) return to == 0;
    ENetPacket* packet =
        enet_packet_create(bytes.data(), bytes.size(), guaranteed ? ENET_PACKET_FLAG_RELIABLE : 0);
    bool sent = false;
    for (ENetPeer* peer : peers)
      sent |= enet_peer_send(peer, guaranteed ? kGuaranteed : kUnguaranteed, packet) == 0;
    if (packet->referenceCount == 0) enet_packet_destroy(packet);
    enet_host_flush(mesh_);
    return sent;
  }

  std::deque<ReceivedPacket> receive_all() override {
    pump();
    waiting_bytes_ = 0;
    return std::exchange(inbox_, {});
  }

  std::uint64_t dropped() const override { return dropped_; }

  // A search datagram that reached the listening port: answers it when it
  // asks for this game; true when it was one (ENet must not read it).
  bool answer_search(ENetHost* host) {
    Reader in(host->receivedData, host->receivedDataLength);
    std::uint8_t magic[4];
    std::uint8_t kind = 0;
    SessionGuid game{};
    for (std::uint8_t& b : magic) {
      if (!in.byte(b)) return false;
    }
    if (std::memcmp(magic, kSearchMagic, 4) != 0) return false;
    if (!in.byte(kind) || kind != kSearchAsk || !in.guid(game) || !in.done()) {
      ++dropped_;
      return true;
    }
    if (game != settings_.game) return true;
    Writer out;
    out.raw(kSearchMagic, 4).byte(kSearchOffer).guid(settings_.game).guid(instance_);
    out.text(settings_.name, kMaxOfferedName);
    const ENetBuffer buffer = buffer_of(out.bytes);
    enet_socket_send(host->socket, &host->receivedAddress, &buffer, 1);
    return true;
  }

 private:
  struct Player {
    std::int32_t id;
    std::string name;
    ENetPeer* peer;
  };
  // A player the host let in who has not reached it yet.
  struct Admitted {
    std::int32_t id;
    std::string name;
    ENetAddress address;
    Clock::time_point until;
  };
  struct Welcome {
    bool accepted = false;
    std::int32_t id = 0;
    bool migrate_host = false;
    std::uint32_t max_players = 0;
    std::vector<std::pair<RemotePlayer, ENetAddress>> players;
  };

  bool open_mesh() {
    mesh_ = make_host(bind_host_, 0, kMaxPlayers);
    return mesh_ != nullptr;
  }

  bool open_listener() {
    listener_ = make_host(bind_host_, port_, kMaxPlayers);
    if (listener_) listener_->intercept = &intercept;
    return listener_ != nullptr;
  }

  static int intercept(ENetHost* host, ENetEvent*) {
    return servicing != nullptr && servicing->answer_search(host) ? 1 : 0;
  }

  void keep(ReceivedPacket packet) {
    if (inbox_.size() >= kMaxWaitingPackets ||
        waiting_bytes_ + packet.bytes.size() > kMaxWaitingBytes) {
      ++dropped_;
      return;
    }
    waiting_bytes_ += packet.bytes.size();
    inbox_.push_back(std::move(packet));
  }

  Player* player_of(ENetPeer* peer) {
    for (Player& player : players_) {
      if (player.peer == peer) return &player;
    }
    return nullptr;
  }
  bool known(std::int32_t id) const {
    return id == own_id_ || std::any_of(players_.begin(), players_.end(),
                                        [&](const Player& p) { return p.id == id; });
  }

  // Takes in what arrived on both hosts, a bounded number of events each.
  void pump() {
    keep_listening();
    // Searches and joins can wait a few milliseconds; game packets cannot.
    const Clock::time_point now = Clock::now();
    if (listener_ && now >= next_listener_service_) {
      next_listener_service_ = now + kListenerInterval;
      servicing = this;
      ENetEvent event;
      for (int n = 0; n < kMaxEventsPerPump && enet_host_service(listener_, &event, 0) > 0; ++n)
        on_listener_event(event);
      servicing = nullptr;
      std::erase_if(admitted_, [&](const Admitted& a) { return a.until < now; });
    }
    if (!mesh_) return;
    ENetEvent event;
    for (int n = 0; n < kMaxEventsPerPump && enet_host_service(mesh_, &event, 0) > 0; ++n)
      on_mesh_event(event);
  }

  void on_listener_event(const ENetEvent& event) {
    if (event.type == ENET_EVENT_TYPE_CONNECT) {
      enet_peer_timeout(event.peer, 0, kTimeoutMinimum, kTimeoutMaximum);
    } else if (event.type == ENET_EVENT_TYPE_RECEIVE) {
      admit(event.peer, event.channelID, event.packet);
      enet_packet_destroy(event.packet);
    }
  }

  // A player asking to join: let in with the list of everyone to meet, or refused.
  void admit(ENetPeer* peer, enet_uint8 channel, const ENetPacket* packet) {
    Reader in(packet->data, packet->dataLength);
    std::uint8_t kind = 0;
    SessionGuid instance{};
    std::string name;
    if (channel != kControl || !in.byte(kind) || kind != kJoin || !in.guid(instance) ||
        !in.text(name, kMaxNameLength) || !in.done()) {
      ++dropped_;
      enet_peer_disconnect_later(peer, 0);
      return;
    }
    const std::size_t count = 1 + players_.size() + admitted_.size();
    const bool full =
        (settings_.max_players > 0 && count >= static_cast<std::size_t>(settings_.max_players)) ||
        count >= kMaxPlayers;
    if (instance != instance_ || full) {
      send_control(peer, Writer().byte(kRefuse).bytes);
      enet_peer_disconnect_later(peer, 0);
      return;
    }
    const std::int32_t id = next_id_++;
    ENetAddress own{};
    enet_socket_get_address(mesh_->socket, &own);
    Writer out;
    out.byte(kWelcome).u32(static_cast<std::uint32_t>(id));
    out.byte(settings_.migrate_host ? 1 : 0).u32(static_cast<std::uint32_t>(settings_.max_players));
    out.u32(static_cast<std::uint32_t>(count));
    // The host's own address is the one the joiner reached it on.
    out.u32(static_cast<std::uint32_t>(own_id_))
        .u32(0)
        .u16(own.port)
        .text(own_name_, kMaxNameLength);
    for (const Player& p : players_) {
      out.u32(static_cast<std::uint32_t>(p.id)).u32(p.peer->address.host).u16(p.peer->address.port);
      out.text(p.name, kMaxNameLength);
    }
    for (const Admitted& a : admitted_) {
      out.u32(static_cast<std::uint32_t>(a.id)).u32(a.address.host).u16(a.address.port);
      out.text(a.name, kMaxNameLength);
    }
    admitted_.push_back({id, name, peer->address, Clock::now() + kAdmittedWait});
    send_control(peer, out.bytes);
    enet_peer_disconnect_later(peer, 0);
  }

  void on_mesh_event(const ENetEvent& event) {
    switch (event.type) {
      case ENET_EVENT_TYPE_CONNECT:
        on_connect(event.peer);
        break;
      case ENET_EVENT_TYPE_RECEIVE:
        on_receive(event.peer, event.channelID, event.packet);
        enet_packet_destroy(event.packet);
        break;
      case ENET_EVENT_TYPE_DISCONNECT:
        on_disconnect(event.peer);
        break;
      case ENET_EVENT_TYPE_NONE:
        break;
    }
  }

  void on_connect(ENetPeer* peer) {
    enet_peer_timeout(peer, 0, kTimeoutMinimum, kTimeoutMaximum);
    if (peer == joining_) return;
    // A player this one reached out to while joining: it learns who we are.
    const auto pending = std::find_if(connecting_.begin(), connecting_.end(),
                                      [&](const Player& p) { return p.peer == peer; });
    if (pending == connecting_.end()) return;
    Writer hello;
    hello.byte(kHello).guid(instance_).u32(static_cast<std::uint32_t>(own_id_));
    hello.text(own_name_, kMaxNameLength);
    send_control(peer, hello.bytes);
    players_.push_back(*pending);
    connecting_.erase(pending);
  }

  void on_receive(ENetPeer* peer, enet_uint8 channel, const ENetPacket* packet) {
    if (channel != kControl) {
      const Player* player = player_of(peer);
      if (player == nullptr) {
        ++dropped_;
        return;
      }
      keep({player->id, {packet->data, packet->data + packet->dataLength}});
      return;
    }
    Reader in(packet->data, packet->dataLength);
    std::uint8_t kind = 0;
    if (!in.byte(kind)) {
      ++dropped_;
      return;
    }
    if (peer == joining_ && (kind == kWelcome || kind == kRefuse)) {
      if (!read_welcome(in, kind)) ++dropped_;
      return;
    }
    SessionGuid instance{};
    std::uint32_t id = 0;
    std::string name;
    if (kind != kHello || !in.guid(instance) || !in.u32(id) || !in.text(name, kMaxNameLength) ||
        !in.done() || instance != instance_ || static_cast<std::int32_t>(id) <= 0 ||
        known(static_cast<std::int32_t>(id)) || player_of(peer) != nullptr ||
        players_.size() >= kMaxPlayers) {
      ++dropped_;
      enet_peer_disconnect(peer, 0);
      return;
    }
    players_.push_back({static_cast<std::int32_t>(id), std::move(name), peer});
    std::erase_if(admitted_,
                  [&](const Admitted& a) { return a.id == static_cast<std::int32_t>(id); });
    next_id_ = std::max(next_id_, static_cast<std::int32_t>(id) + 1);
  }

  bool read_welcome(Reader& in, std::uint8_t kind) {
    Welcome welcome;
    if (kind == kWelcome) {
      std::uint32_t id = 0;
      std::uint8_t migrate = 0;
      std::uint32_t count = 0;
      if (!in.u32(id) || !in.byte(migrate) || !in.u32(welcome.max_players) || !in.u32(count) ||
          count > kMaxPlayers) {
        return false;
      }
      welcome.migrate_host = migrate != 0;
      welcome.id = static_cast<std::int32_t>(id);
      for (std::uint32_t i = 0; i < count; ++i) {
        std::uint32_t player = 0;
        ENetAddress address{};
        RemotePlayer remote;
        if (!in.u32(player) || !in.u32(address.host) || !in.u16(address.port) ||
            !in.text(remote.name, kMaxNameLength)) {
          return false;
        }
        remote.id = static_cast<std::int32_t>(player);
        welcome.players.push_back({std::move(remote), address});
      }
      if (!in.done() || welcome.id <= 0) return false;
      welcome.accepted = true;
    }
    welcome_ = std::move(welcome);
    return true;
  }

  void on_disconnect(ENetPeer* peer) {
    std::erase_if(connecting_, [&](const Player& p) { return p.peer == peer; });
    if (peer == joining_) joining_ = nullptr;
    const Player* player = player_of(peer);
    if (player == nullptr) return;
    const std::int32_t id = player->id;
    std::erase_if(players_, [&](const Player& p) { return p.peer == peer; });
    if (id == host_id_) take_over_hosting();
  }

  // The host left: with host migration the remaining player with the lowest
  // id hosts from now on, so that the session can still be found and joined.
  void take_over_hosting() {
    host_id_ = 0;
    if (!settings_.migrate_host) return;
    std::int32_t lowest = own_id_;
    for (const Player& p : players_) lowest = std::min(lowest, p.id);
    host_id_ = lowest;
  }

  // A player who took over hosting listens on the session's port as soon as
  // the old host has let go of it (on this machine that may take a moment).
  void keep_listening() {
    if (own_id_ == 0 || host_id_ != own_id_ || listener_ || Clock::now() < next_listen_try_) return;
    if (!open_listener()) next_listen_try_ = Clock::now() + kListenRetry;
  }

  // Waits, taking in what arrives, until the condition holds or the time is up.
  template <class Condition>
  bool wait_for(Condition done, milliseconds limit) {
    const Clock::time_point until = Clock::now() + limit;
    while (!done()) {
      if (Clock::now() >= until) return false;
      pump();
      if (!done()) usleep(2000);
    }
    return true;
  }

  std::string search_host_;
  std::uint16_t port_;
  enet_uint32 bind_host_;
  SessionSettings settings_;
  SessionGuid instance_{};
  SessionGuid searched_game_{};
  ENetHost* mesh_ = nullptr;
  ENetHost* listener_ = nullptr;
  std::int32_t own_id_ = 0;
  std::int32_t host_id_ = 0;
  std::int32_t next_id_ = 1;
  std::string own_name_;
  std::vector<Player> players_;
  std::vector<Player> connecting_;
  std::vector<Admitted> admitted_;
  Clock::time_point next_listen_try_{};
  Clock::time_point next_listener_service_{};
  ENetPeer* joining_ = nullptr;
  std::optional<Welcome> welcome_;
  std::deque<ReceivedPacket> inbox_;
  std::size_t waiting_bytes_ = 0;
  std::uint64_t dropped_ = 0;
};

std::vector<SessionOffer> EnetSessionTransport::find(const SessionGuid& game) {
  std::vector<SessionOffer> offers;
  searched_game_ = game;
  ENetSocket socket = enet_socket_create(ENET_SOCKET_TYPE_DATAGRAM);
  if (socket == ENET_SOCKET_NULL) return offers;
  ENetAddress target{ENET_HOST_BROADCAST, port_};
  const char* configured = std::getenv(kSessionSearchVariable);
  const std::string host = !search_host_.empty()               ? search_host_
                           : configured && *configured != '\0' ? configured
                                                               : "";
  if (host.empty()) {
    enet_socket_set_option(socket, ENET_SOCKOPT_BROADCAST, 1);
  } else if (enet_address_set_host(&target, host.c_str()) != 0) {
    enet_socket_destroy(socket);
    return offers;
  }
  enet_socket_set_option(socket, ENET_SOCKOPT_NONBLOCK, 1);
  Writer ask;
  ask.raw(kSearchMagic, 4).byte(kSearchAsk).guid(game);
  const ENetBuffer buffer = buffer_of(ask.bytes);
  enet_socket_send(socket, &target, &buffer, 1);

  const Clock::time_point until = Clock::now() + kSearchWait;
  std::vector<std::uint8_t> datagram(kMaxOfferedName + 64);
  while (offers.size() < kMaxOffers) {
    const auto left = std::chrono::duration_cast<milliseconds>(until - Clock::now()).count();
    if (left <= 0) break;
    enet_uint32 condition = ENET_SOCKET_WAIT_RECEIVE;
    if (enet_socket_wait(socket, &condition, static_cast<enet_uint32>(left)) != 0) break;
    if (!(condition & ENET_SOCKET_WAIT_RECEIVE)) continue;
    ENetAddress from{};
    ENetBuffer in = buffer_of(datagram);
    const int size = enet_socket_receive(socket, &from, &in, 1);
    if (size <= 0) {
      dropped_ += size < 0;  // larger than any answer
      continue;
    }
    Reader reader(datagram.data(), static_cast<std::size_t>(size));
    std::uint8_t magic[4];
    std::uint8_t kind = 0;
    SessionGuid offered_game{};
    SessionOffer offer;
    const bool read = reader.byte(magic[0]) && reader.byte(magic[1]) && reader.byte(magic[2]) &&
                      reader.byte(magic[3]) && reader.byte(kind) && reader.guid(offered_game) &&
                      reader.guid(offer.instance) && reader.text(offer.name, kMaxOfferedName) &&
                      reader.done();
    if (!read || std::memcmp(magic, kSearchMagic, 4) != 0 || kind != kSearchOffer) {
      ++dropped_;
      continue;
    }
    const bool seen = std::any_of(offers.begin(), offers.end(), [&](const SessionOffer& o) {
      return o.instance == offer.instance;
    });
    if (offered_game != game || seen) continue;
    offer.host = from.host;
    offer.port = from.port;
    offers.push_back(std::move(offer));
  }
  enet_socket_destroy(socket);
  return offers;
}

std::int32_t EnetSessionTransport::join(const SessionOffer& session,
                                        const std::string& player_name) {
  leave();
  if (!open_mesh()) return 0;
  instance_ = session.instance;
  own_name_ = player_name.substr(0, kMaxNameLength);
  ENetAddress host{session.host, session.port};
  joining_ = enet_host_connect(mesh_, &host, kChannelCount, 0);
  welcome_.reset();
  bool connected = false;
  if (joining_) {
    ENetPeer* peer = joining_;
    connected =
        wait_for([&] { return joining_ == nullptr || peer->state == ENET_PEER_STATE_CONNECTED; },
                 kConnectWait) &&
        joining_ != nullptr;
  }
  if (connected) {
    Writer ask;
    ask.byte(kJoin).guid(instance_).text(own_name_, kMaxNameLength);
    send_control(joining_, ask.bytes);
    wait_for([&] { return welcome_.has_value() || joining_ == nullptr; }, kConnectWait);
  }
  if (joining_) enet_peer_disconnect_later(joining_, 0);
  joining_ = nullptr;
  if (!welcome_ || !welcome_->accepted) {
    leave();
    return 0;
  }
  own_id_ = welcome_->id;
  next_id_ = own_id_ + 1;
  // What a player who takes over hosting answers and enforces.
  settings_.game = searched_game_;
  settings_.name = session.name;
  settings_.migrate_host = welcome_->migrate_host;
  settings_.max_players =
      static_cast<int>(std::min<std::uint32_t>(welcome_->max_players, kMaxPlayers));
  for (auto& [player, address] : welcome_->players) {
    next_id_ = std::max(next_id_, player.id + 1);
    // The host is reached where it answered; the others where the host sees them.
    if (address.host == 0) {
      address.host = session.host;
      host_id_ = player.id;
    }
    ENetPeer* peer = enet_host_connect(mesh_, &address, kChannelCount, 0);
    if (peer) connecting_.push_back({player.id, player.name, peer});
  }
  wait_for([&] { return connecting_.empty(); }, kConnectWait);
  for (const Player& unreachable : connecting_) enet_peer_reset(unreachable.peer);
  connecting_.clear();
  return own_id_;
}

}  // namespace

std::unique_ptr<SessionTransport> open_udp_session_transport(const std::string& host,
                                                             std::uint16_t port) {
  if (!ensure_enet()) return nullptr;
  return std::make_unique<EnetSessionTransport>(host, port);
}

std::string local_ip_address() {
  char name[256] = {};
  if (gethostname(name, sizeof name - 1) != 0) return "";
  addrinfo hints{};
  hints.ai_family = AF_INET;
  addrinfo* found = nullptr;
  if (getaddrinfo(name, nullptr, &hints, &found) != 0 || found == nullptr) return "";
  const auto* address = reinterpret_cast<const sockaddr_in*>(found->ai_addr);
  const auto* b = reinterpret_cast<const std::uint8_t*>(&address->sin_addr.s_addr);
  const std::string text = std::to_string(b[0]) + "." + std::to_string(b[1]) + "." +
                           std::to_string(b[2]) + "." + std::to_string(b[3]);
  freeaddrinfo(found);
  return text;
}

}  // namespace kestrel::platform
