#include "effects/Families.h"

namespace vantora {

// Not drawn yet: the frame keeps the old picture until the last frame.
template <int No>
void FadePivotEffect(Bitmap& Screen, const Bitmap& Image, const TRect& Rect, int Step, int Progress) {}

template void FadePivotEffect<118>(Bitmap&, const Bitmap&, const TRect&, int, int);
template void FadePivotEffect<119>(Bitmap&, const Bitmap&, const TRect&, int, int);
template void FadePivotEffect<120>(Bitmap&, const Bitmap&, const TRect&, int, int);
template void FadePivotEffect<121>(Bitmap&, const Bitmap&, const TRect&, int, int);
template void FadePivotEffect<122>(Bitmap&, const Bitmap&, const TRect&, int, int);

}  // namespace vantora
