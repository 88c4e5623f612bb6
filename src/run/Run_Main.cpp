#include "run/Run_Main.h"

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <string>
#include <vector>

#include "data/Runner_Load.h"
#include "data/Support_File.h"
#include "graphics/image/BM32_PNG.h"
#include "lib/Particle_Main.h"
#include "platform/clock.h"
#include "platform/window.h"
#include "run/Event_Main.h"
#include "run/Motion_Path.h"
#include "run/Run_Command.h"
#include "run/Run_Handle_Collision.h"
#include "run/Runner.h"
#include "run/room_draw.h"
#include "run/room_lifecycle.h"
#include "run/run_dialogs.h"
#include "script/Code_Error.h"
#include "script/Code_Exec.h"

namespace kestrel {
namespace {

// Step event numbers, and the trigger moments that run with them.
constexpr int kStepNormal = 0;
constexpr int kStepBegin = 1;
constexpr int kStepEnd = 2;
constexpr int kTriggerMomentBegin = 0;
constexpr int kTriggerMomentNormal = 1;
constexpr int kTriggerMomentEnd = 2;

// Other-event numbers raised by the step.
constexpr int kOutsideRoom = 0;
constexpr int kIntersectBoundary = 1;
constexpr int kEndOfPath = 8;
constexpr int kAnimationEnd = 7;
constexpr int kOutsideView = 40;
constexpr int kBoundaryView = 50;

bool pending(const Runner& runner) {
  return runner.pending_transfer != kNoTransfer;
}

// Runs an event for every object that has it, object by object in ascending
// index, each object's instances in table order; `fires` decides per instance.
template <class Test>
void dispatch_if(Runner& runner, int type, int number, Test fires) {
  ObjectEventLists& lists = runner.event_lists;
  for (std::int32_t object : lists.objects(type, number)) {
    const std::size_t count = runner.instances().exact(object).size();
    // The event is resolved again only after game code changed events.
    FoundEvent found;
    std::int32_t found_for = -1;
    std::uint64_t found_in = 0;
    for (std::size_t k = 0; k < count; ++k) {
      // An event may grow the tables, so they are looked up again each time.
      const auto& instances = runner.instances().exact(object);
      if (k >= instances.size()) break;
      CInstance& instance = *instances[k];
      if (instance.destroyed || !fires(instance)) continue;
      if (found_for != instance.object_index || found_in != lists.generation()) {
        found = lists.resolved(runner, instance.object_index, type, number);
        found_for = instance.object_index;
        found_in = lists.generation();
      }
      perform_found_event(runner, instance, instance, found, type, number);
    }
  }
}

void dispatch(Runner& runner, int type, int number) {
  dispatch_if(runner, type, number, [](const CInstance&) { return true; });
}

void run_triggers(Runner& runner, int moment) {
  for (std::size_t t = 0; t < runner.game.triggers.size(); ++t) {
    const auto& trigger = runner.game.triggers[t];
    const CCode* condition = runner.trigger_condition(static_cast<int>(t));
    if (!trigger || trigger->moment != moment || condition == nullptr) continue;
    const int number = static_cast<int>(t);
    dispatch_if(runner, kEventTrigger, number, [&](CInstance& instance) {
      RValue result;
      if (!execute(runner.engine, *condition, &instance, &instance, result)) {
        report_error(
            runner.engine,
            "ERROR in trigger " + trigger->name + kCr + "\n" + runner.engine.errors.last_text,
            false);
        runner.engine.errors.pending = false;
        return false;
      }
      return result.is_real() && result.real() >= 0.5;
    });
  }
}

void run_time_lines(Runner& runner) {
  // Most games have no time line, and the walk would find none to run.
  if (runner.game.timelines.count() == 0) return;
  RoomInstances& instances = runner.instances();
  const std::int32_t count = instances.count();
  for (std::int32_t i = 0; i < count && i < instances.count(); ++i) {
    CInstance& instance = instances.at(i);
    const CTimeLine* line = runner.game.timelines.get(instance.timeline_index);
    if (instance.destroyed || line == nullptr || line->moments.empty() ||
        !instance.timeline_running || instance.timeline_speed == 0) {
      continue;
    }
    const auto& moments = line->moments;
    const auto first_at_or_after = [&](double position) {
      return static_cast<int>(std::find_if(moments.begin(), moments.end(),
                                           [&](const auto& m) { return m.step >= position; }) -
                              moments.begin());
    };
    const auto last_at_or_before = [&](double position) {
      int found = -1;
      for (int m = 0; m < static_cast<int>(moments.size()); ++m) {
        if (moments[static_cast<std::size_t>(m)].step <= position) found = m;
      }
      return found;
    };
    // Game code in a moment may change or delete the time line it runs in.
    const std::int32_t index = instance.timeline_index;
    const auto run_moment = [&](int m) {
      const CTimeLine* now = runner.game.timelines.get(index);
      const ActionList* actions = runner.time_line_actions(index, m);
      if (now == nullptr || actions == nullptr ||
          static_cast<std::size_t>(m) >= now->moments.size()) {
        return;
      }
      run_action_list(runner, instance, instance, *actions, index, kTimeLineEvent,
                      now->moments[static_cast<std::size_t>(m)].step);
    };
    const double last_step = moments.back().step;
    if (instance.timeline_speed > 0) {
      const int a = first_at_or_after(instance.timeline_position);
      instance.timeline_position += instance.timeline_speed;
      const int b = first_at_or_after(instance.timeline_position);
      for (int m = a; m < b; ++m) run_moment(m);
      if (instance.timeline_position > last_step && instance.timeline_loop) {
        instance.timeline_position = 0;
      }
    } else {
      const int a = last_at_or_before(instance.timeline_position);
      instance.timeline_position += instance.timeline_speed;
      const int b = last_at_or_before(instance.timeline_position);
      for (int m = a; m > b; --m) run_moment(m);
      if (instance.timeline_position < 0 && instance.timeline_loop) {
        instance.timeline_position = last_step;
      }
    }
  }
}

void run_alarms(Runner& runner) {
  for (int alarm = 0; alarm < kAlarmCount; ++alarm) {
    dispatch_if(runner, kEventAlarm, alarm, [alarm](CInstance& instance) {
      if (instance.alarm(alarm) < 0) return false;
      instance.set_alarm(alarm, instance.alarm(alarm) - 1);
      return instance.alarm(alarm) == 0;
    });
  }
}

// The keyboard, key press and key release events, each followed by the
// event for no key or for any key.
void run_keyboard(Runner& runner) {
  const InputState& input = runner.input;
  struct Phase {
    int type;
    bool (InputState::*fires)(int) const;
  };
  const auto held = [](const InputState& in, int key) {
    return in.key_down_now(key) || in.key_pressed_now(key);
  };
  for (const Phase& phase :
       {Phase{kEventKeyboard, nullptr}, Phase{kEventKeyPress, &InputState::key_pressed_now},
        Phase{kEventKeyRelease, &InputState::key_released_now}}) {
    bool any = false;
    for (int key = 8; key <= 255; ++key) {
      const bool fires = phase.fires == nullptr ? held(input, key) : (input.*phase.fires)(key);
      if (!fires) continue;
      any = true;
      dispatch(runner, phase.type, key);
    }
    dispatch(runner, phase.type, any ? kAnyKey : kNoKey);
    if (pending(runner)) return;
  }
}

// Mouse event numbers.
constexpr int kNoButtonEvent = 3;
constexpr int kMouseEnter = 10;
constexpr int kMouseLeave = 11;
constexpr int kGlobalPress = 12;
constexpr int kGlobalRelease = 13;
constexpr int kWheelUp = 60;
constexpr int kWheelDown = 61;

// Mouse events for the instances under the mouse (local) or for all (global).
void dispatch_local(Runner& runner, int number) {
  const PointD at = runner.mouse;
  dispatch_if(runner, kEventMouse, number, [&](const CInstance& instance) {
    return instance_covers_point(runner, instance, at.x, at.y, true);
  });
}

void run_mouse(Runner& runner) {
  const InputState& input = runner.input;
  runner.mouse_previous = runner.mouse;
  runner.mouse = runner.layout.mouse_room();
  bool any = false;
  for (int b = 1; b <= 3; ++b) {
    if (!input.button_down_now(b) && !input.button_pressed_now(b)) continue;
    any = true;
    dispatch_local(runner, b - 1);
    dispatch(runner, kEventMouse, 49 + b);
  }
  if (!any) dispatch_local(runner, kNoButtonEvent);
  for (int b = 1; b <= 3; ++b) {
    if (!input.button_pressed_now(b)) continue;
    dispatch_local(runner, b + 3);
    dispatch(runner, kEventMouse, kGlobalPress);
    dispatch(runner, kEventMouse, b + 52);
  }
  for (int b = 1; b <= 3; ++b) {
    if (!input.button_released_now(b)) continue;
    dispatch_local(runner, b + 6);
    dispatch(runner, kEventMouse, kGlobalRelease);
    dispatch(runner, kEventMouse, b + 55);
  }
  const PointD now = runner.mouse;
  const PointD before = runner.mouse_previous;
  dispatch_if(runner, kEventMouse, kMouseEnter, [&](const CInstance& instance) {
    return instance_covers_point(runner, instance, now.x, now.y, true) &&
           !instance_covers_point(runner, instance, before.x, before.y, true);
  });
  dispatch_if(runner, kEventMouse, kMouseLeave, [&](const CInstance& instance) {
    return instance_covers_point(runner, instance, before.x, before.y, true) &&
           !instance_covers_point(runner, instance, now.x, now.y, true);
  });
  if (input.wheel_up) dispatch(runner, kEventMouse, kWheelUp);
  if (input.wheel_down) dispatch(runner, kEventMouse, kWheelDown);
}

// Joystick event numbers: the stick's left, right, up and down, then its
// first eight buttons; the second joystick's come 15 further on.
constexpr int kJoystickLeft = 16;
constexpr int kJoystickButton1 = 21;
constexpr int kSecondJoystick = 15;

// Joysticks raise mouse events for every instance, wherever the mouse is.
void run_joysticks(Runner& runner) {
  for (int j = 0; j < 2; ++j) {
    const platform::JoystickState stick = runner.joystick(j);
    if (!stick.present) continue;
    const int first = j * kSecondJoystick;
    const std::uint32_t x = stick.axes[0];
    const std::uint32_t y = stick.axes[1];
    const bool directions[] = {(x < 20000), (x > 44000), (y < 20000), (y > 44000)};
    for (int d = 0; d < 4; ++d) {
      if (directions[d]) dispatch(runner, kEventMouse, kJoystickLeft + first + d);
    }
    for (int b = 0; b < 8; ++b) {
      if ((stick.buttons >> b & 1u) != 0)
        dispatch(runner, kEventMouse, kJoystickButton1 + first + b);
    }
  }
}

void move_instances(Runner& runner) {
  RoomInstances& instances = runner.instances();
  const std::int32_t count = instances.count();
  for (std::int32_t i = 0; i < count && i < instances.count(); ++i) {
    CInstance& instance = instances.at(i);
    instance.apply_friction_and_gravity();
    if (instance.path_index >= 0 && path_step(runner, instance)) {
      perform_event(runner, instance, instance, instance.object_index, kEventOther, kEndOfPath);
    }
    // Adding no speed leaves the position as it is.
    if (instance.hspeed() != 0 || instance.vspeed() != 0) {
      instance.set_position(instance.x() + instance.hspeed(), instance.y() + instance.vspeed());
    }
  }
}

void run_boundary_events(Runner& runner) {
  const CRoom& room = runner.room->settings;
  const auto outside_room = [&](const CInstance& i) {
    if (!i.has_mask_sprite()) {
      return !(0 <= i.x() && i.x() <= room.width && 0 <= i.y() && i.y() <= room.height);
    }
    return i.bbox_right() < 0 || i.bbox_left() > room.width || i.bbox_bottom() < 0 ||
           i.bbox_top() > room.height;
  };
  dispatch_if(runner, kEventOther, kOutsideRoom, outside_room);
  if (pending(runner)) return;
  dispatch_if(runner, kEventOther, kIntersectBoundary, [&](const CInstance& i) {
    if (!i.has_mask_sprite()) return outside_room(i);
    return i.bbox_left() < 0 || i.bbox_right() > room.width || i.bbox_top() < 0 ||
           i.bbox_bottom() > room.height;
  });
  if (!room.views_enabled) return;
  for (int v = 0; v < kRoomViews && !pending(runner); ++v) {
    const CView& view = room.views[static_cast<std::size_t>(v)];
    if (!view.visible) continue;
    const double left = view.xview, top = view.yview;
    const double right = left + view.wview, bottom = top + view.hview;
    const auto outside_view = [&](const CInstance& i) {
      if (!i.has_mask_sprite()) {
        return !(left <= i.x() && i.x() <= right && top <= i.y() && i.y() <= bottom);
      }
      return !(i.bbox_right() >= left && i.bbox_left() <= right && i.bbox_bottom() >= top &&
               i.bbox_top() <= bottom);
    };
    dispatch_if(runner, kEventOther, kOutsideView + v, outside_view);
    if (pending(runner)) return;
    dispatch_if(runner, kEventOther, kBoundaryView + v, [&](const CInstance& i) {
      if (!i.has_mask_sprite()) return outside_view(i);
      return !(i.bbox_left() >= left && i.bbox_right() <= right && i.bbox_top() >= top &&
               i.bbox_bottom() <= bottom);
    });
  }
}

void animate(Runner& runner) {
  RoomInstances& instances = runner.instances();
  // Without a handler anywhere the walk runs no code, so this holds throughout.
  const bool any_handler = !runner.event_lists.objects(kEventOther, kAnimationEnd).empty();
  const std::int32_t count = instances.count();
  for (std::int32_t i = 0; i < count && i < instances.count(); ++i) {
    CInstance& instance = instances.at(i);
    instance.image_index += instance.image_speed;
    const CSprite* sprite = runner.game.sprites.get(instance.sprite());
    const auto frames = sprite != nullptr ? static_cast<double>(sprite->images.size()) : 0.0;
    // frames is whole, so this is floor(image_index) >= frames.
    if (instance.image_index >= frames) {
      instance.image_index -= frames;
      if (any_handler) {
        perform_event(runner, instance, instance, instance.object_index, kEventOther,
                      kAnimationEnd);
      }
    }
  }
}

// The screen as "screenshot" + n + ".png" in the working folder, n the first
// number from 100 on whose file does not exist yet.
void save_screenshot(Runner& runner) {
  std::error_code ignored;
  std::filesystem::path file;
  for (int n = 100; file.empty() || std::filesystem::exists(file, ignored); ++n) {
    file = "screenshot" + std::to_string(n) + ".png";
  }
  Graphics& graphics = runner.graphics;
  Capture capture;
  std::string error = "the screen cannot be read";
  if (graphics.capture(0, 0, graphics.region_width(), graphics.region_height(), capture)) {
    const std::vector<std::uint8_t> png =
        EncodePng(capture.width, capture.height, capture.argb, false);
    if (WriteFileAtomically(file, {reinterpret_cast<const char*>(png.data()), png.size()}, error)) {
      return;
    }
  }
  if (runner.show_message) {
    runner.show_message("Failed to save the screenshot " + file.string() + ": " + error);
  }
}

// Function keys the game settings give to the player; the key is used up.
void function_keys(Runner& runner) {
  InputState& input = runner.input;
  const GameSettings& settings = runner.game.settings;
  struct Key {
    int code;
    bool GameSettings::*enabled;
    void (*act)(Runner& runner);
  };
  static constexpr Key kKeys[] = {
      {platform::vk::kF1, &GameSettings::KeyF1Information, &show_game_information},
      {platform::vk::kEscape, &GameSettings::KeyEscEnds,
       [](Runner& r) { r.pending_transfer = kTransferEndGame; }},
      {platform::vk::kF4, &GameSettings::KeyF4Fullscreen,
       [](Runner& r) { r.layout.set_fullscreen(!r.layout.fullscreen()); }},
      {platform::vk::kF5, &GameSettings::KeyF5F6SaveLoad,
       [](Runner& r) { save_game(r, quick_save_file(r)); }},
      {platform::vk::kF6, &GameSettings::KeyF5F6SaveLoad,
       [](Runner& r) { load_game(r, quick_save_file(r)); }},
      {platform::vk::kF9, &GameSettings::KeyF9Screenshot, &save_screenshot},
  };
  for (const Key& key : kKeys) {
    if (input.last_key != key.code || !(settings.*key.enabled)) continue;
    input.last_key = 0;
    key.act(runner);
    return;
  }
}

}  // namespace

void frame_step(Runner& runner) {
  runner.release_retired_actions();
  if (runner.game.settings.FreezeOnFocusLoss && !runner.input.active()) return;
  function_keys(runner);
  if (!runner.input.active()) runner.input.clear();
  RoomInstances& instances = runner.instances();
  for (std::int32_t i = 0; i < instances.count(); ++i) {
    CInstance& instance = instances.at(i);
    instance.xprevious = instance.x();
    instance.yprevious = instance.y();
    instance.path_positionprevious = std::clamp(instance.path_position, 0.0, 1.0);
  }
  run_triggers(runner, kTriggerMomentBegin);
  dispatch(runner, kEventStep, kStepBegin);
  if (pending(runner)) return;
  run_time_lines(runner);
  if (pending(runner)) return;
  run_alarms(runner);
  if (pending(runner)) return;
  run_keyboard(runner);
  if (pending(runner)) return;
  run_joysticks(runner);
  if (pending(runner)) return;
  run_mouse(runner);
  if (pending(runner)) return;
  run_triggers(runner, kTriggerMomentNormal);
  dispatch(runner, kEventStep, kStepNormal);
  if (pending(runner)) return;
  move_instances(runner);
  run_boundary_events(runner);
  if (pending(runner)) return;
  run_collision_events(runner);
  if (pending(runner)) return;
  run_triggers(runner, kTriggerMomentEnd);
  dispatch(runner, kEventStep, kStepEnd);
  if (pending(runner)) return;
  update_all_systems(runner.engine);
  runner.instances().remove_destroyed();
  // A game that turned automatic drawing off draws when it asks to.
  if (runner.automatic_draw) redraw_room(runner);
  for (CBack& back : runner.room->settings.backgrounds) {
    back.x += back.hspeed;
    back.y += back.vspeed;
  }
  animate(runner);
  ++runner.step_counter;
  runner.input.clear_pressed();
}

void main_loop(Runner& runner, platform::Window& window, const LoopOptions& options) {
  if (!handle_transfer(runner)) return;
  platform::Clock clock;
  std::int64_t last = clock.microseconds();
  std::int64_t second_start = last;
  std::int32_t counter = 0;
  runner.fps = 0;
  window.pump_events(runner.input);
  for (std::int64_t steps = 0;
       runner.game_running && (options.max_steps < 0 || steps < options.max_steps); ++steps) {
    if (runner.game_paused) {
      if (options.while_paused) options.while_paused();
      runner.game_paused = false;
      // A restart asked for while paused happens before the next step; the
      // time spent paused is not made up for.
      if (!handle_transfer(runner)) return;
      last = clock.microseconds();
    }
    if (options.before_step) options.before_step(steps + 1);
    frame_step(runner);
    if (options.after_step) options.after_step(steps + 1);
    if (runner.input.close_event_pending) {
      runner.input.close_event_pending = false;
      perform_event_all(runner, kEventOther, 30);
    }
    const std::int64_t now = clock.microseconds();
    if (now < last) last = now;
    std::int64_t wait = 0;
    if (options.real_time) {
      if (runner.room->settings.speed < 1) runner.room->settings.speed = 1;
      wait = std::clamp<std::int64_t>(1'000'000 / runner.room->settings.speed - (now - last), 0,
                                      1'000'000);
      // The coarse part blocks; the last millisecond keeps the window answering.
      if (wait >= 2000) platform::Clock::sleep(wait - 1000);
      while (clock.microseconds() < now + wait) window.pump_events(runner.input);
    }
    last = now + wait;
    if (last < second_start) second_start = last;
    if (last / 1'000'000 > second_start / 1'000'000) {
      runner.fps = counter;
      counter = 0;
      second_start = last;
    }
    ++counter;
    if (runner.pending_transfer == kNoTransfer && runner.automatic_draw) present_room(runner);
    if (!handle_transfer(runner)) return;
    window.pump_events(runner.input);
    update_open_splash(runner);
  }
}

void single_step(Runner& runner, platform::Window& window) {
  window.pump_events(runner.input);
  frame_step(runner);
  if (runner.pending_transfer == kNoTransfer && runner.automatic_draw) present_room(runner);
  handle_transfer(runner);
  window.pump_events(runner.input);
}

void show_game_information(Runner& runner) {
  InformationHost host{runner.layout.window(), runner.graphics, runner.layout, runner.input,
                       runner.player_present};
  std::string error;
  if (!runner.information.show(host, error) && runner.show_message) runner.show_message(error);
  runner.input.clear();
}

}  // namespace kestrel
