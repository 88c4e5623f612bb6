#include <optional>
#include <string>

#include "data/Runner_Load.h"
#include "graphics/image/BM32_Bitmap.h"
#include "graphics/image/BM32_Effect.h"
#include "run/Runner.h"
#include "run/functions/families.h"
#include "run/resource_images.h"
#include "run/room_draw.h"
#include "script/Code_Error.h"

namespace kestrel {
namespace {

using Args = const RValue*;

constexpr char kReplaceMissing[] = "Trying to replace non-existing background.";
constexpr char kDeleteMissing[] = "Trying to delete non-existing background.";
constexpr char kDuplicateMissing[] = "Trying to duplicate non-existing background.";
constexpr char kAssignFailed[] = "Error assigning a background.";
constexpr char kSaveMissing[] = "Trying to save non-existing background bitmap.";
constexpr char kSaveNoName[] = "Trying to save background bitmap to empty image file name.";

constexpr char kNewName[] = "__newbackground";

int whole(const RValue& value) {
  return round_to_int32(value.real());
}
bool capture_flag(const RValue& value) {
  return value.real() > 0.5;
}

ResourceList<CBackground>& backgrounds_of(ScriptEngine& engine) {
  return runner_of(engine).game.backgrounds;
}

void store(ScriptEngine& engine, int index, CBackground background) {
  backgrounds_of(engine).put(index, std::move(background));
  refresh_background_texture(runner_of(engine), index);
}
int add_new(ScriptEngine& engine, TBitmap32 image) {
  const int index = backgrounds_of(engine).add_new(kNewName, CBackground{std::move(image)});
  refresh_background_texture(runner_of(engine), index);
  return index;
}

// (fname, removeback, smooth): the first picture of the file, prepared.
std::optional<TBitmap32> picture_from_file(Args a) {
  std::vector<TBitmap32> pictures;
  std::string error;
  if (!LoadPictureFile(a[0].str(), pictures, error) || pictures.empty()) return std::nullopt;
  PreparePicture(pictures.front(), is_true(a[1]), is_true(a[2]));
  return std::move(pictures.front());
}

// A new background from a capture; -1 when nothing could be read.
int create_from_capture(ScriptEngine& engine, std::optional<TBitmap32> image, bool remove_back,
                        bool smooth) {
  if (!image) return -1;
  PreparePicture(*image, remove_back, smooth);
  return add_new(engine, std::move(*image));
}

// Whether `index` names a slot that a replacement may fill; reports otherwise.
bool replaceable(ScriptEngine& engine, int index) {
  if (index >= 0 && index < backgrounds_of(engine).count()) return true;
  report_action_error(engine, kReplaceMissing, false);
  return false;
}

void background_exists(ScriptEngine& e, ScriptInstance&, ScriptInstance&, int, RValue& r, Args a) {
  r.set_real(backgrounds_of(e).exists(whole(a[0])) ? 1 : 0);
}
void background_name(ScriptEngine& e, ScriptInstance&, ScriptInstance&, int, RValue& r, Args a) {
  r.set_text(backgrounds_of(e).name(whole(a[0])));
}
template <bool width>
void background_get_size(ScriptEngine& e, ScriptInstance&, ScriptInstance&, int, RValue& r,
                         Args a) {
  const CBackground* background = backgrounds_of(e).get(whole(a[0]));
  r.set_real(background == nullptr ? -1 : width ? background->width() : background->height());
}

void background_set_alpha_from_background(ScriptEngine& e, ScriptInstance&, ScriptInstance&, int,
                                          RValue&, Args a) {
  const int index = whole(a[0]);
  CBackground* background = backgrounds_of(e).get(index);
  const CBackground* source = backgrounds_of(e).get(whole(a[1]));
  if (background == nullptr || source == nullptr) return;
  const TBitmap32 alpha = source->image;
  TakeAlphaFrom(background->image, alpha);
  refresh_background_texture(runner_of(e), index);
}

void background_create_from_screen(ScriptEngine& e, ScriptInstance&, ScriptInstance&, int,
                                   RValue& r, Args a) {
  r.set_real(create_from_capture(
      e, capture_screen(runner_of(e), whole(a[0]), whole(a[1]), whole(a[2]), whole(a[3])),
      capture_flag(a[4]), capture_flag(a[5])));
}
void background_create_from_surface(ScriptEngine& e, ScriptInstance&, ScriptInstance&, int,
                                    RValue& r, Args a) {
  r.set_real(create_from_capture(e,
                                 capture_surface(runner_of(e), whole(a[0]), whole(a[1]),
                                                 whole(a[2]), whole(a[3]), whole(a[4])),
                                 capture_flag(a[5]), capture_flag(a[6])));
}
void background_create_color(ScriptEngine& e, ScriptInstance&, ScriptInstance&, int, RValue& r,
                             Args a) {
  r.set_real(add_new(e, FilledImage(whole(a[0]), whole(a[1]), round_to_int64(a[2].real()))));
}
void background_create_gradient(ScriptEngine& e, ScriptInstance&, ScriptInstance&, int, RValue& r,
                                Args a) {
  r.set_real(add_new(e, GradientImage(whole(a[0]), whole(a[1]), round_to_int64(a[2].real()),
                                      round_to_int64(a[3].real()), whole(a[4]))));
}

void background_add(ScriptEngine& e, ScriptInstance&, ScriptInstance&, int, RValue& r, Args a) {
  std::optional<TBitmap32> image = picture_from_file(a);
  r.set_real(image ? add_new(e, std::move(*image)) : -1);
}
void background_replace(ScriptEngine& e, ScriptInstance&, ScriptInstance&, int, RValue& r, Args a) {
  const int index = whole(a[0]);
  if (!replaceable(e, index)) {
    r.set_real(0);
    return;
  }
  std::optional<TBitmap32> image = picture_from_file(a + 1);
  if (image) store(e, index, CBackground{std::move(*image)});
  r.set_real(image ? 1 : 0);
}
void background_add_background(ScriptEngine& e, ScriptInstance&, ScriptInstance&, int, RValue& r,
                               Args a) {
  CBackground background;
  r.set_real(read_background_file(a[0].str(), background) ? add_new(e, std::move(background.image))
                                                          : -1);
}
void background_replace_background(ScriptEngine& e, ScriptInstance&, ScriptInstance&, int,
                                   RValue& r, Args a) {
  const int index = whole(a[0]);
  if (!replaceable(e, index)) {
    r.set_real(0);
    return;
  }
  CBackground background;
  const bool read = read_background_file(a[1].str(), background);
  if (read) store(e, index, std::move(background));
  r.set_real(read ? 1 : 0);
}

void background_delete(ScriptEngine& e, ScriptInstance&, ScriptInstance&, int, RValue& r, Args a) {
  const int index = whole(a[0]);
  if (!backgrounds_of(e).exists(index)) {
    report_action_error(e, kDeleteMissing, false);
    r.set_real(0);
    return;
  }
  // Rooms and tiles that show it keep its index and draw nothing.
  backgrounds_of(e).remove(index);
  refresh_background_texture(runner_of(e), index);
  r.set_real(1);
}
void background_duplicate(ScriptEngine& e, ScriptInstance&, ScriptInstance&, int, RValue& r,
                          Args a) {
  const int index = backgrounds_of(e).duplicate(kNewName, whole(a[0]));
  if (index < 0) report_action_error(e, kDuplicateMissing, false);
  refresh_background_texture(runner_of(e), index);
  r.set_real(index);
}
void background_assign(ScriptEngine& e, ScriptInstance&, ScriptInstance&, int, RValue& r, Args a) {
  const int index = whole(a[0]);
  const bool assigned = backgrounds_of(e).assign(index, whole(a[1]));
  if (assigned) {
    refresh_background_texture(runner_of(e), index);
  } else {
    report_action_error(e, kAssignFailed, false);
  }
  r.set_real(assigned ? 1 : 0);
}
void background_save(ScriptEngine& e, ScriptInstance&, ScriptInstance&, int, RValue&, Args a) {
  const CBackground* background = backgrounds_of(e).get(whole(a[0]));
  const std::string name = a[1].str();
  if (background == nullptr) {
    report_action_error(e, kSaveMissing, false);
    return;
  }
  if (name.empty()) {
    report_action_error(e, kSaveNoName, false);
    return;
  }
  save_picture(background->image, name);
}

}  // namespace

void register_background_functions(FunctionRegistry& functions) {
  static const struct {
    const char* name;
    BuiltinFunction handler;
    int count;
  } kFunctions[] = {
      {"background_exists", &background_exists, 1},
      {"background_name", &background_name, 1},
      {"background_get_name", &background_name, 1},
      {"background_get_width", &background_get_size<true>, 1},
      {"background_get_height", &background_get_size<false>, 1},
      {"background_set_alpha_from_background", &background_set_alpha_from_background, 2},
      {"background_create_from_screen", &background_create_from_screen, 6},
      {"background_create_from_surface", &background_create_from_surface, 7},
      {"background_create_color", &background_create_color, 3},
      {"background_create_gradient", &background_create_gradient, 5},
      {"background_add", &background_add, 3},
      {"background_replace", &background_replace, 4},
      {"background_add_background", &background_add_background, 1},
      {"background_replace_background", &background_replace_background, 2},
      {"background_delete", &background_delete, 1},
      {"background_duplicate", &background_duplicate, 1},
      {"background_assign", &background_assign, 2},
      {"background_save", &background_save, 2},
  };
  for (const auto& function : kFunctions) {
    functions.add(function.name, function.handler, function.count);
  }
}

}  // namespace kestrel
