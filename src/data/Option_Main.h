#pragma once

#include <optional>

#include "data/Support_Stream.h"

namespace kestrel {

// The game settings, in the order they are stored. The loading images are the
// BMP files as stored; the loading form decodes them.
struct GameSettings {
  bool StartFullscreen = false;
  bool InterpolatePixels = false;
  bool NoWindowBorder = false;
  bool ShowCursor = true;
  int Scaling = 100;
  bool AllowResize = false;
  bool StayOnTop = false;
  int ColourOutsideRoom = 16777215;
  bool SetResolution = false;
  int ColourDepthCode = 0;
  int ResolutionCode = 0;
  int FrequencyCode = 0;
  bool NoCaptionButtons = false;
  bool UseVSync = false;
  bool DisableScreensaver = true;
  bool KeyF4Fullscreen = true;
  bool KeyF1Information = true;
  bool KeyEscEnds = true;
  bool KeyF5F6SaveLoad = true;
  bool KeyF9Screenshot = true;
  bool CloseAsEscape = true;
  int ProcessPriority = 0;
  bool FreezeOnFocusLoss = false;
  bool ShowProgressBar = true;
  std::optional<Bytes> LoadingBackImage;   // stored only with ShowProgressBar
  std::optional<Bytes> LoadingFrontImage;  // stored only with ShowProgressBar
  std::optional<Bytes> LoadingImage;
  bool LoadingTransparent = false;
  int LoadingAlpha = 255;
  bool ScaleProgressBar = true;
  bool ShowErrors = true;
  bool LogErrors = false;
  bool AbortOnAllErrors = false;
  bool UninitializedAsZero = false;

  void Reset() { *this = GameSettings{}; }
  // The settings record: version 800 and a compressed block with the fields.
  bool Read(CStream& stream);
  void Write(CStream& stream) const;

  bool operator==(const GameSettings&) const = default;
};

}  // namespace kestrel
