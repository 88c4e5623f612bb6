#include <algorithm>
#include <utility>

#include "platform/session_transport.h"

namespace kestrel::platform {
namespace {

class NullSessionTransport final : public SessionTransport {
 public:
  NullSessionTransport(std::deque<ReceivedPacket>& arriving, std::vector<RemotePlayer> others)
      : arriving_(arriving), others_(std::move(others)) {}

  std::int32_t create(const SessionSettings&, const std::string&) override { return 1; }
  std::vector<SessionOffer> find(const SessionGuid&) override { return {}; }
  std::int32_t join(const SessionOffer&, const std::string&) override { return 0; }
  void leave() override {}
  std::vector<RemotePlayer> players() override { return others_; }
  bool send(std::int32_t to, bool, std::span<const std::uint8_t>) override {
    return to == 0 || std::any_of(others_.begin(), others_.end(),
                                  [&](const RemotePlayer& p) { return p.id == to; });
  }
  std::deque<ReceivedPacket> receive_all() override { return std::exchange(arriving_, {}); }
  std::uint64_t dropped() const override { return 0; }

 private:
  std::deque<ReceivedPacket>& arriving_;
  std::vector<RemotePlayer> others_;
};

}  // namespace

std::unique_ptr<SessionTransport> open_null_session_transport(std::deque<ReceivedPacket>& arriving,
                                                              std::vector<RemotePlayer> others) {
  return std::make_unique<NullSessionTransport>(arriving, std::move(others));
}

}  // namespace kestrel::platform
