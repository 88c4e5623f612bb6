#pragma once

#include <cstdint>

#include "data/bitmap32.h"

namespace kestrel {

// The preparations a picture goes through before it becomes a sprite's or a
// background's image. Pixels are blue, green, red, alpha bytes.

// Every pixel whose red, green and blue each lie within `tolerance` of the
// bottom-left pixel's gets alpha 0 and keeps its colour.
void MakeBottomLeftTransparent(TBitmap32& image, int tolerance = 0);
// Next to every fully transparent pixel, pixels with alpha 32 or more lose 32.
void SmoothEdges(TBitmap32& image);
// Fully transparent pixels take the colour of an opaque-ish neighbour (left,
// right, up, down in that order), so that interpolation does not bleed in
// the colour that was made transparent.
void RemoveFringe(TBitmap32& image);
// The steps a picture loaded from a file goes through, in this order.
void PreparePicture(TBitmap32& image, bool remove_back, bool smooth);
// alpha := alpha x (r + g + b) / 765 of the other image, over the area both cover.
void TakeAlphaFrom(TBitmap32& image, const TBitmap32& source);
// Nearest-neighbour resizing; a fully transparent pixel loses its colour.
// Nothing happens for a size below 1 or the same size.
void ResizeImage(TBitmap32& image, int width, int height);
// The part (x, y, width, height) of an image, which must lie inside it.
TBitmap32 CropImage(const TBitmap32& image, int x, int y, int width, int height);
// An image of one colour (a game colour, red in the low byte), fully opaque.
TBitmap32 FilledImage(int width, int height, std::int64_t colour);
// The gradients that game code asks backgrounds to be made of; kinds 0 to 11,
// any other kind the plain first colour. A size below 1 counts as 1.
TBitmap32 GradientImage(int width, int height, std::int64_t colour1, std::int64_t colour2,
                        int kind);

}  // namespace kestrel
