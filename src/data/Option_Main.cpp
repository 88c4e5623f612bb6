#include "data/Option_Main.h"

namespace kestrel {

namespace {

// One list of the fields in stored order serves reading and writing, so the two
// cannot drift apart.
template <class Settings, class Visitor>
void VisitFields(Settings& s, Visitor&& visit) {
  visit(s.StartFullscreen);
  visit(s.InterpolatePixels);
  visit(s.NoWindowBorder);
  visit(s.ShowCursor);
  visit(s.Scaling);
  visit(s.AllowResize);
  visit(s.StayOnTop);
  visit(s.ColourOutsideRoom);
  visit(s.SetResolution);
  visit(s.ColourDepthCode);
  visit(s.ResolutionCode);
  visit(s.FrequencyCode);
  visit(s.NoCaptionButtons);
  visit(s.UseVSync);
  visit(s.DisableScreensaver);
  visit(s.KeyF4Fullscreen);
  visit(s.KeyF1Information);
  visit(s.KeyEscEnds);
  visit(s.KeyF5F6SaveLoad);
  visit(s.KeyF9Screenshot);
  visit(s.CloseAsEscape);
  visit(s.ProcessPriority);
  visit(s.FreezeOnFocusLoss);
  visit(s.ShowProgressBar);
  if (s.ShowProgressBar) {
    visit(s.LoadingBackImage);
    visit(s.LoadingFrontImage);
  }
  visit(s.LoadingImage);
  visit(s.LoadingTransparent);
  visit(s.LoadingAlpha);
  visit(s.ScaleProgressBar);
  visit(s.ShowErrors);
  visit(s.LogErrors);
  visit(s.AbortOnAllErrors);
  visit(s.UninitializedAsZero);
}

struct FieldReader {
  CStream& stream;
  void operator()(bool& value) { value = ReadBool(stream); }
  void operator()(int& value) { value = ReadInt(stream); }
  void operator()(std::optional<Bytes>& value) { value = ReadBitmapFile(stream); }
};

struct FieldWriter {
  CStream& stream;
  void operator()(bool value) { WriteBool(stream, value); }
  void operator()(int value) { WriteInt(stream, value); }
  void operator()(const std::optional<Bytes>& value) { WriteBitmapFile(stream, value); }
};

}  // namespace

bool GameSettings::Read(CStream& stream) {
  Reset();
  if (ReadInt(stream) != 800) return false;
  CStream block = ReadCompressedBlock(stream);
  if (stream.failed()) return false;
  VisitFields(*this, FieldReader{block});
  return !block.failed();
}

void GameSettings::Write(CStream& stream) const {
  WriteInt(stream, 800);
  CStream block;
  VisitFields(*this, FieldWriter{block});
  WriteCompressedBlock(stream, block.bytes());
}

}  // namespace kestrel
