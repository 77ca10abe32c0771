#include "effects/Families.h"

namespace vantora {

// Not drawn yet: the frame keeps the old picture until the last frame.
template <int No>
void PushEffect(Bitmap& Screen, const Bitmap& Image, const TRect& Rect, int Step, int Progress) {}

template void PushEffect<128>(Bitmap&, const Bitmap&, const TRect&, int, int);
template void PushEffect<129>(Bitmap&, const Bitmap&, const TRect&, int, int);
template void PushEffect<130>(Bitmap&, const Bitmap&, const TRect&, int, int);
template void PushEffect<131>(Bitmap&, const Bitmap&, const TRect&, int, int);
template void PushEffect<132>(Bitmap&, const Bitmap&, const TRect&, int, int);
template void PushEffect<133>(Bitmap&, const Bitmap&, const TRect&, int, int);
template void PushEffect<134>(Bitmap&, const Bitmap&, const TRect&, int, int);
template void PushEffect<135>(Bitmap&, const Bitmap&, const TRect&, int, int);

}  // namespace vantora
