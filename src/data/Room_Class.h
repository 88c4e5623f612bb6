#pragma once

#include <array>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "data/Support_Stream.h"

namespace kestrel {

inline constexpr int kRoomBackgroundSlots = 8;
inline constexpr int kRoomViews = 8;
inline constexpr int kWhite = 16777215;

struct CBack {
  bool visible = false;
  bool foreground = false;
  int background = -1;
  double x = 0;
  double y = 0;
  bool htiled = true;
  bool vtiled = true;
  double xscale = 1;
  double yscale = 1;
  double hspeed = 0;
  double vspeed = 0;
  int blend = kWhite;
  double alpha = 1;
  bool stretch = false;  // as stored: the scales follow the room size

  bool operator==(const CBack&) const = default;
};

struct CView {
  bool visible = false;
  int xview = 0, yview = 0, wview = 640, hview = 480;
  int xport = 0, yport = 0, wport = 640, hport = 480;
  double angle = 0;
  int hborder = 32, vborder = 32;
  int hspeed = -1, vspeed = -1;
  int object = -1;

  bool operator==(const CView&) const = default;
};

// An instance as the room definition places it; the live instance is made
// from it when the room starts.
struct RoomInstance {
  int x = 0;
  int y = 0;
  int object = 0;
  int id = 0;
  std::string creation_code;

  bool operator==(const RoomInstance&) const = default;
};

struct RoomTile {
  double x = 0, y = 0;
  int background = -1;
  int left = 0, top = 0, width = 0, height = 0;
  double depth = 0;
  int id = 0;
  double xscale = 1, yscale = 1;
  int blend = kWhite;
  double alpha = 1;
  bool visible = true;

  bool operator==(const RoomTile&) const = default;
};

// Width and height of a background by index; none when it does not exist.
using BackgroundSizeLookup = std::function<std::optional<std::pair<int, int>>(int)>;

class CRoom {
 public:
  std::string caption;
  int speed = 30;
  int width = 640;
  int height = 480;
  bool persistent = false;
  int colour = 12632256;
  bool show_colour = true;
  std::array<CBack, kRoomBackgroundSlots> backgrounds;
  bool views_enabled = false;
  std::array<CView, kRoomViews> views;
  std::string creation_code;
  std::vector<RoomInstance> instances;
  std::vector<RoomTile> tiles;

  bool Load(CStream& stream, const BackgroundSizeLookup& background_size);
  void Save(CStream& stream) const;

  bool operator==(const CRoom&) const = default;
};

}  // namespace kestrel
