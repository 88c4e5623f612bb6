#include "data/Room_Class.h"

#include <cmath>

namespace kestrel {

namespace {

void LoadBack(CBack& back, CStream& stream) {
  back.visible = ReadBool(stream);
  back.foreground = ReadBool(stream);
  back.background = ReadInt(stream);
  back.x = ReadInt(stream);
  back.y = ReadInt(stream);
  back.htiled = ReadBool(stream);
  back.vtiled = ReadBool(stream);
  back.hspeed = ReadInt(stream);
  back.vspeed = ReadInt(stream);
  back.stretch = ReadBool(stream);
}

void LoadView(CView& view, CStream& stream) {
  view.visible = ReadBool(stream);
  for (int* field :
       {&view.xview, &view.yview, &view.wview, &view.hview, &view.xport, &view.yport, &view.wport,
        &view.hport, &view.hborder, &view.vborder, &view.hspeed, &view.vspeed, &view.object})
    *field = ReadInt(stream);
}

// Fills slots 0 onward; a record announcing more than the room has is read to
// its end, the extra entries dropped.
template <class T, std::size_t N, class LoadOne>
void LoadSlots(std::array<T, N>& slots, CStream& stream, LoadOne load_one) {
  const int count = ReadInt(stream);
  for (int i = 0; i < count && !stream.failed(); ++i) {
    T dropped;
    load_one(i < int(N) ? slots[i] : dropped, stream);
  }
}

// Integer fields of the record that the room keeps as reals.
int StoredInt(double value) {
  return int(std::lround(value));
}

}  // namespace

bool CRoom::Load(CStream& stream, const BackgroundSizeLookup& background_size) {
  *this = CRoom{};
  if (ReadInt(stream) != 541) return false;
  caption = ReadString(stream);
  width = ReadInt(stream);
  height = ReadInt(stream);
  speed = ReadInt(stream);
  persistent = ReadBool(stream);
  colour = ReadInt(stream);
  show_colour = ReadBool(stream);
  creation_code = ReadString(stream);
  LoadSlots(backgrounds, stream, LoadBack);
  views_enabled = ReadBool(stream);
  LoadSlots(views, stream, LoadView);
  const int instance_count = ReadInt(stream);
  for (int i = 0; i < instance_count && !stream.failed(); ++i) {
    RoomInstance& instance = instances.emplace_back();
    instance.x = ReadInt(stream);
    instance.y = ReadInt(stream);
    instance.object = ReadInt(stream);
    instance.id = ReadInt(stream);
    instance.creation_code = ReadString(stream);
  }
  const int tile_count = ReadInt(stream);
  for (int i = 0; i < tile_count && !stream.failed(); ++i) {
    RoomTile& tile = tiles.emplace_back();
    tile.x = ReadInt(stream);
    tile.y = ReadInt(stream);
    tile.background = ReadInt(stream);
    tile.left = ReadInt(stream);
    tile.top = ReadInt(stream);
    tile.width = ReadInt(stream);
    tile.height = ReadInt(stream);
    tile.depth = ReadInt(stream);
    tile.id = ReadInt(stream);
  }
  if (stream.failed()) return false;
  for (CBack& back : backgrounds) {
    if (!back.stretch) continue;
    auto size = background_size ? background_size(back.background) : std::nullopt;
    if (!size) continue;
    if (size->first >= 1) back.xscale = double(width) / size->first;
    if (size->second >= 1) back.yscale = double(height) / size->second;
  }
  return true;
}

void CRoom::Save(CStream& stream) const {
  WriteInt(stream, 541);
  WriteString(stream, caption);
  WriteInt(stream, width);
  WriteInt(stream, height);
  WriteInt(stream, speed);
  WriteBool(stream, persistent);
  WriteInt(stream, colour);
  WriteBool(stream, show_colour);
  WriteString(stream, creation_code);
  WriteInt(stream, kRoomBackgroundSlots);
  for (const CBack& back : backgrounds) {
    WriteBool(stream, back.visible);
    WriteBool(stream, back.foreground);
    WriteInt(stream, back.background);
    WriteInt(stream, StoredInt(back.x));
    WriteInt(stream, StoredInt(back.y));
    WriteBool(stream, back.htiled);
    WriteBool(stream, back.vtiled);
    WriteInt(stream, StoredInt(back.hspeed));
    WriteInt(stream, StoredInt(back.vspeed));
    WriteBool(stream, back.stretch);
  }
  WriteBool(stream, views_enabled);
  WriteInt(stream, kRoomViews);
  for (const CView& view : views) {
    WriteBool(stream, view.visible);
    for (int field :
         {view.xview, view.yview, view.wview, view.hview, view.xport, view.yport, view.wport,
          view.hport, view.hborder, view.vborder, view.hspeed, view.vspeed, view.object})
      WriteInt(stream, field);
  }
  WriteInt(stream, int(instances.size()));
  for (const RoomInstance& instance : instances) {
    WriteInt(stream, instance.x);
    WriteInt(stream, instance.y);
    WriteInt(stream, instance.object);
    WriteInt(stream, instance.id);
    WriteString(stream, instance.creation_code);
  }
  WriteInt(stream, int(tiles.size()));
  for (const RoomTile& tile : tiles) {
    WriteInt(stream, StoredInt(tile.x));
    WriteInt(stream, StoredInt(tile.y));
    WriteInt(stream, tile.background);
    WriteInt(stream, tile.left);
    WriteInt(stream, tile.top);
    WriteInt(stream, tile.width);
    WriteInt(stream, tile.height);
    WriteInt(stream, StoredInt(tile.depth));
    WriteInt(stream, tile.id);
  }
}

}  // namespace kestrel
