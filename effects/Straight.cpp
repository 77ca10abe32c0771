#include "effects/Families.h"

namespace vantora {

// Not drawn yet: the frame keeps the old picture until the last frame.
template <int No>
void StraightEffect(Bitmap& Screen, const Bitmap& Image, const TRect& Rect, int Step, int Progress) {}

template void StraightEffect<1>(Bitmap&, const Bitmap&, const TRect&, int, int);
template void StraightEffect<2>(Bitmap&, const Bitmap&, const TRect&, int, int);
template void StraightEffect<3>(Bitmap&, const Bitmap&, const TRect&, int, int);
template void StraightEffect<4>(Bitmap&, const Bitmap&, const TRect&, int, int);
template void StraightEffect<5>(Bitmap&, const Bitmap&, const TRect&, int, int);
template void StraightEffect<6>(Bitmap&, const Bitmap&, const TRect&, int, int);
template void StraightEffect<7>(Bitmap&, const Bitmap&, const TRect&, int, int);
template void StraightEffect<8>(Bitmap&, const Bitmap&, const TRect&, int, int);
template void StraightEffect<9>(Bitmap&, const Bitmap&, const TRect&, int, int);
template void StraightEffect<10>(Bitmap&, const Bitmap&, const TRect&, int, int);
template void StraightEffect<11>(Bitmap&, const Bitmap&, const TRect&, int, int);
template void StraightEffect<12>(Bitmap&, const Bitmap&, const TRect&, int, int);
template void StraightEffect<13>(Bitmap&, const Bitmap&, const TRect&, int, int);
template void StraightEffect<18>(Bitmap&, const Bitmap&, const TRect&, int, int);
template void StraightEffect<19>(Bitmap&, const Bitmap&, const TRect&, int, int);
template void StraightEffect<20>(Bitmap&, const Bitmap&, const TRect&, int, int);
template void StraightEffect<21>(Bitmap&, const Bitmap&, const TRect&, int, int);
template void StraightEffect<22>(Bitmap&, const Bitmap&, const TRect&, int, int);
template void StraightEffect<23>(Bitmap&, const Bitmap&, const TRect&, int, int);
template void StraightEffect<24>(Bitmap&, const Bitmap&, const TRect&, int, int);
template void StraightEffect<25>(Bitmap&, const Bitmap&, const TRect&, int, int);
template void StraightEffect<26>(Bitmap&, const Bitmap&, const TRect&, int, int);
template void StraightEffect<27>(Bitmap&, const Bitmap&, const TRect&, int, int);
template void StraightEffect<28>(Bitmap&, const Bitmap&, const TRect&, int, int);
template void StraightEffect<29>(Bitmap&, const Bitmap&, const TRect&, int, int);
template void StraightEffect<30>(Bitmap&, const Bitmap&, const TRect&, int, int);
template void StraightEffect<35>(Bitmap&, const Bitmap&, const TRect&, int, int);
template void StraightEffect<36>(Bitmap&, const Bitmap&, const TRect&, int, int);
template void StraightEffect<37>(Bitmap&, const Bitmap&, const TRect&, int, int);
template void StraightEffect<38>(Bitmap&, const Bitmap&, const TRect&, int, int);
template void StraightEffect<39>(Bitmap&, const Bitmap&, const TRect&, int, int);
template void StraightEffect<40>(Bitmap&, const Bitmap&, const TRect&, int, int);
template void StraightEffect<41>(Bitmap&, const Bitmap&, const TRect&, int, int);
template void StraightEffect<42>(Bitmap&, const Bitmap&, const TRect&, int, int);
template void StraightEffect<43>(Bitmap&, const Bitmap&, const TRect&, int, int);
template void StraightEffect<44>(Bitmap&, const Bitmap&, const TRect&, int, int);
template void StraightEffect<45>(Bitmap&, const Bitmap&, const TRect&, int, int);
template void StraightEffect<46>(Bitmap&, const Bitmap&, const TRect&, int, int);

}  // namespace vantora
