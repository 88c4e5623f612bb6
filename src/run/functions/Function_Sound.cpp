#include <filesystem>
#include <type_traits>

#include "data/Support_File.h"
#include "platform/audio.h"
#include "run/Runner.h"
#include "run/functions/families.h"
#include "script/Code_Error.h"

namespace kestrel {
namespace {

using Args = const RValue*;

int whole(const RValue& value) {
  return round_to_int32(value.real());
}
float single(const RValue& value) {
  return static_cast<float>(value.real());
}
Vector3 vector_at(Args a, int first) {
  return {a[first].real(), a[first + 1].real(), a[first + 2].real()};
}

SoundSystem& sound_of(ScriptEngine& engine) {
  return runner_of(engine).sound;
}

// The player entry of the sound the value names, prepared now when it has
// none (-1 when it cannot be played); a missing sound is reported with
// `missing`.
std::optional<int> entry_or_report(ScriptEngine& engine, const RValue& sound, const char* missing) {
  const std::optional<int> entry = sound_of(engine).entry_of(whole(sound));
  if (!entry) report_action_error(engine, missing, false);
  return entry;
}

// What a function does with the player entry of the sound it names first.
using EntryAction = void (*)(SoundEngine& sound, int entry, Args arguments);

template <EntryAction act>
void on_sound(ScriptEngine& engine, ScriptInstance&, ScriptInstance&, int, RValue&, Args a) {
  if (const auto entry = entry_or_report(engine, a[0], kNoSuchSoundMessage)) {
    act(sound_of(engine).engine(), *entry, a);
  }
}

void play(SoundEngine& sound, int entry, Args) {
  sound.play(entry, false);
}
void loop(SoundEngine& sound, int entry, Args) {
  sound.play(entry, true);
}
void stop(SoundEngine& sound, int entry, Args) {
  sound.stop(entry);
}
void volume(SoundEngine& sound, int entry, Args a) {
  sound.set_volume(entry, a[1].real());
}
void fade(SoundEngine& sound, int entry, Args a) {
  sound.fade(entry, a[1].real(), a[2].real());
}
void pan(SoundEngine& sound, int entry, Args a) {
  sound.set_pan(entry, a[1].real());
}

void effect_set(SoundEngine& sound, int entry, Args a) {
  sound.set_effects(entry, whole(a[1]));
}
// Chorus and flanger take the same seven parameters.
ModulatedDelayParameters modulated_delay(Args a) {
  return {single(a[1]), single(a[2]), single(a[3]), single(a[4]),
          whole(a[5]),  single(a[6]), whole(a[7])};
}
void effect_chorus(SoundEngine& sound, int entry, Args a) {
  sound.set_chorus(entry, modulated_delay(a));
}
void effect_flanger(SoundEngine& sound, int entry, Args a) {
  sound.set_flanger(entry, modulated_delay(a));
}
void effect_compressor(SoundEngine& sound, int entry, Args a) {
  sound.set_compressor(
      entry, {single(a[1]), single(a[2]), single(a[3]), single(a[4]), single(a[5]), single(a[6])});
}
void effect_echo(SoundEngine& sound, int entry, Args a) {
  sound.set_echo(entry, {single(a[1]), single(a[2]), single(a[3]), single(a[4]), whole(a[5])});
}
void effect_gargle(SoundEngine& sound, int entry, Args a) {
  sound.set_gargle(entry, {whole(a[1]), whole(a[2])});
}
void effect_equalizer(SoundEngine& sound, int entry, Args a) {
  sound.set_equalizer(entry, {single(a[1]), single(a[2]), single(a[3])});
}
void effect_reverb(SoundEngine& sound, int entry, Args a) {
  sound.set_reverb(entry, {single(a[1]), single(a[2]), single(a[3]), single(a[4])});
}

void position_3d(SoundEngine& sound, int entry, Args a) {
  sound.set_position(entry, vector_at(a, 1));
}
// The mixer places a sound by where it is alone: velocity would only bend
// its pitch, which the mixer does not do, so the sound merely has to exist.
void velocity_3d(SoundEngine&, int, Args) {}
void distance_3d(SoundEngine& sound, int entry, Args a) {
  sound.set_distance(entry, a[1].real(), a[2].real());
}
void cone_3d(SoundEngine& sound, int entry, Args a) {
  sound.set_cone(entry, vector_at(a, 1), whole(a[4]), whole(a[5]), a[6].real());
}

// A missing sound is not playing, and asking is no error.
void sound_isplaying(ScriptEngine& engine, ScriptInstance&, ScriptInstance&, int, RValue& result,
                     Args a) {
  SoundSystem& sound = sound_of(engine);
  const std::optional<int> entry = sound.entry_of(whole(a[0]));
  result.set_real(entry && sound.engine().is_playing(*entry) ? 1 : 0);
}

void sound_stop_all(ScriptEngine& engine, ScriptInstance&, ScriptInstance&, int, RValue&, Args) {
  sound_of(engine).engine().stop_all();
}
void sound_global_volume(ScriptEngine& engine, ScriptInstance&, ScriptInstance&, int, RValue&,
                         Args a) {
  sound_of(engine).engine().set_global_volume(a[0].real());
}
void sound_background_tempo(ScriptEngine& engine, ScriptInstance&, ScriptInstance&, int, RValue&,
                            Args a) {
  sound_of(engine).engine().set_tempo(a[0].real());
}
void sound_set_search_directory(ScriptEngine& engine, ScriptInstance&, ScriptInstance&, int,
                                RValue&, Args a) {
  sound_of(engine).engine().set_search_directory(a[0].str());
}

// A CD function without arguments; what it answers, if anything, is the result.
template <auto ask>
void cd_function(ScriptEngine& engine, ScriptInstance&, ScriptInstance&, int, RValue& result,
                 Args) {
  CdAudio& cd = sound_of(engine).cd();
  if constexpr (std::is_void_v<decltype((cd.*ask)())>) {
    (cd.*ask)();
  } else {
    result.set_real((cd.*ask)());
  }
}

void cd_track_length(ScriptEngine& engine, ScriptInstance&, ScriptInstance&, int, RValue& result,
                     Args a) {
  result.set_real(sound_of(engine).cd().track_length(whole(a[0])));
}
void cd_play(ScriptEngine& engine, ScriptInstance&, ScriptInstance&, int, RValue&, Args a) {
  sound_of(engine).cd().play(whole(a[0]), whole(a[1]));
}
void cd_set_position(ScriptEngine& engine, ScriptInstance&, ScriptInstance&, int, RValue&, Args a) {
  sound_of(engine).cd().set_position(whole(a[0]));
}
void cd_set_track_position(ScriptEngine& engine, ScriptInstance&, ScriptInstance&, int, RValue&,
                           Args a) {
  sound_of(engine).cd().set_track_position(whole(a[0]));
}
void MCI_command(ScriptEngine& engine, ScriptInstance&, ScriptInstance&, int, RValue& result,
                 Args a) {
  result.set_text(sound_of(engine).cd().command(a[0].text()));
}

// The sound resources.

ResourceList<CSound>& sounds_of(ScriptEngine& engine) {
  return runner_of(engine).sounds;
}

// A sound made from a file: its type from the extension, its data the whole
// file. Nothing when the file cannot be read.
std::optional<CSound> sound_from_file(const std::string& file_name, int kind, bool preload) {
  const std::filesystem::path path(file_name);
  std::error_code error;
  if (!std::filesystem::is_regular_file(path, error)) return std::nullopt;
  std::optional<Bytes> data = ReadWholeFile(path);
  if (!data) return std::nullopt;
  CSound sound;
  sound.kind = kind;
  sound.file_type = path.extension().string();
  sound.file_name = path.filename().string();
  sound.data = std::move(*data);
  sound.preload = preload;
  return sound;
}

// Puts the sound in place of whatever the slot held and prepares it when it
// is to be preloaded.
void install_sound(SoundSystem& system, CSound& slot, int index, CSound sound) {
  system.forget(index);
  slot = std::move(sound);
  if (slot.preload) system.entry_of(index);
}

void sound_exists(ScriptEngine& engine, ScriptInstance&, ScriptInstance&, int, RValue& result,
                  Args a) {
  result.set_real(sounds_of(engine).exists(whole(a[0])) ? 1 : 0);
}
void sound_get_name(ScriptEngine& engine, ScriptInstance&, ScriptInstance&, int, RValue& result,
                    Args a) {
  result.set_text(sounds_of(engine).name(whole(a[0])));
}
void sound_get_kind(ScriptEngine& engine, ScriptInstance&, ScriptInstance&, int, RValue& result,
                    Args a) {
  const CSound* sound = sounds_of(engine).get(whole(a[0]));
  result.set_real(sound != nullptr ? sound->kind : -1);
}
void sound_get_preload(ScriptEngine& engine, ScriptInstance&, ScriptInstance&, int, RValue& result,
                       Args a) {
  const CSound* sound = sounds_of(engine).get(whole(a[0]));
  result.set_real(sound == nullptr ? -1 : sound->preload ? 1 : 0);
}

void sound_discard(ScriptEngine& engine, ScriptInstance&, ScriptInstance&, int, RValue&, Args a) {
  sound_of(engine).forget(whole(a[0]));
}
void sound_restore(ScriptEngine& engine, ScriptInstance&, ScriptInstance&, int, RValue&, Args a) {
  sound_of(engine).entry_of(whole(a[0]));
}

void sound_add(ScriptEngine& engine, ScriptInstance&, ScriptInstance&, int, RValue& result,
               Args a) {
  std::optional<CSound> sound = sound_from_file(a[0].str(), whole(a[1]), is_true(a[2]));
  if (!sound) {
    result.set_real(-1);
    return;
  }
  ResourceList<CSound>& sounds = sounds_of(engine);
  const int index = sounds.count();
  CSound& slot = sounds.add("__newsound" + std::to_string(index));
  install_sound(sound_of(engine), slot, index, std::move(*sound));
  result.set_real(index);
}

void sound_replace(ScriptEngine& engine, ScriptInstance&, ScriptInstance&, int, RValue& result,
                   Args a) {
  const int index = whole(a[0]);
  CSound* slot = sounds_of(engine).get(index);
  if (slot == nullptr) {
    report_action_error(engine, "Trying to replace non-existing sound.", false);
    result.set_real(0);
    return;
  }
  std::optional<CSound> sound = sound_from_file(a[1].str(), whole(a[2]), is_true(a[3]));
  if (sound) install_sound(sound_of(engine), *slot, index, std::move(*sound));
  result.set_real(sound ? 1 : 0);
}

void sound_delete(ScriptEngine& engine, ScriptInstance&, ScriptInstance&, int, RValue&, Args a) {
  const int index = whole(a[0]);
  ResourceList<CSound>& sounds = sounds_of(engine);
  if (!sounds.exists(index)) {
    report_action_error(engine, "Trying to delete non-existing sound.", false);
    return;
  }
  sound_of(engine).forget(index);
  sounds.remove(index);
}

// The sound actions.

void action_sound(ScriptEngine& engine, ScriptInstance&, ScriptInstance&, int, RValue&, Args a) {
  if (const auto entry = entry_or_report(engine, a[0], "Trying to play non-existing sound.")) {
    sound_of(engine).engine().play(*entry, is_true(a[1]));
  }
}

// The second argument is not used.
void action_end_sound(ScriptEngine& engine, ScriptInstance&, ScriptInstance&, int, RValue&,
                      Args a) {
  if (const auto entry = entry_or_report(engine, a[0], "Trying to stop non-existing sound.")) {
    sound_of(engine).engine().stop(*entry);
  }
}

void action_replace_sound(ScriptEngine& engine, ScriptInstance&, ScriptInstance&, int, RValue&,
                          Args a) {
  const int index = whole(a[0]);
  CSound* slot = sounds_of(engine).get(index);
  if (slot == nullptr) {
    report_action_error(engine, "Trying to replace non-existing resource.", false);
    return;
  }
  std::optional<CSound> sound = sound_from_file(a[1].str(), slot->kind, slot->preload);
  if (!sound) {
    report_action_error(engine, "File does not exist.", false);
    return;
  }
  install_sound(sound_of(engine), *slot, index, std::move(*sound));
}

}  // namespace

void register_sound_functions(FunctionRegistry& functions) {
  functions.add("sound_play", &on_sound<play>, 1);
  functions.add("sound_loop", &on_sound<loop>, 1);
  functions.add("sound_stop", &on_sound<stop>, 1);
  functions.add("sound_stop_all", &sound_stop_all, 0);
  functions.add("sound_isplaying", &sound_isplaying, 1);
  functions.add("sound_volume", &on_sound<volume>, 2);
  functions.add("sound_fade", &on_sound<fade>, 3);
  functions.add("sound_pan", &on_sound<pan>, 2);
  functions.add("sound_background_tempo", &sound_background_tempo, 1);
  functions.add("sound_global_volume", &sound_global_volume, 1);
  functions.add("sound_set_search_directory", &sound_set_search_directory, 1);
  functions.add("sound_effect_set", &on_sound<effect_set>, 2);
  functions.add("sound_effect_chorus", &on_sound<effect_chorus>, 8);
  functions.add("sound_effect_compressor", &on_sound<effect_compressor>, 7);
  functions.add("sound_effect_echo", &on_sound<effect_echo>, 6);
  functions.add("sound_effect_flanger", &on_sound<effect_flanger>, 8);
  functions.add("sound_effect_gargle", &on_sound<effect_gargle>, 3);
  functions.add("sound_effect_equalizer", &on_sound<effect_equalizer>, 4);
  functions.add("sound_effect_reverb", &on_sound<effect_reverb>, 5);
  functions.add("sound_3d_set_sound_position", &on_sound<position_3d>, 4);
  functions.add("sound_3d_set_sound_velocity", &on_sound<velocity_3d>, 4);
  functions.add("sound_3d_set_sound_distance", &on_sound<distance_3d>, 3);
  functions.add("sound_3d_set_sound_cone", &on_sound<cone_3d>, 7);

  functions.add("cd_init", &cd_function<&CdAudio::init>, 0);
  functions.add("cd_present", &cd_function<&CdAudio::present>, 0);
  functions.add("cd_number", &cd_function<&CdAudio::track_count>, 0);
  functions.add("cd_playing", &cd_function<&CdAudio::playing>, 0);
  functions.add("cd_paused", &cd_function<&CdAudio::paused>, 0);
  functions.add("cd_track", &cd_function<&CdAudio::track>, 0);
  functions.add("cd_length", &cd_function<&CdAudio::length>, 0);
  functions.add("cd_track_length", &cd_track_length, 1);
  functions.add("cd_position", &cd_function<&CdAudio::position>, 0);
  functions.add("cd_track_position", &cd_function<&CdAudio::track_position>, 0);
  functions.add("cd_play", &cd_play, 2);
  functions.add("cd_stop", &cd_function<&CdAudio::stop>, 0);
  functions.add("cd_pause", &cd_function<&CdAudio::pause>, 0);
  functions.add("cd_resume", &cd_function<&CdAudio::resume>, 0);
  functions.add("cd_set_position", &cd_set_position, 1);
  functions.add("cd_set_track_position", &cd_set_track_position, 1);
  functions.add("cd_open_door", &cd_function<&CdAudio::open_door>, 0);
  functions.add("cd_close_door", &cd_function<&CdAudio::close_door>, 0);
  functions.add("MCI_command", &MCI_command, 1);

  functions.add("sound_exists", &sound_exists, 1);
  functions.add("sound_name", &sound_get_name, 1);
  functions.add("sound_get_name", &sound_get_name, 1);
  functions.add("sound_get_kind", &sound_get_kind, 1);
  functions.add("sound_get_preload", &sound_get_preload, 1);
  functions.add("sound_discard", &sound_discard, 1);
  functions.add("sound_restore", &sound_restore, 1);
  functions.add("sound_add", &sound_add, 3);
  functions.add("sound_replace", &sound_replace, 4);
  functions.add("sound_delete", &sound_delete, 1);

  functions.add("action_sound", &action_sound, 2);
  functions.add("action_end_sound", &action_end_sound, 2);
  functions.add("action_if_sound", &sound_isplaying, 1);
  functions.add("action_replace_sound", &action_replace_sound, 2);
  functions.add("action_cd_play", &cd_play, 2);
  functions.add("action_cd_stop", &cd_function<&CdAudio::stop>, 0);
  functions.add("action_cd_pause", &cd_function<&CdAudio::pause>, 0);
  functions.add("action_cd_resume", &cd_function<&CdAudio::resume>, 0);
  functions.add("action_cd_present", &cd_function<&CdAudio::present>, 0);
  functions.add("action_cd_playing", &cd_function<&CdAudio::playing>, 0);
}

}  // namespace kestrel
