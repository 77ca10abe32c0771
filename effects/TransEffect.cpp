#include "effects/TransEffect.h"

#include <cctype>
#include <cstdlib>
#include <limits>

namespace vantora {
namespace {

std::atomic<std::uint32_t> gRandSeed{0};

bool SameText(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (std::tolower(static_cast<unsigned char>(a[i])) !=
        std::tolower(static_cast<unsigned char>(b[i])))
      return false;
  return true;
}

}  // namespace

TEffectProc ProcOf(int n) { return n >= 1 && n <= kEffectCount ? EffectTable[n].Proc : nullptr; }

std::string NameOf(int n) {
  if (n == 0) return "Custom";
  return n >= 1 && n <= kEffectCount ? EffectTable[n].Name : "";
}

std::optional<int> NumberOf(std::string_view text) {
  if (SameText(text, "Custom")) return 0;
  for (int n = 1; n <= kEffectCount; ++n)
    if (SameText(text, EffectTable[n].Name)) return n;
  return std::nullopt;
}

int MulDiv(int a, int b, int c) {
  if (c == 0) return -1;
  const std::int64_t p = std::int64_t(a) * b;
  // Round the magnitude half up, then restore the sign: halves go away from zero.
  const std::int64_t q =
      (std::llabs(p) + std::llabs(std::int64_t(c)) / 2) / std::llabs(std::int64_t(c));
  const std::int64_t r = (p < 0) != (c < 0) ? -q : q;
  if (r > std::numeric_limits<int>::max() || r < std::numeric_limits<int>::min()) return -1;
  return int(r);
}

TFrameGeometry FrameGeometry(const TRect& Rect, int Step, int Progress) {
  TFrameGeometry g;
  g.W = Rect.Right - Rect.Left;
  g.H = Rect.Bottom - Rect.Top;
  if (g.W >= g.H) {
    g.X = MulDiv(g.W, Progress, 100);
    g.Y = MulDiv(g.X, g.H, g.W);
    g.S = MulDiv(g.W, Step, 90);
  } else {
    g.Y = MulDiv(g.H, Progress, 100);
    g.X = MulDiv(g.Y, g.W, g.H);
    g.S = MulDiv(g.H, Step, 90);
  }
  return g;
}

int Random(int n) {
  const std::uint32_t seed = gRandSeed.load(std::memory_order_relaxed) * 134775813u + 1u;
  gRandSeed.store(seed, std::memory_order_relaxed);
  return int((std::int64_t(n) * std::int64_t(seed)) >> 32);
}

std::uint32_t RandSeed() { return gRandSeed.load(std::memory_order_relaxed); }

void SetRandSeed(std::uint32_t seed) { gRandSeed.store(seed, std::memory_order_relaxed); }

}  // namespace vantora
