#include <algorithm>
#include <cstring>
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

constexpr char kAddToMissing[] = "Trying to add to non-existing sprite.";
constexpr char kReplaceMissing[] = "Trying to replace non-existing sprite.";
constexpr char kDeleteMissing[] = "Trying to delete non-existing sprite.";
constexpr char kDuplicateMissing[] = "Trying to duplicate non-existing sprite.";
constexpr char kAssignFailed[] = "Error assigning a sprite.";
constexpr char kMergeToMissing[] = "Trying to merge to non-existing sprite.";
constexpr char kMergeFromMissing[] = "Trying to merge from non-existing sprite.";
constexpr char kSaveMissing[] = "Trying to save non-existing sprite bitmap.";
constexpr char kSaveNoName[] = "Trying to save sprite bitmap to empty image file name.";
constexpr char kMaskMissing[] = "Trying to set collision mode for non-existing sprite.";

int whole(const RValue& value) {
  return round_to_int32(value.real());
}
// The screen and surface captures take a flag as set only above one half.
bool capture_flag(const RValue& value) {
  return value.real() > 0.5;
}

ResourceList<CSprite>& sprites_of(ScriptEngine& engine) {
  return runner_of(engine).game.sprites;
}

constexpr char kNewName[] = "__newsprite";

// Puts the sprite into the slot `index` and makes its textures.
void store(ScriptEngine& engine, int index, CSprite sprite) {
  sprites_of(engine).put(index, std::move(sprite));
  refresh_sprite_textures(runner_of(engine), index);
}
// Appends a sprite made at run time; its index.
int add_new(ScriptEngine& engine, CSprite sprite) {
  const int index = sprites_of(engine).add_new(kNewName, std::move(sprite));
  refresh_sprite_textures(runner_of(engine), index);
  return index;
}

// A sprite made from a picture file as sprite_add and sprite_replace read it:
// (fname, imgnumb, removeback, smooth, xorig, yorig); none when it cannot be read.
std::optional<CSprite> sprite_from_file(Args a) {
  std::vector<TBitmap32> pictures;
  std::string error;
  const std::string name = a[0].str();
  if (!LoadPictureFile(name, pictures, error) || pictures.empty()) return std::nullopt;
  CSprite sprite;
  if (has_extension(name, ".gif")) {
    sprite.images = std::move(pictures);
  } else {
    const TBitmap32& whole_picture = pictures.front();
    const int count = std::max(whole(a[1]), 1);
    const int width = whole_picture.width / count;
    if (width < 1) return std::nullopt;
    for (int i = 0; i < count; ++i) {
      sprite.images.push_back(CropImage(whole_picture, i * width, 0, width, whole_picture.height));
    }
  }
  for (TBitmap32& image : sprite.images) PreparePicture(image, is_true(a[2]), is_true(a[3]));
  sprite.xorig = whole(a[4]);
  sprite.yorig = whole(a[5]);
  sprite.MakeMasks(false, MaskSettings{});
  return sprite;
}

// A subimage added to a sprite takes the sprite's size; the masks are made
// again with the defaults, keeping the sprite's choice of separate masks.
void append_image(ScriptEngine& engine, int index, TBitmap32 image) {
  CSprite& sprite = *sprites_of(engine).get(index);
  ResizeImage(image, sprite.width(), sprite.height());
  sprite.images.push_back(std::move(image));
  sprite.MakeMasks(sprite.separate_masks, MaskSettings{});
  refresh_sprite_textures(runner_of(engine), index);
}

// A new sprite of one captured subimage, made as from a file.
int create_from_capture(ScriptEngine& engine, std::optional<TBitmap32> image, bool remove_back,
                        bool smooth, int xorig, int yorig) {
  if (!image) return -1;
  PreparePicture(*image, remove_back, smooth);
  CSprite sprite;
  sprite.images.push_back(std::move(*image));
  sprite.xorig = xorig;
  sprite.yorig = yorig;
  sprite.MakeMasks(false, MaskSettings{});
  return add_new(engine, std::move(sprite));
}

void add_capture(ScriptEngine& engine, int index, std::optional<TBitmap32> image, bool remove_back,
                 bool smooth) {
  if (!sprites_of(engine).exists(index)) {
    report_action_error(engine, kAddToMissing, false);
    return;
  }
  if (!image) return;
  PreparePicture(*image, remove_back, smooth);
  append_image(engine, index, std::move(*image));
}

void sprite_exists(ScriptEngine& e, ScriptInstance&, ScriptInstance&, int, RValue& r, Args a) {
  r.set_real(sprites_of(e).exists(whole(a[0])) ? 1 : 0);
}
void sprite_name(ScriptEngine& e, ScriptInstance&, ScriptInstance&, int, RValue& r, Args a) {
  r.set_text(sprites_of(e).name(whole(a[0])));
}
// A number read from the sprite; -1 for a sprite that does not exist.
template <int (*read)(const CSprite&)>
void sprite_get(ScriptEngine& e, ScriptInstance&, ScriptInstance&, int, RValue& r, Args a) {
  const CSprite* sprite = sprites_of(e).get(whole(a[0]));
  r.set_real(sprite != nullptr ? read(*sprite) : -1);
}
int number_of(const CSprite& s) {
  return static_cast<int>(s.images.size());
}
int width_of(const CSprite& s) {
  return s.width();
}
int height_of(const CSprite& s) {
  return s.height();
}
int xoffset_of(const CSprite& s) {
  return s.xorig;
}
int yoffset_of(const CSprite& s) {
  return s.yorig;
}
int box_left(const CSprite& s) {
  return s.box.left;
}
int box_right(const CSprite& s) {
  return s.box.right;
}
int box_top(const CSprite& s) {
  return s.box.top;
}
int box_bottom(const CSprite& s) {
  return s.box.bottom;
}

void sprite_set_offset(ScriptEngine& e, ScriptInstance&, ScriptInstance&, int, RValue&, Args a) {
  if (CSprite* sprite = sprites_of(e).get(whole(a[0]))) {
    sprite->xorig = whole(a[1]);
    sprite->yorig = whole(a[2]);
  }
}

void sprite_set_alpha_from_sprite(ScriptEngine& e, ScriptInstance&, ScriptInstance&, int, RValue&,
                                  Args a) {
  const int index = whole(a[0]);
  CSprite* sprite = sprites_of(e).get(index);
  const CSprite* source = sprites_of(e).get(whole(a[1]));
  if (sprite == nullptr || source == nullptr || source->images.empty()) return;
  // A copy, in case a sprite takes its alpha from itself.
  const std::vector<TBitmap32> alphas = source->images;
  for (std::size_t i = 0; i < sprite->images.size(); ++i) {
    TakeAlphaFrom(sprite->images[i], alphas[i % alphas.size()]);
  }
  refresh_sprite_textures(runner_of(e), index);
}

void sprite_add(ScriptEngine& e, ScriptInstance&, ScriptInstance&, int, RValue& r, Args a) {
  std::optional<CSprite> sprite = sprite_from_file(a);
  r.set_real(sprite ? add_new(e, std::move(*sprite)) : -1);
}
void sprite_replace(ScriptEngine& e, ScriptInstance&, ScriptInstance&, int, RValue& r, Args a) {
  const int index = whole(a[0]);
  if (index < 0 || index >= sprites_of(e).count()) {
    report_action_error(e, kReplaceMissing, false);
    r.set_real(0);
    return;
  }
  std::optional<CSprite> sprite = sprite_from_file(a + 1);
  if (sprite) store(e, index, std::move(*sprite));
  r.set_real(sprite ? 1 : 0);
}
void sprite_add_sprite(ScriptEngine& e, ScriptInstance&, ScriptInstance&, int, RValue& r, Args a) {
  CSprite sprite;
  r.set_real(read_sprite_file(a[0].str(), sprite) ? add_new(e, std::move(sprite)) : -1);
}
void sprite_replace_sprite(ScriptEngine& e, ScriptInstance&, ScriptInstance&, int, RValue& r,
                           Args a) {
  const int index = whole(a[0]);
  if (index < 0 || index >= sprites_of(e).count()) {
    report_action_error(e, kReplaceMissing, false);
    r.set_real(0);
    return;
  }
  CSprite sprite;
  const bool read = read_sprite_file(a[1].str(), sprite);
  if (read) store(e, index, std::move(sprite));
  r.set_real(read ? 1 : 0);
}

void sprite_create_from_screen(ScriptEngine& e, ScriptInstance&, ScriptInstance&, int, RValue& r,
                               Args a) {
  r.set_real(create_from_capture(
      e, capture_screen(runner_of(e), whole(a[0]), whole(a[1]), whole(a[2]), whole(a[3])),
      capture_flag(a[4]), capture_flag(a[5]), whole(a[6]), whole(a[7])));
}
void sprite_add_from_screen(ScriptEngine& e, ScriptInstance&, ScriptInstance&, int, RValue&,
                            Args a) {
  add_capture(e, whole(a[0]),
              capture_screen(runner_of(e), whole(a[1]), whole(a[2]), whole(a[3]), whole(a[4])),
              capture_flag(a[5]), capture_flag(a[6]));
}
void sprite_create_from_surface(ScriptEngine& e, ScriptInstance&, ScriptInstance&, int, RValue& r,
                                Args a) {
  r.set_real(create_from_capture(e,
                                 capture_surface(runner_of(e), whole(a[0]), whole(a[1]),
                                                 whole(a[2]), whole(a[3]), whole(a[4])),
                                 capture_flag(a[5]), capture_flag(a[6]), whole(a[7]), whole(a[8])));
}
void sprite_add_from_surface(ScriptEngine& e, ScriptInstance&, ScriptInstance&, int, RValue&,
                             Args a) {
  add_capture(e, whole(a[0]),
              capture_surface(runner_of(e), whole(a[1]), whole(a[2]), whole(a[3]), whole(a[4]),
                              whole(a[5])),
              capture_flag(a[6]), capture_flag(a[7]));
}

void sprite_delete(ScriptEngine& e, ScriptInstance&, ScriptInstance&, int, RValue& r, Args a) {
  const int index = whole(a[0]);
  if (!sprites_of(e).exists(index)) {
    report_action_error(e, kDeleteMissing, false);
    r.set_real(0);
    return;
  }
  // Instances that show the sprite keep its index and draw nothing.
  sprites_of(e).remove(index);
  refresh_sprite_textures(runner_of(e), index);
  r.set_real(1);
}
void sprite_duplicate(ScriptEngine& e, ScriptInstance&, ScriptInstance&, int, RValue& r, Args a) {
  const int index = sprites_of(e).duplicate(kNewName, whole(a[0]));
  if (index < 0) report_action_error(e, kDuplicateMissing, false);
  refresh_sprite_textures(runner_of(e), index);
  r.set_real(index);
}
void sprite_assign(ScriptEngine& e, ScriptInstance&, ScriptInstance&, int, RValue& r, Args a) {
  const int index = whole(a[0]);
  const bool assigned = sprites_of(e).assign(index, whole(a[1]));
  if (assigned) {
    refresh_sprite_textures(runner_of(e), index);
  } else {
    report_action_error(e, kAssignFailed, false);
  }
  r.set_real(assigned ? 1 : 0);
}
void sprite_merge(ScriptEngine& e, ScriptInstance&, ScriptInstance&, int, RValue&, Args a) {
  const int index = whole(a[0]);
  CSprite* sprite = sprites_of(e).get(index);
  const CSprite* other = sprites_of(e).get(whole(a[1]));
  if (sprite == nullptr) {
    report_action_error(e, kMergeToMissing, false);
    return;
  }
  if (other == nullptr) {
    report_action_error(e, kMergeFromMissing, false);
    return;
  }
  // Taken before any is added, in case a sprite merges with itself.
  std::vector<TBitmap32> images = other->images;
  const int width = sprite->width(), height = sprite->height();
  for (TBitmap32& image : images) {
    ResizeImage(image, width, height);
    sprite->images.push_back(std::move(image));
  }
  sprite->MakeMasks(sprite->separate_masks, MaskSettings{});
  refresh_sprite_textures(runner_of(e), index);
}

// The sprite to save; reports and gives none for a missing sprite or an empty name.
const CSprite* sprite_to_save(ScriptEngine& e, const RValue& index, const std::string& name) {
  const CSprite* sprite = sprites_of(e).get(whole(index));
  if (sprite == nullptr) {
    report_action_error(e, kSaveMissing, false);
  } else if (name.empty()) {
    report_action_error(e, kSaveNoName, false);
    sprite = nullptr;
  }
  return sprite;
}
void sprite_save(ScriptEngine& e, ScriptInstance&, ScriptInstance&, int, RValue&, Args a) {
  const std::string name = a[2].str();
  const CSprite* sprite = sprite_to_save(e, a[0], name);
  const int subimage = whole(a[1]);
  if (sprite == nullptr || subimage < 0 || subimage >= static_cast<int>(sprite->images.size()))
    return;
  save_picture(sprite->images[std::size_t(subimage)], name);
}
void sprite_save_strip(ScriptEngine& e, ScriptInstance&, ScriptInstance&, int, RValue&, Args a) {
  const std::string name = a[1].str();
  const CSprite* sprite = sprite_to_save(e, a[0], name);
  if (sprite == nullptr || sprite->images.empty()) return;
  const int width = sprite->width(), height = sprite->height();
  const int count = static_cast<int>(sprite->images.size());
  TBitmap32 strip{width * count, height,
                  std::vector<std::uint8_t>(std::size_t(width) * count * height * 4)};
  for (int i = 0; i < count; ++i) {
    const TBitmap32& image = sprite->images[std::size_t(i)];
    for (int y = 0; y < std::min(height, image.height); ++y) {
      std::memcpy(&strip.pixels[(std::size_t(y) * strip.width + std::size_t(i) * width) * 4],
                  &image.pixels[std::size_t(y) * image.width * 4],
                  std::size_t(std::min(width, image.width)) * 4);
    }
  }
  save_picture(strip, name);
}

void sprite_collision_mask(ScriptEngine& e, ScriptInstance&, ScriptInstance&, int, RValue&,
                           Args a) {
  CSprite* sprite = sprites_of(e).get(whole(a[0]));
  if (sprite == nullptr) {
    report_action_error(e, kMaskMissing, false);
    return;
  }
  MaskSettings settings;
  settings.box_kind = static_cast<MaskBoxKind>(std::clamp(whole(a[2]), 0, 2));
  settings.manual_box = {whole(a[3]), whole(a[4]), whole(a[5]), whole(a[6])};
  settings.shape = static_cast<MaskShape>(std::clamp(whole(a[7]), 0, 3));
  settings.tolerance = whole(a[8]);
  sprite->MakeMasks(is_true(a[1]), settings);
}

}  // namespace

void register_sprite_functions(FunctionRegistry& functions) {
  static const struct {
    const char* name;
    BuiltinFunction handler;
    int count;
  } kFunctions[] = {
      {"sprite_exists", &sprite_exists, 1},
      {"sprite_name", &sprite_name, 1},
      {"sprite_get_name", &sprite_name, 1},
      {"sprite_get_number", &sprite_get<&number_of>, 1},
      {"sprite_get_width", &sprite_get<&width_of>, 1},
      {"sprite_get_height", &sprite_get<&height_of>, 1},
      {"sprite_get_xoffset", &sprite_get<&xoffset_of>, 1},
      {"sprite_get_yoffset", &sprite_get<&yoffset_of>, 1},
      {"sprite_get_bbox_left", &sprite_get<&box_left>, 1},
      {"sprite_get_bbox_right", &sprite_get<&box_right>, 1},
      {"sprite_get_bbox_top", &sprite_get<&box_top>, 1},
      {"sprite_get_bbox_bottom", &sprite_get<&box_bottom>, 1},
      {"sprite_set_offset", &sprite_set_offset, 3},
      {"sprite_set_alpha_from_sprite", &sprite_set_alpha_from_sprite, 2},
      {"sprite_add", &sprite_add, 6},
      {"sprite_replace", &sprite_replace, 7},
      {"sprite_add_sprite", &sprite_add_sprite, 1},
      {"sprite_replace_sprite", &sprite_replace_sprite, 2},
      {"sprite_create_from_screen", &sprite_create_from_screen, 8},
      {"sprite_add_from_screen", &sprite_add_from_screen, 7},
      {"sprite_create_from_surface", &sprite_create_from_surface, 9},
      {"sprite_add_from_surface", &sprite_add_from_surface, 8},
      {"sprite_delete", &sprite_delete, 1},
      {"sprite_duplicate", &sprite_duplicate, 1},
      {"sprite_assign", &sprite_assign, 2},
      {"sprite_merge", &sprite_merge, 2},
      {"sprite_save", &sprite_save, 3},
      {"sprite_save_strip", &sprite_save_strip, 2},
      {"sprite_collision_mask", &sprite_collision_mask, 9},
  };
  for (const auto& function : kFunctions) {
    functions.add(function.name, function.handler, function.count);
  }
}

}  // namespace kestrel
