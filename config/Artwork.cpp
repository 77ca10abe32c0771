#include "config/Artwork.h"

#include "raster/Picture.h"

namespace vantora {

Bitmap DecodeArtwork(std::span<const std::uint8_t> jpeg, const char* name) {
  try {
    return DecodeJpeg(jpeg, name);
  } catch (const PictureError&) {
    // A window without its picture still works; it shows its plain colour.
    return Bitmap();
  }
}

}  // namespace vantora
