// Bitmaps made for overwriting take the memory a decode left behind: only
// where it fits, and every decoder must then write each of its pixels, or
// the previous picture (here: a marker colour) would show through.

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "raster/Picture.h"
#include "tests/raster/FormatFiles.h"
#include "tests/raster/PictureFiles.h"
#include "tests/raster/PictureTestKit.h"

namespace vantora {
namespace {

constexpr TPixel kMarker = 0xDEADBEEF;

// Leaves a w x h bitmap full of the marker as the memory to be reused next.
const TPixel* RecycleMarked(int w, int h) {
  Bitmap::ForgetRecycled();
  Bitmap b(w, h);
  std::fill(b.Bits(), b.Bits() + std::size_t(w) * std::size_t(h), kMarker);
  const TPixel* memory = b.Bits();
  Bitmap::Recycle(std::move(b));
  EXPECT_TRUE(b.Empty());
  return memory;
}

TEST(RecycledBitmaps, ForOverwriteTakesTheKeptMemoryOnlyWhereItFits) {
  // Up to the kept size and down to half of it.
  for (const int side : {100, 80, 71}) {
    SCOPED_TRACE(side);
    const TPixel* kept = RecycleMarked(100, 100);
    const Bitmap b = Bitmap::ForOverwrite(side, side);
    EXPECT_EQ(b.Bits(), kept);
    EXPECT_EQ(b.Width(), side);
    EXPECT_EQ(b.Height(), side);
  }
  // Too large for it, or so small that it would waste most of it: other
  // memory (each bitmap is held, so no address comes round again), and the
  // kept one stays for a later bitmap that fits, once only.
  const TPixel* kept = RecycleMarked(100, 100);
  const Bitmap larger = Bitmap::ForOverwrite(101, 100);
  const Bitmap smaller = Bitmap::ForOverwrite(70, 70);
  EXPECT_NE(larger.Bits(), kept);
  EXPECT_NE(smaller.Bits(), kept);
  const Bitmap first = Bitmap::ForOverwrite(100, 100);
  const Bitmap second = Bitmap::ForOverwrite(100, 100);
  EXPECT_EQ(first.Bits(), kept);
  EXPECT_NE(second.Bits(), kept);

  // The largest offered is kept.
  const TPixel* large = RecycleMarked(100, 100);
  Bitmap::Recycle(Bitmap(60, 60));
  EXPECT_EQ(Bitmap::ForOverwrite(100, 100).Bits(), large);

  EXPECT_THROW(Bitmap::ForOverwrite(1 << 15, 1 << 14), std::length_error);
  EXPECT_TRUE(Bitmap::ForOverwrite(0, 10).Empty());
}

TEST(RecycledBitmaps, EveryDecoderWritesEveryPixelOfReusedMemory) {
  using namespace testfiles;
  struct Case {
    std::string Name;
    Bytes Data;
  };
  const Bitmap grain = Grainy(61, 37);
  std::vector<Case> cases = {
      {"baseline.jpg", WriteJpeg(grain)},
      {"progressive.jpg", WriteJpeg(grain, {.Progressive = true})},
      {"grey.jpg", WriteJpeg(grain, {.Grey = true})},
      // Turned upright through a second bitmap.
      {"turned.jpg", WithSegment(WriteJpeg(grain), ExifSegment(6))},
  };
  for (const char* file :
       {"im-alpha16.png", "im-photo.webp", "im-anim.webp", "im-photo.heic", "im-photo.avif"}) {
    Picture p;
    const std::string path = std::string(VANTORA_TEST_DATA) + "/" + file;
    std::FILE* f = std::fopen(path.c_str(), "rb");
    ASSERT_NE(f, nullptr) << path;
    Bytes data;
    for (int c; (c = std::fgetc(f)) != EOF;) data.push_back(std::uint8_t(c));
    std::fclose(f);
    cases.push_back({file, std::move(data)});
  }
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    Bitmap::ForgetRecycled();
    Picture fresh;
    fresh.LoadFromMemory(c.Data, c.Name);
    ASSERT_FALSE(fresh.Empty());
    const TPixel* marked = RecycleMarked(fresh.Width(), fresh.Height());
    Picture reused;
    reused.LoadFromMemory(c.Data, c.Name);
    EXPECT_EQ(reused.AsBitmap().Bits(), marked);
    EXPECT_TRUE(reused.AsBitmap() == fresh.AsBitmap());
  }
  Bitmap::ForgetRecycled();
}

}  // namespace
}  // namespace vantora
