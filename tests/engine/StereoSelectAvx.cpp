#include "StereoSelectAvx.h"

#include "engine/StereoVector.h"

#include <cstring>

namespace
{
template <typename Vector> Vector loaded(const void* from)
{
    Vector v;
    std::memcpy(&v, from, sizeof v);
    return v;
}

template <typename Vector> void stored(void* to, Vector v)
{
    std::memcpy(to, &v, sizeof v);
}
} // namespace

void selectGreaterWithAvx(const float* a, const float* b, const float* x, const float* y,
                          float* vectorChosen, float* singleChosen)
{
    stored(vectorChosen, stereo::selectGreater(loaded<StereoVector>(a), loaded<StereoVector>(b),
                                               loaded<StereoVector>(x), loaded<StereoVector>(y)));
    for (int lane = 0; lane < 4; ++lane)
        singleChosen[lane] = stereo::selectGreater(a[lane], b[lane], x[lane], y[lane]);
}

void selectBySignWithAvx(const float* a, const float* b, const float* signs, const int* counts,
                         const float* x, const float* y, float* byMask, float* bySign, int* byCount,
                         float* maskOrSigns, float* maskAndSigns)
{
    const StereoVector mask = stereo::greaterMask(loaded<StereoVector>(a), loaded<StereoVector>(b));
    const StereoVector signed_ = loaded<StereoVector>(signs);
    const StereoMask count = loaded<StereoMask>(counts);
    stored(byMask, stereo::selectBySign(mask, loaded<StereoVector>(x), loaded<StereoVector>(y)));
    stored(bySign, stereo::selectBySign(signed_, loaded<StereoVector>(x), loaded<StereoVector>(y)));
    stored(byCount,
           stereo::selectBySign(reinterpret_cast<StereoVector>(count), stereo::splatInt(9), count));
    stored(maskOrSigns, stereo::orOf(mask, signed_));
    stored(maskAndSigns, stereo::andOf(mask, signed_));
}
