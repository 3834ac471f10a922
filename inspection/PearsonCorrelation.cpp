#include "inspection/PearsonCorrelation.h"

#include <QtGlobal>

#include <algorithm>
#include <cmath>

namespace {

// n * sum of squares can pass 64 bits for a large region; 128 bits hold any image.
__extension__ typedef __int128 Wide;

} // namespace

double pearsonCorrelation(const std::vector<uchar> &x, const std::vector<uchar> &y)
{
    const size_t n = std::min(x.size(), y.size());
    if (n == 0)
        return 0;
    qint64 sx = 0;
    qint64 sy = 0;
    qint64 sxx = 0;
    qint64 syy = 0;
    qint64 sxy = 0;
    for (size_t i = 0; i < n; ++i) {
        const qint64 a = x[i];
        const qint64 b = y[i];
        sx += a;
        sy += b;
        sxx += a * a;
        syy += b * b;
        sxy += a * b;
    }
    const Wide count = static_cast<Wide>(n);
    // n times the centred sums; exact, and never negative for the two squares.
    const Wide cxx = count * sxx - static_cast<Wide>(sx) * sx;
    const Wide cyy = count * syy - static_cast<Wide>(sy) * sy;
    const Wide cxy = count * sxy - static_cast<Wide>(sx) * sy;
    if (cxx == 0 && cyy == 0)
        return 1;
    if (cxx == 0 || cyy == 0)
        return 0;
    const double r = static_cast<double>(cxy)
        / (std::sqrt(static_cast<double>(cxx)) * std::sqrt(static_cast<double>(cyy)));
    return std::clamp(r, -1.0, 1.0);
}
