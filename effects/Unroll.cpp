#include "effects/Families.h"

namespace vantora {

// Not drawn yet: the frame keeps the old picture until the last frame.
template <int No>
void UnrollEffect(Bitmap& Screen, const Bitmap& Image, const TRect& Rect, int Step, int Progress) {}

template void UnrollEffect<14>(Bitmap&, const Bitmap&, const TRect&, int, int);
template void UnrollEffect<15>(Bitmap&, const Bitmap&, const TRect&, int, int);
template void UnrollEffect<31>(Bitmap&, const Bitmap&, const TRect&, int, int);
template void UnrollEffect<32>(Bitmap&, const Bitmap&, const TRect&, int, int);

// Not drawn yet: the frame keeps the old picture until the last frame.
template <int No>
void BuildUpEffect(Bitmap& Screen, const Bitmap& Image, const TRect& Rect, int Step, int Progress) {}

template void BuildUpEffect<16>(Bitmap&, const Bitmap&, const TRect&, int, int);
template void BuildUpEffect<17>(Bitmap&, const Bitmap&, const TRect&, int, int);
template void BuildUpEffect<33>(Bitmap&, const Bitmap&, const TRect&, int, int);
template void BuildUpEffect<34>(Bitmap&, const Bitmap&, const TRect&, int, int);

}  // namespace vantora
