#include "standard_actions.h"

#include <algorithm>
#include <cstring>

namespace kestrel::tools {
namespace {

constexpr int kStandardLibrary = 1;
constexpr int kNormalAction = 0;
constexpr int kExecuteFunction = 1;

constexpr bool R = true, Q = true, A = true, _ = false;

// Grouped as the action forms are: motion 1xx, objects and sprites 2xx,
// rooms and timing 3xx, questions and code 4xx, score 5xx, drawing 7xx,
// sound, resources and CD 8xx, particles 9xx, messages and splash screens
// 10xx, and the actions without effect 11xx.
constexpr StandardAction kStandardActions[] = {
    {"action_move", R, _, A, "le", 101},
    {"action_set_motion", R, _, A, "ee", 102},
    {"action_set_hspeed", R, _, A, "e", 103},
    {"action_set_vspeed", R, _, A, "e", 104},
    {"action_set_gravity", R, _, A, "ee", 105},
    {"action_set_friction", R, _, A, "e", 106},
    {"action_move_point", R, _, A, "eee", 107},
    {"action_move_to", R, _, A, "ee", 108},
    {"action_move_start", _, _, A, "", 109},
    {"action_move_random", _, _, A, "ee", 110},
    {"action_snap", _, _, A, "ee", 111},
    {"action_wrap", _, _, A, "e", 112},
    {"action_reverse_xdir", _, _, A, "", 113},
    {"action_reverse_ydir", _, _, A, "", 114},
    {"action_move_contact", _, _, A, "eee", 115},
    {"action_bounce", _, _, A, "ee", 116},
    {"action_path", _, _, A, "eeee", 117},
    {"action_path_end", _, _, A, "", 118},
    {"action_path_position", R, _, A, "e", 119},
    {"action_path_speed", R, _, A, "e", 120},
    {"action_linear_step", R, _, A, "eeee", 121},
    {"action_potential_step", R, _, A, "eeee", 122},
    {"action_create_object", R, _, A, "eee", 201},
    {"action_create_object_motion", R, _, A, "eeeee", 202},
    {"action_create_object_random", R, _, A, "eeeeee", 203},
    {"action_change_object", _, _, A, "ee", 204},
    {"action_kill_object", _, _, A, "", 205},
    {"action_kill_position", R, _, A, "ee", 206},
    {"action_sprite_set", _, _, A, "eee", 207},
    {"action_set_sprite", _, _, A, "ee", 208},
    {"action_sprite_transform", _, _, A, "eeee", 209},
    {"action_sprite_color", _, _, A, "ee", 210},
    {"action_another_room", _, _, _, "ee", 301},
    {"action_previous_room", _, _, _, "e", 302},
    {"action_next_room", _, _, _, "e", 303},
    {"action_current_room", _, _, _, "e", 304},
    {"action_if_previous_room", _, Q, _, "", 305},
    {"action_if_next_room", _, Q, _, "", 306},
    {"action_end_game", _, _, _, "", 307},
    {"action_restart_game", _, _, _, "", 308},
    {"action_save_game", _, _, _, "s", 309},
    {"action_load_game", _, _, _, "s", 310},
    {"action_set_alarm", R, _, A, "ee", 311},
    {"action_sleep", _, _, _, "ee", 312},
    {"action_set_timeline", _, _, A, "ee", 313},
    {"action_timeline_set", _, _, A, "eeee", 314},
    {"action_timeline_start", _, _, A, "", 315},
    {"action_timeline_pause", _, _, A, "", 316},
    {"action_timeline_stop", _, _, A, "", 317},
    {"action_set_timeline_position", R, _, A, "e", 318},
    {"action_set_timeline_speed", R, _, A, "e", 319},
    {"action_fullscreen", _, _, _, "e", 320},
    {"action_set_cursor", _, _, _, "ee", 321},
    {"action_snapshot", _, _, _, "s", 322},
    {"action_if_empty", R, Q, A, "eee", 401},
    {"action_if_collision", R, Q, A, "eee", 402},
    {"action_if_object", R, Q, A, "eee", 403},
    {"action_if_number", _, Q, _, "eee", 404},
    {"action_if", _, Q, A, "e", 405},
    {"action_if_dice", _, Q, _, "e", 406},
    {"action_if_question", _, Q, _, "s", 407},
    {"action_if_mouse", _, Q, _, "e", 408},
    {"action_if_aligned", _, Q, A, "ee", 409},
    {"action_if_variable", _, Q, A, "eee", 410},
    {"action_execute_script", _, _, A, "eeeeee", 411},
    {"action_inherited", _, _, A, "", 412},
    {"action_set_score", R, _, _, "e", 501},
    {"action_if_score", _, Q, _, "ee", 502},
    {"action_set_life", R, _, _, "e", 503},
    {"action_if_life", _, Q, _, "ee", 504},
    {"action_set_health", R, _, _, "e", 505},
    {"action_if_health", _, Q, _, "ee", 506},
    {"action_set_caption", _, _, _, "eseses", 507},
    {"action_draw_score", R, _, A, "ees", 508},
    {"action_draw_life", R, _, A, "ees", 509},
    {"action_draw_life_images", R, _, A, "eee", 510},
    {"action_draw_health", R, _, A, "eeeeee", 511},
    {"action_highscore_show", _, _, _, "eeeee", 512},
    {"action_highscore_clear", _, _, _, "", 513},
    {"action_draw_sprite", R, _, A, "eeee", 701},
    {"action_draw_background", R, _, A, "eeee", 702},
    {"action_draw_text", R, _, A, "see", 703},
    {"action_draw_text_transformed", R, _, A, "seeeee", 704},
    {"action_draw_variable", R, _, A, "eee", 705},
    {"action_draw_rectangle", R, _, A, "eeeee", 706},
    {"action_draw_ellipse", R, _, A, "eeeee", 707},
    {"action_draw_gradient_hor", R, _, A, "eeeeee", 708},
    {"action_draw_gradient_vert", R, _, A, "eeeeee", 709},
    {"action_draw_ellipse_gradient", R, _, A, "eeeeee", 710},
    {"action_draw_line", R, _, A, "eeee", 711},
    {"action_draw_arrow", R, _, A, "eeeee", 712},
    {"action_color", _, _, _, "e", 713},
    {"action_font", _, _, _, "ee", 714},
    {"action_effect", R, _, A, "eeeeee", 715},
    {"action_sound", _, _, _, "ee", 801},
    {"action_end_sound", _, _, _, "ee", 802},
    {"action_if_sound", _, Q, _, "e", 803},
    {"action_replace_sprite", _, _, _, "ese", 804},
    {"action_replace_background", _, _, _, "es", 805},
    {"action_replace_sound", _, _, _, "es", 806},
    {"action_cd_play", _, _, _, "ee", 807},
    {"action_cd_stop", _, _, _, "", 808},
    {"action_cd_pause", _, _, _, "", 809},
    {"action_cd_resume", _, _, _, "", 810},
    {"action_cd_present", _, Q, _, "", 811},
    {"action_cd_playing", _, Q, _, "", 812},
    {"action_partsyst_create", _, _, _, "e", 901},
    {"action_partsyst_destroy", _, _, _, "", 902},
    {"action_partsyst_clear", _, _, _, "", 903},
    {"action_parttype_create", _, _, _, "eeeeee", 904},
    {"action_parttype_create_old", _, _, _, "eeeeee", 905},
    {"action_parttype_color", _, _, _, "eeeeee", 906},
    {"action_parttype_life", _, _, _, "eee", 907},
    {"action_parttype_speed", _, _, _, "eeeeee", 908},
    {"action_parttype_gravity", _, _, _, "eee", 909},
    {"action_parttype_secondary", _, _, _, "eeeee", 910},
    {"action_partemit_create", _, _, _, "eeeeee", 911},
    {"action_partemit_destroy", _, _, _, "e", 912},
    {"action_partemit_burst", _, _, _, "eee", 913},
    {"action_partemit_stream", _, _, _, "eee", 914},
    {"action_message", _, _, _, "s", 1001},
    {"action_show_info", _, _, _, "", 1002},
    {"action_show_video", _, _, _, "see", 1003},
    {"action_splash_video", _, _, _, "se", 1004},
    {"action_splash_text", _, _, _, "s", 1005},
    {"action_splash_image", _, _, _, "s", 1006},
    {"action_splash_web", _, _, _, "se", 1007},
    {"action_splash_settings", _, _, _, "seeee", 1008},
    {"action_webpage", _, _, _, "s", 1009},
    {"action_path_old", _, _, A, nullptr, 1101},
    {"action_draw_font", _, _, _, nullptr, 1102},
    {"action_draw_font_old", _, _, _, nullptr, 1103},
    {"action_fill_color", _, _, _, nullptr, 1104},
    {"action_line_color", _, _, _, nullptr, 1105},
    {"action_highscore", _, _, _, nullptr, 1106},
};

int StoredKind(char letter) {
  switch (letter) {
    case 'l':
      return 1;
    case 's':
      return 2;
    default:
      return 0;
  }
}

// The list-shaping actions as the authoring tool's control tab stores them.
CAction ControlAction(int kind, int action_id) {
  CAction action;
  action.library_id = kStandardLibrary;
  action.action_id = action_id;
  action.kind = kind;
  return action;
}

}  // namespace

CAction BlockAction(std::string_view name) {
  if (name == "begin") return ControlAction(1, 422);
  if (name == "end") return ControlAction(2, 424);
  if (name == "else") return ControlAction(3, 411);
  if (name == "exit") return ControlAction(4, 425);
  return CAction();
}

CAction RepeatAction(std::string times) {
  CAction action = ControlAction(5, 423);
  action.argument_count = 1;
  action.argument_kinds = {0};
  action.argument_values = {std::move(times)};
  return action;
}

const StandardAction* FindStandardAction(std::string_view function) {
  const auto* found = std::find_if(std::begin(kStandardActions), std::end(kStandardActions),
                                   [&](const StandardAction& a) { return function == a.function; });
  return found == std::end(kStandardActions) ? nullptr : found;
}

CAction StandardFunctionAction(const StandardAction& standard, std::vector<std::string> arguments) {
  CAction action;
  action.library_id = kStandardLibrary;
  action.action_id = standard.action_id;
  action.kind = kNormalAction;
  action.may_be_relative = standard.relative_allowed;
  action.question = standard.question;
  action.has_apply_to = standard.has_apply_to;
  action.execution_type = kExecuteFunction;
  action.function_name = standard.function;
  action.argument_count = static_cast<int>(arguments.size());
  for (std::size_t i = 0; i < arguments.size(); ++i) {
    const bool known =
        standard.argument_kinds != nullptr && i < std::strlen(standard.argument_kinds);
    action.argument_kinds.push_back(known ? StoredKind(standard.argument_kinds[i]) : 0);
  }
  action.argument_values = std::move(arguments);
  return action;
}

}  // namespace kestrel::tools
