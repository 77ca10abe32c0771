#include "effects/Families.h"

namespace vantora {

// Not drawn yet: the frame keeps the old picture until the last frame.
template <int No>
void CornerEffect(Bitmap& Screen, const Bitmap& Image, const TRect& Rect, int Step, int Progress) {}

template void CornerEffect<47>(Bitmap&, const Bitmap&, const TRect&, int, int);
template void CornerEffect<48>(Bitmap&, const Bitmap&, const TRect&, int, int);
template void CornerEffect<49>(Bitmap&, const Bitmap&, const TRect&, int, int);
template void CornerEffect<50>(Bitmap&, const Bitmap&, const TRect&, int, int);
template void CornerEffect<51>(Bitmap&, const Bitmap&, const TRect&, int, int);
template void CornerEffect<52>(Bitmap&, const Bitmap&, const TRect&, int, int);
template void CornerEffect<53>(Bitmap&, const Bitmap&, const TRect&, int, int);
template void CornerEffect<54>(Bitmap&, const Bitmap&, const TRect&, int, int);
template void CornerEffect<55>(Bitmap&, const Bitmap&, const TRect&, int, int);
template void CornerEffect<56>(Bitmap&, const Bitmap&, const TRect&, int, int);
template void CornerEffect<57>(Bitmap&, const Bitmap&, const TRect&, int, int);

}  // namespace vantora
