#include "effects/Families.h"

namespace vantora {

// Not drawn yet: the frame keeps the old picture until the last frame.
template <int No>
void SweepEffect(Bitmap& Screen, const Bitmap& Image, const TRect& Rect, int Step, int Progress) {}

template void SweepEffect<142>(Bitmap&, const Bitmap&, const TRect&, int, int);
template void SweepEffect<143>(Bitmap&, const Bitmap&, const TRect&, int, int);
template void SweepEffect<144>(Bitmap&, const Bitmap&, const TRect&, int, int);

}  // namespace vantora
