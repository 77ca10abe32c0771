#include "effects/Families.h"

namespace vantora {

// Not drawn yet: the frame keeps the old picture until the last frame.
template <int No>
void BlindEffect(Bitmap& Screen, const Bitmap& Image, const TRect& Rect, int Step, int Progress) {}

template void BlindEffect<136>(Bitmap&, const Bitmap&, const TRect&, int, int);
template void BlindEffect<137>(Bitmap&, const Bitmap&, const TRect&, int, int);
template void BlindEffect<138>(Bitmap&, const Bitmap&, const TRect&, int, int);
template void BlindEffect<139>(Bitmap&, const Bitmap&, const TRect&, int, int);
template void BlindEffect<140>(Bitmap&, const Bitmap&, const TRect&, int, int);
template void BlindEffect<141>(Bitmap&, const Bitmap&, const TRect&, int, int);

}  // namespace vantora
