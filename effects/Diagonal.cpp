#include "effects/Families.h"

namespace vantora {

// Not drawn yet: the frame keeps the old picture until the last frame.
template <int No>
void DiagonalEffect(Bitmap& Screen, const Bitmap& Image, const TRect& Rect, int Step, int Progress) {}

template void DiagonalEffect<110>(Bitmap&, const Bitmap&, const TRect&, int, int);
template void DiagonalEffect<111>(Bitmap&, const Bitmap&, const TRect&, int, int);
template void DiagonalEffect<112>(Bitmap&, const Bitmap&, const TRect&, int, int);
template void DiagonalEffect<113>(Bitmap&, const Bitmap&, const TRect&, int, int);
template void DiagonalEffect<114>(Bitmap&, const Bitmap&, const TRect&, int, int);
template void DiagonalEffect<115>(Bitmap&, const Bitmap&, const TRect&, int, int);
template void DiagonalEffect<116>(Bitmap&, const Bitmap&, const TRect&, int, int);
template void DiagonalEffect<117>(Bitmap&, const Bitmap&, const TRect&, int, int);

}  // namespace vantora
