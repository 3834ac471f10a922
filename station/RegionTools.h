#ifndef STATION_REGIONTOOLS_H
#define STATION_REGIONTOOLS_H

#include <QString>
#include <QtGlobal>

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

// A temperature alarm keeps a signed 16-bit limit in the low half of its parameter.
inline int lowSigned16(qint32 value)
{
    return qint16(quint16(quint32(value) & 0xFFFFu));
}

#endif
