#pragma once
// What the region files share and nothing else uses: integer widths and the
// band writer that keeps the banding invariant while a region is made.

#include <algorithm>
#include <cassert>
#include <climits>
#include <cstdint>
#include <vector>

#include "raster/Region.h"

namespace vantora {

using i64 = std::int64_t;
using i128 = __int128;
using u128 = unsigned __int128;

// Appends bands from the top down and keeps the banding invariant: a band
// without spans is dropped, and a band that continues the previous one with
// the same spans extends it. Spans must be pushed sorted and not touching.
class BandWriter {
 public:
  BandWriter(std::vector<TBand>& bands, std::vector<TSpan>& spans)
      : FBands(bands), FSpans(spans), FStart(spans.size()) {}

  void Push(int left, int right) { FSpans.push_back({left, right}); }
  // Pushes a span, merging it with the last span of the band being written
  // when they overlap or touch; spans must come sorted by Left.
  void PushMerging(int left, int right) {
    if (FSpans.size() > FStart && FSpans.back().Right >= left) {
      FSpans.back().Right = std::max(FSpans.back().Right, right);
      return;
    }
    FSpans.push_back({left, right});
  }

  void EndBand(int top, int bottom) {
    const std::size_t first = FStart;
    const std::size_t count = FSpans.size() - first;
    if (count == 0 || top >= bottom) {
      FSpans.resize(first);
      return;
    }
    if (!FBands.empty()) {
      TBand& prev = FBands.back();
      if (prev.Bottom == top && prev.Count == count &&
          std::equal(FSpans.begin() + first, FSpans.end(), FSpans.begin() + prev.First)) {
        prev.Bottom = bottom;
        FSpans.resize(first);
        return;
      }
    }
    FBands.push_back({top, bottom, std::uint32_t(first), std::uint32_t(count)});
    FStart = FSpans.size();
  }

 private:
  std::vector<TBand>& FBands;
  std::vector<TSpan>& FSpans;
  std::size_t FStart;
};

// The lists of a region being made, empty, holding the memory that regions
// which went away on this thread left behind. Effects make a region or two
// per frame, some with tens of thousands of spans, and drop it right after
// drawing through it; fetching fresh pages for those lists from the system
// on every frame cost more than making the region itself.
struct RegionLists {
  RegionLists();
  std::vector<TBand> Bands;
  std::vector<TSpan> Spans;
};
// Keeps the memory of lists that are done with for the next RegionLists of
// this thread, when they are large enough to be worth it.
void LeaveRegionLists(std::vector<TBand>& bands, std::vector<TSpan>& spans);

struct RegionOps {
  // Turns bands written by a BandWriter into a region: computes the extents
  // and drops the lists when the result is one rectangle.
  static Region Finish(std::vector<TBand>&& bands, std::vector<TSpan>&& spans) {
    Region r;
    if (bands.empty()) {
      LeaveRegionLists(bands, spans);
      return r;
    }
    int left = INT_MAX, right = INT_MIN;
    for (const TBand& b : bands) {
      left = std::min(left, spans[b.First].Left);
      right = std::max(right, spans[b.First + b.Count - 1].Right);
    }
    r.FExtents = {left, bands.front().Top, right, bands.back().Bottom};
    if (bands.size() > 1 || bands.front().Count > 1) {
      r.FBands = std::move(bands);
      r.FSpans = std::move(spans);
    } else {
      LeaveRegionLists(bands, spans);
    }
    assert(r.SelfCheck());
    return r;
  }

  static const std::vector<TBand>& Bands(const Region& r) { return r.FBands; }
  static const std::vector<TSpan>& Spans(const Region& r) { return r.FSpans; }
};

}  // namespace vantora
