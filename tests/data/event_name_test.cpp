#include <gtest/gtest.h>

#include "data/Event_Name.h"
#include "data/Runner_Load.h"

namespace kestrel {
namespace {

TEST(EventName, NamesAsMessagesShowThem) {
  GameData game;
  game.objects.add("obj_wall");
  game.triggers.emplace_back(CTrigger{"when ready", "", 1, ""});
  struct Case {
    int kind, number;
    const char* expected;
  };
  const Case cases[] = {
      {0, 0, "Create Event"},
      {2, 3, "Alarm Event for alarm 3"},
      {3, 0, " Step Event"},
      {3, 1, "Begin Step Event"},
      {3, 9, "<unknown> Step Event"},
      {4, 0, "Collision Event with object obj_wall"},
      {4, 5, "Collision Event with object <undefined>"},
      {5, 65, "Keyboard Event for A-key Key"},
      {9, 37, "Key Press Event for <Left> Key"},
      {10, 98, "Key Release Event for Keypad 2 Key"},
      {5, 113, "Keyboard Event for F2 Key"},
      {5, 200, "Keyboard Event for <unknown> Key"},
      {6, 23, "Mouse Event for Joystick 1 Button 3"},
      {6, 55, "Mouse Event for Glob Middle Pressed"},
      {7, 13, "Other Event: User Defined 3"},
      {7, 44, "Other Event: Outside View 4"},
      {7, 31, "Other Event: <unknown>"},
      {11, 0, "Trigger Event: when ready"},
      {11, 1, "Trigger Event: <Deleted>"},
      {12, 0, "<Unknown Event>"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(EventName(game, c.kind, c.number), c.expected) << c.kind << ", " << c.number;
  }
}

}  // namespace
}  // namespace kestrel
