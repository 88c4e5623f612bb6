#include "sound/Sound_Main.h"

#include <fstream>

namespace kestrel {

SoundSystem::SoundSystem(ResourceList<CSound>& sounds, const TempDirectory& temp_folder,
                         SoundEngine::ShowMessage show_message)
    : sounds_(sounds),
      temp_folder_(temp_folder),
      show_message_(std::move(show_message)),
      engine_(std::make_unique<SoundEngine>(nullptr, show_message_)) {}

SoundSystem::~SoundSystem() {
  stop();
}

void SoundSystem::start(std::unique_ptr<platform::AudioDevice> device) {
  stop();
  if (device == nullptr) show_message_(kNoSoundDeviceMessage);
  device_ = std::move(device);
  engine_ = std::make_unique<SoundEngine>(device_.get(), show_message_);
  engine_->set_global_volume(1);
}

void SoundSystem::stop() {
  // The engine lets go of its clips before the device that holds them goes.
  engine_ = std::make_unique<SoundEngine>(nullptr, show_message_);
  device_.reset();
  for (Playback& playback : playback_) playback.entry = -1;
}

void SoundSystem::prepare_all() {
  for (int index = 0; index < sounds_.count(); ++index) {
    CSound* sound = sounds_.get(index);
    if (sound != nullptr && sound->preload) entry_of(index);
  }
}

std::optional<int> SoundSystem::entry_of(int sound_index) {
  CSound* sound = sounds_.get(sound_index);
  if (sound == nullptr) return std::nullopt;
  if (static_cast<int>(playback_.size()) <= sound_index) playback_.resize(sound_index + 1);
  if (playback_[sound_index].entry < 0) prepare(sound_index, *sound);
  return playback_[sound_index].entry;
}

void SoundSystem::forget(int sound_index) {
  if (sound_index < 0 || sound_index >= static_cast<int>(playback_.size())) return;
  engine_->free_entry(playback_[sound_index].entry);
  playback_[sound_index].entry = -1;
}

void SoundSystem::prepare(int sound_index, CSound& sound) {
  Playback& playback = playback_[sound_index];
  const bool mixed = sound.kind >= kSoundNormal && sound.kind <= kSound3D;
  if (mixed && sound.data) {
    playback.entry = engine_->entry_from_memory(*sound.data, sound.kind);
    if (playback.entry < 0) sound.kind = kSoundMultimedia;
  }
  if (sound.kind == kSoundMultimedia) {
    if (sound.data && !write_temp_file(playback, sound)) return;
    if (playback.temp_file.empty()) return;
    playback.entry = engine_->entry_from_file(playback.temp_file.string(), kSoundMultimedia);
  }
  if (playback.entry < 0) return;
  if (sound.effects >= 1) engine_->set_effects(playback.entry, sound.effects);
  engine_->set_volume(playback.entry, sound.volume);
  engine_->set_pan(playback.entry, sound.pan);
}

bool SoundSystem::write_temp_file(Playback& playback, CSound& sound) {
  if (!temp_folder_.created()) return false;
  const std::filesystem::path file = temp_folder_.UniqueTempFileName(sound.file_type);
  std::ofstream out(file, std::ios::binary);
  out.write(reinterpret_cast<const char*>(sound.data->data()),
            static_cast<std::streamsize>(sound.data->size()));
  out.close();
  if (!out) {
    std::error_code error;
    std::filesystem::remove(file, error);
    return false;
  }
  playback.temp_file = file;
  sound.data.reset();
  return true;
}

}  // namespace kestrel
