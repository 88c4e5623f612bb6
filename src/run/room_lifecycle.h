#pragma once

#include <cstdint>

namespace kestrel {

class Runner;

// Builds the event lists, clears the globals and enters the first room.
void start_game(Runner& runner);
// Leaves the room with the game-end event and drops every room copy.
void end_game(Runner& runner);
// Enters a room: carried instances join, a first visit makes the placed
// instances and runs their creation code and create events, then the room's
// creation code and room start.
void start_room(Runner& runner, std::int32_t index, bool game_start);
// Leaves the current room: room end (and game end), persistent instances are
// carried, and a room that is not persistent is dropped.
void end_room(Runner& runner, bool game_end);
void goto_room(Runner& runner, std::int32_t index);

// Asks for a move to a room after the step; a room that does not exist is a
// fatal error.
void request_room(Runner& runner, std::int32_t index);

// Carries out the pending request between steps; false once the game has ended.
bool handle_transfer(Runner& runner);

// The room after or before `room` in the room order; -1 at either end or
// when the room is not in the order.
std::int32_t next_room(const Runner& runner, std::int32_t room);
std::int32_t previous_room(const Runner& runner, std::int32_t room);

}  // namespace kestrel
