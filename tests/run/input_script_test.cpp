#include "run/input_script.h"

#include <gtest/gtest.h>

#include "data/Runner_Load.h"
#include "platform/window.h"
#include "run/Runner.h"

namespace kestrel {
namespace {

using Kind = ScriptedInput::Kind;

TEST(InputScript, ReadsEveryActionWithItsStep) {
  InputScript script;
  std::string error;
  ASSERT_TRUE(
      script.parse("# a comment line\n"
                   "\n"
                   "1 key down vk_left   # held from the first step\n"
                   "1 key down A\n"
                   "2 key up LEFT\r\n"
                   "3 key press 7\n"
                   "3 key down 112\n"
                   "4 type \"a \\\"b\\\"\\b#\\x41\"\n"
                   "5 mouse move -3 40\n"
                   "5 mouse click right\n"
                   "6 mouse down middle\n"
                   "6 wheel down\n",
                   error))
      << error;
  const std::vector<ScriptedInput>& inputs = script.inputs();
  ASSERT_EQ(inputs.size(), 12u);
  const struct {
    std::int64_t step;
    Kind kind;
    int code;
  } expected[] = {{1, Kind::KeyDown, 37},  {1, Kind::KeyDown, 'A'},  {2, Kind::KeyUp, 37},
                  {3, Kind::KeyDown, '7'}, {3, Kind::KeyUp, '7'},    {3, Kind::KeyDown, 112},
                  {4, Kind::Type, 0},      {5, Kind::MouseMove, 0},  {5, Kind::ButtonDown, 2},
                  {5, Kind::ButtonUp, 2},  {6, Kind::ButtonDown, 3}, {6, Kind::Wheel, -1}};
  for (std::size_t i = 0; i < inputs.size(); ++i) {
    EXPECT_EQ(inputs[i].step, expected[i].step) << "input " << i;
    EXPECT_EQ(inputs[i].kind, expected[i].kind) << "input " << i;
    EXPECT_EQ(inputs[i].code, expected[i].code) << "input " << i;
  }
  EXPECT_EQ(inputs[6].text, "a \"b\"\b#A");
  EXPECT_EQ(inputs[7].x, -3);
  EXPECT_EQ(inputs[7].y, 40);
}

TEST(InputScript, NamesTheLineOfTheFirstFault) {
  const struct {
    const char* text;
    const char* error;
  } cases[] = {
      {"1 key down left\nx key up left", "line 2: a line starts with its step number, not \"x\""},
      {"0 key down left", "line 1: steps are counted from 1"},
      {"5 key down left\n3 key up left",
       "line 2: step 3 comes after step 5; the lines go in step order"},
      {"1", "line 1: the step has no action"},
      {"1 jump",
       "line 1: unknown action \"jump\"; the actions are key, type, mouse, wheel, joystick and "
       "answer"},
      {"1 key down lefft",
       "line 1: unknown key \"lefft\"; a key is a vk_ name (vk_left or left), a letter, a digit "
       "or a code"},
      {"1 key down vk_anykey",
       "line 1: the key \"vk_anykey\" cannot be pressed; key codes run from 2 to 255"},
      {"1 key down 256", "line 1: the key \"256\" cannot be pressed; key codes run from 2 to 255"},
      {"1 key hold left", "line 1: key wants down, up or press, not \"hold\""},
      {"1 key down", "line 1: incomplete action; write it as: STEP key down|up|press KEY"},
      {"1 key down left right", "line 1: too many words; write it as: STEP key down|up|press KEY"},
      {"1 type hello", "line 1: type wants its text in double quotes"},
      {"1 type \"hello", "line 1: the text has no closing double quote"},
      {"1 type \"a\\q\"",
       "line 1: unknown escape \\q in the text; known are \\\\ \\\" \\b \\t \\r \\n \\xHH"},
      {"1 type \"\xc3\xa9\"",
       "line 1: only ASCII characters can be typed as they are; write others as \\xHH"},
      {"1 mouse move 10", "line 1: incomplete action; write it as: STEP mouse move X Y"},
      {"1 mouse move 10 y", "line 1: mouse move wants two whole numbers, the place in the window"},
      {"1 mouse down thumb",
       "line 1: unknown mouse button \"thumb\"; the buttons are left, right and middle"},
      {"1 mouse press left", "line 1: mouse wants move, down, up or click, not \"press\""},
      {"1 wheel left", "line 1: wheel wants up or down, not \"left\""},
      {"1 joystick 3 button 1 down", "line 1: the joysticks are 1 and 2, not \"3\""},
      {"1 joystick 1 button 33 down", "line 1: joystick buttons run from 1 to 32, not \"33\""},
      {"1 joystick 1 button 2 press",
       "line 1: a joystick button goes down or up, not \"press\"; the game looks at it once a "
       "step"},
      {"1 joystick 1 axis w 0", "line 1: the joystick axes are x, y, z, r, u and v, not \"w\""},
      {"1 joystick 1 axis x 1.5", "line 1: an axis stands from -1 to 1, not at \"1.5\""},
      {"1 joystick 2 pov 360",
       "line 1: the hat points from 0 up to 360 degrees or is centre, not \"360\""},
      {"1 joystick 1 shake now please",
       "line 1: unknown joystick action; write it as: STEP joystick 1|2 button B down|up, STEP "
       "joystick 1|2 axis x|y|z|r|u|v POSITION, or STEP joystick 1|2 pov DEGREES|centre"},
  };
  for (const auto& c : cases) {
    InputScript script;
    std::string error;
    EXPECT_FALSE(script.parse(c.text, error)) << c.text;
    EXPECT_EQ(error, c.error) << c.text;
    EXPECT_TRUE(script.inputs().empty()) << c.text;
  }
}

TEST(InputScript, KeepsAnswersApartInTheirOrder) {
  InputScript script;
  std::string error;
  ASSERT_TRUE(
      script.parse("1 key press A\n"
                   "2 answer button 3\n"
                   "2 answer text \"Ada \\\"L\\\"\"\n"
                   "5 answer menu 0\n"
                   "6 answer file \"a b.txt\"\n"
                   "7 answer colour 255\n"
                   "7 answer cancel\n",
                   error))
      << error;
  EXPECT_EQ(script.inputs().size(), 2u);
  using AnswerKind = DialogAnswer::Kind;
  const struct {
    AnswerKind kind;
    int number;
    const char* text;
    const char* written;
  } expected[] = {{AnswerKind::Button, 3, "", "answer button 3"},
                  {AnswerKind::Text, 0, "Ada \"L\"", "answer text \"Ada \\\"L\\\"\""},
                  {AnswerKind::Menu, 0, "", "answer menu 0"},
                  {AnswerKind::File, 0, "a b.txt", "answer file \"a b.txt\""},
                  {AnswerKind::Colour, 255, "", "answer colour 255"},
                  {AnswerKind::Cancel, 0, "", "answer cancel"}};
  for (const auto& e : expected) {
    const std::optional<DialogAnswer> answer = script.next_answer();
    ASSERT_TRUE(answer.has_value()) << e.written;
    EXPECT_EQ(answer->kind, e.kind) << e.written;
    EXPECT_EQ(answer->number, e.number) << e.written;
    EXPECT_EQ(answer->text, e.text) << e.written;
    EXPECT_EQ(answer->written, e.written);
  }
  EXPECT_FALSE(script.next_answer().has_value());

  const char* const faults[] = {"1 answer button 4",   "1 answer menu -1",
                                "1 answer text Ada",   "1 answer colour 16777216",
                                "1 answer cancel now", "1 answer yes"};
  for (const char* fault : faults) {
    EXPECT_FALSE(script.parse(fault, error)) << fault;
    EXPECT_TRUE(error.starts_with("line 1: ")) << error;
    EXPECT_NE(error.find("STEP answer cancel"), std::string::npos) << error;
    EXPECT_TRUE(script.answers().empty()) << fault;
  }
}

TEST(InputScript, GivesEachStepItsInputOnceAndTheNextStepsEarlyWhenAsked) {
  GameData game;
  Runner runner(game);
  std::unique_ptr<platform::Window> window = platform::open_null_window({});
  runner.layout.attach(window.get());
  InputScript script;
  std::string error;
  ASSERT_TRUE(
      script.parse("2 key down A\n"
                   "2 type \"ab\"\n"
                   "4 mouse move 30 20\n"
                   "4 mouse down left\n"
                   "9 key up A\n",
                   error));
  script.deliver_due(runner, 1);
  EXPECT_FALSE(runner.input.keyboard_check('A'));
  script.deliver_due(runner, 3);
  EXPECT_TRUE(runner.input.keyboard_check_pressed('A')) << "a step that was skipped still counts";
  EXPECT_EQ(runner.input.typed, "ab");
  runner.input.clear_pressed();
  script.deliver_due(runner, 3);
  EXPECT_EQ(runner.input.typed, "ab") << "nothing is given twice";

  ASSERT_TRUE(script.deliver_next(runner));
  EXPECT_TRUE(runner.input.mouse_check_button(1));
  EXPECT_TRUE(runner.input.keyboard_check('A')) << "only the next step's input came early";
  EXPECT_EQ(runner.layout.mouse_window_x(), 30);
  EXPECT_EQ(runner.layout.mouse_window_y(), 20);
  script.deliver_due(runner, 4);
  EXPECT_TRUE(script.deliver_next(runner));
  EXPECT_FALSE(runner.input.keyboard_check('A'));
  EXPECT_FALSE(script.deliver_next(runner));
}

TEST(InputScript, AScriptThatMovesJoysticksStandsInForTheControllers) {
  GameData game;
  Runner runner(game);
  InputScript script;
  std::string error;
  ASSERT_TRUE(
      script.parse("2 joystick 1 button 3 down\n"
                   "2 joystick 2 axis y -1\n"
                   "2 joystick 2 pov 90\n"
                   "3 joystick 1 button 3 up\n"
                   "3 joystick 2 pov centre\n",
                   error))
      << error;
  script.deliver_due(runner, 1);
  EXPECT_TRUE(runner.joystick(0).present) << "present from the first step";
  EXPECT_EQ(runner.joystick(0).buttons, 0u);
  script.deliver_due(runner, 2);
  EXPECT_EQ(runner.joystick(0).buttons, 1u << 2);
  EXPECT_EQ(runner.joystick(1).axes[1], 0u);
  EXPECT_EQ(runner.joystick(1).axes[0], 32767u) << "the other axes stay at rest";
  EXPECT_EQ(runner.joystick(1).pov, 9000u);
  script.deliver_due(runner, 3);
  EXPECT_EQ(runner.joystick(0).buttons, 0u);
  EXPECT_EQ(runner.joystick(1).pov, 65535u);
}

}  // namespace
}  // namespace kestrel
