#pragma once
// The two pictures of the configuration windows, embedded in the program as
// progressive JPEG bytes (drawn at build time by tools/Artwork.cpp) and
// decoded through our own libjpeg path when a window is made.

#include <cstdint>
#include <span>

#include "raster/Bitmap.h"

namespace vantora {

// 545 x 452: the settings window's background.
std::span<const std::uint8_t> SettingsBackgroundJpeg();
// 400 x 300: the about box's face.
std::span<const std::uint8_t> AboutFaceJpeg();
// 800 x 600: the same face drawn at twice the size, for scaled screens.
std::span<const std::uint8_t> AboutFace2xJpeg();

// Decodes embedded JPEG bytes; an empty bitmap if they cannot be decoded.
Bitmap DecodeArtwork(std::span<const std::uint8_t> jpeg, const char* name);

}  // namespace vantora
