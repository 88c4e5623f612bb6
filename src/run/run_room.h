#pragma once

#include "data/Room_Class.h"
#include "run/room_instances.h"

namespace kestrel {

// A room while the game is in it, or kept for a later visit when persistent:
// its own copy of the room's settings, which game code may change, and its
// instances.
struct RunRoom {
  RunRoom(const GameData& game, const CRoom& definition) : settings(definition), instances(game) {}

  CRoom settings;
  RoomInstances instances;
};

}  // namespace kestrel
