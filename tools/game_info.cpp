#include <sstream>

#include "project.h"

namespace kestrel::tools {

namespace {

template <class T>
void ListNames(std::ostringstream& out, const char* kind, const ResourceList<T>& list) {
  int used = 0;
  for (int i = 0; i < list.count(); ++i) used += list.exists(i) ? 1 : 0;
  out << kind << ": " << used << " (" << list.count() << " slots)\n";
  for (int i = 0; i < list.count(); ++i)
    if (list.exists(i)) out << "  " << i << " " << list.name(i) << "\n";
}

const char* YesNo(bool value) {
  return value ? "yes" : "no";
}

}  // namespace

std::string DescribeGame(const GameData& game) {
  std::ostringstream out;
  const GameSettings& s = game.settings;
  out << "game data version 800, settings version 800\n";
  out << "game id: " << game.game_id << "\n";
  out << "debug mode: " << YesNo(game.debug_mode) << "\n";
  out << "library: " << (game.library_name.empty() ? "(none)" : game.library_name) << "\n";
  out << "settings:\n"
      << "  start full screen: " << YesNo(s.StartFullscreen)
      << ", interpolate pixels: " << YesNo(s.InterpolatePixels)
      << ", no border: " << YesNo(s.NoWindowBorder) << ", show cursor: " << YesNo(s.ShowCursor)
      << "\n  scaling: " << s.Scaling << ", allow resize: " << YesNo(s.AllowResize)
      << ", stay on top: " << YesNo(s.StayOnTop) << ", colour outside room: " << s.ColourOutsideRoom
      << "\n  set resolution: " << YesNo(s.SetResolution) << " (depth " << s.ColourDepthCode
      << ", resolution " << s.ResolutionCode << ", frequency " << s.FrequencyCode << ")"
      << ", vsync: " << YesNo(s.UseVSync) << "\n  keys: F4 full screen " << YesNo(s.KeyF4Fullscreen)
      << ", F1 information " << YesNo(s.KeyF1Information) << ", Esc ends " << YesNo(s.KeyEscEnds)
      << ", F5/F6 save/load " << YesNo(s.KeyF5F6SaveLoad) << ", F9 screenshot "
      << YesNo(s.KeyF9Screenshot) << ", close as Esc " << YesNo(s.CloseAsEscape)
      << "\n  process priority: " << s.ProcessPriority
      << ", freeze on focus loss: " << YesNo(s.FreezeOnFocusLoss) << "\n  loading: progress bar "
      << YesNo(s.ShowProgressBar) << ", image " << YesNo(s.LoadingImage.has_value()) << ", alpha "
      << s.LoadingAlpha << "\n  errors: show " << YesNo(s.ShowErrors) << ", log "
      << YesNo(s.LogErrors) << ", abort on all " << YesNo(s.AbortOnAllErrors)
      << ", uninitialised as zero " << YesNo(s.UninitializedAsZero) << "\n";
  out << "extension packages: " << game.extension_packages.size() << "\n";
  for (const auto& package : game.extension_packages)
    out << "  " << package.name << " (" << package.files.size() << " files)\n";
  out << "triggers: " << game.triggers.size() << "\n";
  for (std::size_t i = 0; i < game.triggers.size(); ++i)
    if (game.triggers[i]) out << "  " << i << " " << game.triggers[i]->name << "\n";
  out << "constants: " << game.constants.size() << "\n";
  for (const auto& [name, value] : game.constants) out << "  " << name << " = " << value << "\n";
  ListNames(out, "sounds", game.sounds);
  ListNames(out, "sprites", game.sprites);
  ListNames(out, "backgrounds", game.backgrounds);
  ListNames(out, "paths", game.paths);
  ListNames(out, "scripts", game.scripts);
  ListNames(out, "fonts", game.fonts);
  ListNames(out, "time lines", game.timelines);
  ListNames(out, "objects", game.objects);
  ListNames(out, "rooms", game.rooms);
  out << "included files: " << game.included_files.size() << "\n";
  for (const auto& file : game.included_files) out << "  " << file.file_name << "\n";
  out << "library init code: " << game.library_init_code.size() << "\n";
  out << "room order:";
  for (int room : game.room_order) out << " " << room;
  out << "\n";
  return out.str();
}

}  // namespace kestrel::tools
