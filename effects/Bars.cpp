#include "effects/Families.h"

namespace vantora {

// Not drawn yet: the frame keeps the old picture until the last frame.
template <int No>
void BarsEffect(Bitmap& Screen, const Bitmap& Image, const TRect& Rect, int Step, int Progress) {}

template void BarsEffect<60>(Bitmap&, const Bitmap&, const TRect&, int, int);
template void BarsEffect<61>(Bitmap&, const Bitmap&, const TRect&, int, int);
template void BarsEffect<62>(Bitmap&, const Bitmap&, const TRect&, int, int);
template void BarsEffect<63>(Bitmap&, const Bitmap&, const TRect&, int, int);
template void BarsEffect<64>(Bitmap&, const Bitmap&, const TRect&, int, int);
template void BarsEffect<71>(Bitmap&, const Bitmap&, const TRect&, int, int);
template void BarsEffect<72>(Bitmap&, const Bitmap&, const TRect&, int, int);
template void BarsEffect<73>(Bitmap&, const Bitmap&, const TRect&, int, int);
template void BarsEffect<74>(Bitmap&, const Bitmap&, const TRect&, int, int);
template void BarsEffect<75>(Bitmap&, const Bitmap&, const TRect&, int, int);
template void BarsEffect<86>(Bitmap&, const Bitmap&, const TRect&, int, int);
template void BarsEffect<87>(Bitmap&, const Bitmap&, const TRect&, int, int);
template void BarsEffect<88>(Bitmap&, const Bitmap&, const TRect&, int, int);
template void BarsEffect<89>(Bitmap&, const Bitmap&, const TRect&, int, int);
template void BarsEffect<90>(Bitmap&, const Bitmap&, const TRect&, int, int);
template void BarsEffect<91>(Bitmap&, const Bitmap&, const TRect&, int, int);
template void BarsEffect<92>(Bitmap&, const Bitmap&, const TRect&, int, int);
template void BarsEffect<93>(Bitmap&, const Bitmap&, const TRect&, int, int);
template void BarsEffect<94>(Bitmap&, const Bitmap&, const TRect&, int, int);
template void BarsEffect<95>(Bitmap&, const Bitmap&, const TRect&, int, int);
template void BarsEffect<96>(Bitmap&, const Bitmap&, const TRect&, int, int);
template void BarsEffect<97>(Bitmap&, const Bitmap&, const TRect&, int, int);
template void BarsEffect<98>(Bitmap&, const Bitmap&, const TRect&, int, int);
template void BarsEffect<99>(Bitmap&, const Bitmap&, const TRect&, int, int);

}  // namespace vantora
