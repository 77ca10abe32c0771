#pragma once
// The date a photo was taken, from its EXIF data (the tag DateTimeOriginal in
// the EXIF sub-directory), for captions.
//
// The EXIF block is found in the containers cameras and phones write it in:
// a JPEG's APP1 segment and a PNG's "eXIf" chunk, where only the first
// bytes of the file are searched (the block sits in front of the pixels), a
// WebP's "EXIF" chunk, which follows the picture's data and is found by
// walking the chunks through the file, and the Exif item of a HEIF file
// (HEIC, AVIF), which libheif finds wherever the file keeps it. Anything
// damaged, cut short or missing reads as no date.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>

namespace vantora {

struct TDateTaken {
  int Year = 0;
  int Month = 0;  // 1..12
  int Day = 0;  // 1..31
  friend bool operator==(const TDateTaken&, const TDateTaken&) = default;
};

// From a TIFF structure (starting at its byte-order mark "II" or "MM"),
// optionally behind the "Exif\0\0" header of a JPEG's APP1 segment.
std::optional<TDateTaken> ReadExifDateTaken(std::span<const std::uint8_t> exif);

// From the Exif block of a HEIF file as stored: a 4-byte big-endian offset
// from the end of those 4 bytes to the TIFF header, then the EXIF data. An
// offset that points outside the block reads as no date.
std::optional<TDateTaken> ReadHeifExifDateTaken(std::span<const std::uint8_t> block);

// From the bytes at the start of a JPEG, PNG or WebP file.
std::optional<TDateTaken> FindDateTaken(std::span<const std::uint8_t> head);

// From a file: a HEIF file through its Exif item, a WebP file through its
// chunks, any other from at most its first 256 KiB. No date when the file
// cannot be read.
std::optional<TDateTaken> ReadDateTaken(const std::string& fileName);

}  // namespace vantora
