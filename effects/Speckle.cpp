#include "effects/Families.h"

namespace vantora {

// Not drawn yet: the frame keeps the old picture until the last frame.
template <int No>
void SpeckleEffect(Bitmap& Screen, const Bitmap& Image, const TRect& Rect, int Step, int Progress) {}

template void SpeckleEffect<123>(Bitmap&, const Bitmap&, const TRect&, int, int);
template void SpeckleEffect<124>(Bitmap&, const Bitmap&, const TRect&, int, int);
template void SpeckleEffect<125>(Bitmap&, const Bitmap&, const TRect&, int, int);
template void SpeckleEffect<126>(Bitmap&, const Bitmap&, const TRect&, int, int);
template void SpeckleEffect<127>(Bitmap&, const Bitmap&, const TRect&, int, int);

}  // namespace vantora
