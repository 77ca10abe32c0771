#include "effects/Families.h"

namespace vantora {

// Not drawn yet: the frame keeps the old picture until the last frame.
template <int No>
void ShapeEffect(Bitmap& Screen, const Bitmap& Image, const TRect& Rect, int Step, int Progress) {}

template void ShapeEffect<145>(Bitmap&, const Bitmap&, const TRect&, int, int);
template void ShapeEffect<146>(Bitmap&, const Bitmap&, const TRect&, int, int);
template void ShapeEffect<147>(Bitmap&, const Bitmap&, const TRect&, int, int);
template void ShapeEffect<148>(Bitmap&, const Bitmap&, const TRect&, int, int);
template void ShapeEffect<149>(Bitmap&, const Bitmap&, const TRect&, int, int);
template void ShapeEffect<150>(Bitmap&, const Bitmap&, const TRect&, int, int);

}  // namespace vantora
