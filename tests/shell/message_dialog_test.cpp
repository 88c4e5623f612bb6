#include "shell/message_dialog.h"

#include <gtest/gtest.h>

#include <optional>

namespace kestrel {
namespace {

const platform::DisplayMode kScreen{1024, 768, 32, 60};
constexpr int kEscape = platform::vk::kEscape;
constexpr int kEnter = platform::vk::kEnter;
constexpr int kAlt = platform::vk::kAlt;

TEST(MessageDialog, HotKeyIsTheCharacterAfterTheLastAmpersand) {
  EXPECT_EQ(caption_hot_key("&Retry"), 'R');
  EXPECT_EQ(caption_hot_key("Save &as &now"), 'n');
  EXPECT_EQ(caption_hot_key("Retry&"), 0);
  EXPECT_EQ(caption_hot_key("Retry"), 0);
  EXPECT_EQ(caption_shown("&Retry"), "Retry");
  EXPECT_EQ(caption_shown("Fish && &Chips"), "Fish & Chips");
}

TEST(MessageDialog, LayoutPlacesThePartsByTheirEdges) {
  MessageLook look;
  look.background.width = 300;
  look.buttons[0].width = 80;
  look.buttons[0].height = 20;
  const MessageLayout message = lay_out_message(look, false, 40, 22, kScreen);
  EXPECT_EQ(message.width, 300);
  EXPECT_EQ(message.height, 40 + 20 + 48);
  EXPECT_EQ(message.label.x, 24);
  EXPECT_EQ(message.label.y, 16);
  EXPECT_EQ(message.label.width, 252);
  EXPECT_EQ(message.buttons[0].x, 24);
  EXPECT_EQ(message.buttons[1].x, 110);
  EXPECT_EQ(message.buttons[2].x, 196);
  EXPECT_EQ(message.buttons[1].y + 20, message.height - 16);
  EXPECT_EQ(message.x, (1024 - 300) / 2);
  EXPECT_EQ(message.y, (768 - 108) / 2);

  const MessageLayout prompt = lay_out_message(look, true, 40, 22, kScreen);
  EXPECT_EQ(prompt.height, 40 + 20 + 48 + 22 + 16);
  EXPECT_EQ(prompt.input.y + 22, prompt.buttons[0].y - 16);
  EXPECT_EQ(prompt.input.width, 252);

  look.width = 500;
  look.height = 90;
  look.x = 7;
  look.y = -1;
  const MessageLayout sized = lay_out_message(look, true, 40, 22, kScreen);
  EXPECT_EQ(sized.width, 500);
  EXPECT_EQ(sized.height, 90);
  EXPECT_EQ(sized.x, 7);
  EXPECT_EQ(sized.y, (768 - 90) / 2);
}

// A 40 x 20 background whose left half is red; the bottom-left pixel's alpha is given.
PixelCanvas half_red_background(std::uint32_t corner_alpha) {
  PixelCanvas picture{40, 20, {}};
  for (int y = 0; y < 20; ++y) {
    for (int x = 0; x < 40; ++x) {
      const bool red = x < 20;
      const std::uint32_t alpha = red && corner_alpha == 0 ? 0 : 0xFF;
      picture.argb.push_back(alpha << 24 | (red ? 0xFF0000 : 0x2040A0));
    }
  }
  picture.argb[19 * 40] = corner_alpha << 24 | 0xFF0000;
  return picture;
}

TEST(MessageDialog, ATransparentBottomLeftPixelNamesTheColourLeftOut) {
  const struct {
    const char* name;
    PixelCanvas background;
    std::optional<std::uint32_t> colour;
  } cases[] = {
      {"the designed background is drawn whole", MessageLook().background, std::nullopt},
      {"an opaque corner is drawn", half_red_background(0xFF), std::nullopt},
      {"a half transparent corner is drawn", half_red_background(0x80), std::nullopt},
      {"a transparent corner leaves its colour out", half_red_background(0), 0xFF0000},
      {"no background is drawn whole", PixelCanvas{}, std::nullopt},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    MessageLook look;
    look.background = c.background;
    look.width = 200;
    look.buttons = {};
    EXPECT_EQ(message_transparent_colour(look), c.colour);
    if (!c.colour) continue;
    // The transparent pixels of the stretched background show that colour,
    // the others their own.
    MessageDialog shown(look, MessageRequest::message("", {"", "", ""}), kScreen);
    const PixelCanvas& canvas = shown.paint();
    const std::size_t bottom = static_cast<std::size_t>(canvas.height - 1) * canvas.width;
    EXPECT_EQ(canvas.argb[bottom] & 0xFFFFFF, *c.colour);
    EXPECT_EQ(canvas.argb[bottom + canvas.width - 1] & 0xFFFFFF, 0x2040A0u);
  }
}

MessageDialog dialog(const MessageLook& look, std::array<std::string, 3> captions) {
  return MessageDialog(look, MessageRequest::message("Text", std::move(captions)), kScreen);
}

TEST(MessageDialog, KeysPressButtons) {
  const MessageLook look;
  const struct {
    const char* what;
    std::array<std::string, 3> captions;
    std::vector<int> keys;
    bool closed;
    int result;
  } cases[] = {
      {"Escape gives 0", {"Yes", "", "No"}, {kEscape}, true, 0},
      {"Enter presses the first shown", {"", "OK", "Cancel"}, {kEnter}, true, 2},
      {"Space presses the first shown", {"Yes", "", "No"}, {' '}, true, 1},
      {"Enter with no button does nothing", {"", "", ""}, {kEnter}, false, 0},
      {"Escape with no button closes", {"", "", ""}, {kEscape}, true, 0},
      {"a hot key in either case", {"&Abort", "&Retry", ""}, {'R'}, true, 2},
      {"a hidden button's hot key", {"", "", ""}, {'R'}, false, 0},
      {"the first match wins", {"&Go", "", "&Give"}, {'G'}, true, 1},
      {"other keys do nothing", {"&Abort", "", ""}, {'X'}, false, 0},
  };
  for (const auto& c : cases) {
    MessageDialog shown = dialog(look, c.captions);
    for (int key : c.keys) shown.key_down(key);
    EXPECT_EQ(shown.closed(), c.closed) << c.what;
    EXPECT_EQ(shown.result(), c.result) << c.what;
  }
}

TEST(MessageDialog, PromptTypesOverItsSelectedPresetAndTakesHotKeysOnlyWithAlt) {
  const MessageLook look;
  MessageDialog prompt(look, MessageRequest::prompt_for("Name?", "player"), kScreen);
  prompt.key_down('O');
  EXPECT_FALSE(prompt.closed());
  for (char c : std::string("Ada")) prompt.character(static_cast<unsigned char>(c));
  EXPECT_EQ(prompt.field(), "Ada");
  prompt.key_down(platform::vk::kBackspace);
  prompt.character(' ');
  EXPECT_EQ(prompt.field(), "Ad ");
  prompt.key_down(kEnter);
  EXPECT_TRUE(prompt.closed());
  EXPECT_EQ(prompt.result(), 2);

  MessageRequest request = MessageRequest::prompt_for("Name?", "player");
  request.captions = {"", "&OK", ""};
  MessageDialog with_alt(look, request, kScreen);
  with_alt.key_down(kAlt);
  with_alt.character('o');
  with_alt.key_down('O');
  EXPECT_TRUE(with_alt.closed());
  EXPECT_EQ(with_alt.field(), "player");
}

TEST(MessageDialog, ClickPressesTheButtonItWasLetGoOn) {
  const MessageLook look;
  MessageDialog shown = dialog(look, {"Yes", "", "No"});
  const DialogRectangle yes = shown.layout().buttons[0];
  const DialogRectangle no = shown.layout().buttons[2];
  shown.mouse_moved(yes.x + 2, yes.y + 2);
  shown.mouse_down();
  shown.mouse_moved(no.x + 2, no.y + 2);
  shown.mouse_up();
  EXPECT_FALSE(shown.closed());
  shown.mouse_down();
  shown.mouse_up();
  EXPECT_TRUE(shown.closed());
  EXPECT_EQ(shown.result(), 3);
  const PixelCanvas& picture = shown.paint();
  EXPECT_EQ(picture.width, shown.layout().width);
  EXPECT_EQ(picture.height, shown.layout().height);
}

TEST(MessageDialog, MegabyteOfTextStillLaysOut) {
  const MessageLook look;
  const std::string text(1 << 20, 'w');
  MessageDialog shown(look, MessageRequest::message(text, {"", "OK", ""}), kScreen);
  EXPECT_GT(shown.layout().height, 100);
  shown.key_down(kEnter);
  EXPECT_EQ(shown.result(), 2);
}

TEST(PopupMenu, NumbersItemsPastSeparatorsAndChoosesWithKeys) {
  const std::vector<MenuItem> items = parse_menu("a|-|b||c");
  ASSERT_EQ(items.size(), 5u);
  EXPECT_EQ(items[0].number, 0);
  EXPECT_TRUE(items[1].separator());
  EXPECT_EQ(items[2].number, 1);
  EXPECT_EQ(items[3].number, 2);
  EXPECT_EQ(items[3].text, "");
  EXPECT_EQ(items[4].number, 3);

  PopupMenu menu(parse_menu("a|-|b"));
  menu.key_down(40);
  menu.key_down(40);
  menu.key_down(kEnter);
  EXPECT_TRUE(menu.closed());
  EXPECT_EQ(menu.chosen(), 1);

  PopupMenu cancelled(parse_menu("a|b"));
  cancelled.key_down(kEscape);
  EXPECT_TRUE(cancelled.closed());
  EXPECT_EQ(cancelled.chosen(), -1);

  PopupMenu only_separators(parse_menu("-|-"));
  only_separators.key_down(40);
  only_separators.key_down(kEnter);
  EXPECT_FALSE(only_separators.closed());
}

}  // namespace
}  // namespace kestrel
