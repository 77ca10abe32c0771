#include "effects/Families.h"

namespace vantora {

// Not drawn yet: the frame keeps the old picture until the last frame.
template <int No>
void ShredEffect(Bitmap& Screen, const Bitmap& Image, const TRect& Rect, int Step, int Progress) {}

template void ShredEffect<65>(Bitmap&, const Bitmap&, const TRect&, int, int);
template void ShredEffect<66>(Bitmap&, const Bitmap&, const TRect&, int, int);
template void ShredEffect<67>(Bitmap&, const Bitmap&, const TRect&, int, int);
template void ShredEffect<68>(Bitmap&, const Bitmap&, const TRect&, int, int);
template void ShredEffect<76>(Bitmap&, const Bitmap&, const TRect&, int, int);
template void ShredEffect<77>(Bitmap&, const Bitmap&, const TRect&, int, int);
template void ShredEffect<78>(Bitmap&, const Bitmap&, const TRect&, int, int);
template void ShredEffect<79>(Bitmap&, const Bitmap&, const TRect&, int, int);
template void ShredEffect<100>(Bitmap&, const Bitmap&, const TRect&, int, int);
template void ShredEffect<101>(Bitmap&, const Bitmap&, const TRect&, int, int);
template void ShredEffect<102>(Bitmap&, const Bitmap&, const TRect&, int, int);
template void ShredEffect<103>(Bitmap&, const Bitmap&, const TRect&, int, int);
template void ShredEffect<104>(Bitmap&, const Bitmap&, const TRect&, int, int);
template void ShredEffect<105>(Bitmap&, const Bitmap&, const TRect&, int, int);
template void ShredEffect<106>(Bitmap&, const Bitmap&, const TRect&, int, int);
template void ShredEffect<107>(Bitmap&, const Bitmap&, const TRect&, int, int);
template void ShredEffect<108>(Bitmap&, const Bitmap&, const TRect&, int, int);
template void ShredEffect<109>(Bitmap&, const Bitmap&, const TRect&, int, int);

}  // namespace vantora
