#include "effects/Families.h"

namespace vantora {

// Not drawn yet: the frame keeps the old picture until the last frame.
template <int No>
void CurvedEffect(Bitmap& Screen, const Bitmap& Image, const TRect& Rect, int Step, int Progress) {}

template void CurvedEffect<58>(Bitmap&, const Bitmap&, const TRect&, int, int);
template void CurvedEffect<59>(Bitmap&, const Bitmap&, const TRect&, int, int);
template void CurvedEffect<69>(Bitmap&, const Bitmap&, const TRect&, int, int);
template void CurvedEffect<70>(Bitmap&, const Bitmap&, const TRect&, int, int);
template void CurvedEffect<80>(Bitmap&, const Bitmap&, const TRect&, int, int);
template void CurvedEffect<81>(Bitmap&, const Bitmap&, const TRect&, int, int);
template void CurvedEffect<82>(Bitmap&, const Bitmap&, const TRect&, int, int);
template void CurvedEffect<83>(Bitmap&, const Bitmap&, const TRect&, int, int);
template void CurvedEffect<84>(Bitmap&, const Bitmap&, const TRect&, int, int);
template void CurvedEffect<85>(Bitmap&, const Bitmap&, const TRect&, int, int);

}  // namespace vantora
