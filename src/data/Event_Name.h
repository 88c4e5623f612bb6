#pragma once

#include <string>

namespace kestrel {

struct GameData;

// The name of an event as messages show it, such as "Alarm Event for alarm 3"
// or "Keyboard Event for <Left> Key".
std::string EventName(const GameData& game, int kind, int number);

// The name of a key code as event names show it, such as "A-key" or "<Enter>".
std::string KeyName(int key);

}  // namespace kestrel
