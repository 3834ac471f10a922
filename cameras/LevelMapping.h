#ifndef CAMERAS_LEVELMAPPING_H
#define CAMERAS_LEVELMAPPING_H

#include <QtGlobal>

#include <climits>
#include <cmath>

// The settings pages keep gain, sharpness, contrast and gamma as levels 0..levels; drivers
// map them linearly onto a device's range and back. A range of zero width maps every level
// to its minimum and reads back as level 0, so no division by zero reaches a device.
namespace LevelMapping {

// min + (max − min) / levels × level.
inline double toDevice(double minimum, double maximum, int levels, int level)
{
    return minimum + (maximum - minimum) / levels * level;
}

// (value − min) ÷ ((max − min) / levels), truncated.
inline int toLevel(double value, double minimum, double maximum, int levels)
{
    const double step = (maximum - minimum) / levels;
    if (!(std::fabs(step) > 0))
        return 0;
    const double level = (value - minimum) / step;
    if (!std::isfinite(level))
        return 0;
    return int(qBound(double(INT_MIN), level, double(INT_MAX)));
}

// Integer ranges step by (max − min) / levels in integer division. A range narrower than the
// levels has a step of 0: its levels are then spread over the range in proportion instead.
inline int toDeviceStepped(int minimum, int maximum, int levels, int level)
{
    const int step = (maximum - minimum) / levels;
    if (step != 0)
        return minimum + step * level;
    return minimum + int(qint64(maximum - minimum) * level / levels);
}

inline int toLevelStepped(int value, int minimum, int maximum, int levels)
{
    const int step = (maximum - minimum) / levels;
    if (step != 0)
        return (value - minimum) / step;
    if (maximum == minimum)
        return 0;
    return int(qint64(value - minimum) * levels / (maximum - minimum));
}

} // namespace LevelMapping

#endif
