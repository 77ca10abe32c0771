#pragma once
// The EXIF orientation of a photo (1 to 8): how the stored pixels must be
// turned and mirrored to stand upright. 1 is upright already; 3 is turned
// half round; 6 must be turned a quarter right (clockwise) and 8 a quarter
// left; 2, 4, 5 and 7 are the mirror images of 1, 3, 6 and 8 (mirrored left
// to right before the turn). 5 to 8 swap width and height.

#include <cstddef>
#include <cstdint>
#include <span>

#include "raster/Bitmap.h"

namespace vantora {

constexpr int kUpright = 1;

// The orientation stored in the EXIF data of a JPEG's APP1 segment (its
// content after the length field, starting with "Exif\0\0"). Anything that
// is not a well-formed orientation tag with a value of 1 to 8 (other
// segments, damaged or cut data, odd types) reads as kUpright: a photo whose
// orientation cannot be read is shown as it is stored.
int ReadExifOrientation(std::span<const std::uint8_t> app1);
// The same for the bare TIFF structure (from its byte-order mark on), as a
// PNG's eXIf chunk holds it.
int ReadTiffOrientation(std::span<const std::uint8_t> tiff);
// A WebP file's EXIF chunk: the TIFF structure, with or without the
// "Exif\0\0" header that some writers put before it.
int ReadExifChunkOrientation(std::span<const std::uint8_t> chunk);

inline bool SwapsSides(int orientation) { return orientation >= 5 && orientation <= 8; }

// Copies the rows first .. first + count - 1 of a stored picture of
// storedWidth x storedHeight (rows[i * storedWidth] starts row first + i)
// to where they stand in `upright`, which already has the upright size.
// Called band after band while a picture is decoded, so the turn costs no
// second bitmap and no second pass.
void PlaceStoredRows(const TPixel* rows, int first, int count, int storedWidth, int storedHeight,
                     int orientation, Bitmap& upright);

}  // namespace vantora
