#pragma once

// Names shared by the reader and the writer of project folders.

#include <array>
#include <string>
#include <string_view>

#include "data/Runner_Load.h"

namespace kestrel::tools {

inline constexpr int kFormatVersion = 1;
inline constexpr char kGameFile[] = "game.json";
inline constexpr char kOrderFile[] = "order.json";

inline constexpr std::array<std::string_view, kEventKindCount> kEventKindNames = {
    "create", "destroy", "alarm", "step",     "collision",  "keyboard",
    "mouse",  "other",   "draw",  "keypress", "keyrelease", "trigger"};
inline constexpr int kCollisionKind = 4;

inline constexpr std::array<std::string_view, 4> kSoundKindNames = {"normal", "music", "3d",
                                                                    "multimedia"};
inline constexpr std::array<std::string_view, 2> kPathKindNames = {"straight", "smooth"};
inline constexpr std::array<std::string_view, 3> kTriggerMomentNames = {"begin_step", "step",
                                                                        "end_step"};
inline constexpr std::array<std::string_view, 4> kMaskShapeNames = {"precise", "rectangle", "disk",
                                                                    "diamond"};

// The action that runs a piece of code, as the authoring tool makes it; a
// project writes it as {"code": FILE}.
inline CAction StandardCodeAction(std::string code) {
  CAction action;
  action.library_id = 1;
  action.action_id = 603;
  action.kind = 7;
  action.has_apply_to = true;
  action.execution_type = 2;
  action.argument_count = 1;
  action.argument_kinds = {1};
  action.argument_values = {std::move(code)};
  return action;
}

}  // namespace kestrel::tools
