#ifndef STATION_REGIONTOOLS_H
#define STATION_REGIONTOOLS_H

#include <QString>
#include <QtGlobal>

#include <optional>

// The tool types of a region (CammerSingleton::toolType).
namespace RegionTool {
constexpr int Defect = 0;
constexpr int Spot = 1;
constexpr int IgnoreArea = 2;
constexpr int Positioning = 3;
constexpr int BlackArea = 4;
constexpr int WhiteArea = 5;
constexpr int Similarity = 6;
constexpr int WhiteCount = 7;
constexpr int Temperature = 9;
constexpr int AngleCorrection = 10;
} // namespace RegionTool

// The tool's name in the current language, as the region edit panel and the report name it;
// unknown types are defect detection, as the engine judges them.
QString regionToolName(int toolType);

// The parameters P1, P2, P3 a region starts with; an empty one keeps what the configuration
// already holds.
struct RegionParameters
{
    std::optional<qint32> p1;
    std::optional<qint32> p2;
    std::optional<qint32> p3;
    void applyTo(qint32 &param1, qint32 &param2, qint32 &param3) const
    {
        param1 = p1.value_or(param1);
        param2 = p2.value_or(param2);
        param3 = p3.value_or(param3);
    }
};

// The first region of a stage drawn with a tool; filterSize and alarmArea are settings 149
// and 150, the defect tool's shared values.
RegionParameters newRegionParameters(int toolType, qint32 filterSize, qint32 alarmArea);
// A region whose tool the edit panel's function button changes to toolType.
RegionParameters changedToolParameters(int toolType, qint32 filterSize, qint32 alarmArea);

// A temperature alarm keeps a signed 16-bit limit in the low half of its parameter.
inline int lowSigned16(qint32 value)
{
    return qint16(quint16(quint32(value) & 0xFFFFu));
}

// One 16-bit half of a packed parameter replaced by value (its low 16 bits), the other half
// kept whatever the sign of value.
inline qint32 withHalf(qint32 packed, bool high, int value)
{
    const quint32 half = quint32(value) & 0xFFFFu;
    const quint32 bits = quint32(packed);
    return qint32(high ? ((bits & 0x0000FFFFu) | (half << 16)) : ((bits & 0xFFFF0000u) | half));
}

// A half of a packed parameter, read as a signed or an unsigned 16-bit number.
inline int halfOf(qint32 packed, bool high, bool isSigned)
{
    const quint32 half = high ? (quint32(packed) >> 16) : (quint32(packed) & 0xFFFFu);
    return isSigned ? int(qint16(quint16(half))) : int(half);
}

#endif
