#ifndef STATISTICS_COUNTTREE_H
#define STATISTICS_COUNTTREE_H

#include <QtGlobal>

#include <array>

constexpr int CountHours = 24;
constexpr int CountCameras = 8;
constexpr int CountStages = 8;

// OK and NG verdicts of one node, per hour of the local clock.
struct CountRecord
{
    std::array<qint32, CountHours> okByHour{};
    std::array<qint32, CountHours> ngByHour{};

    bool operator==(const CountRecord &other) const
    {
        return okByHour == other.okByHour && ngByHour == other.ngByHour;
    }
};

// One node with its eight stage nodes.
struct CountGroup
{
    CountRecord total;
    std::array<CountRecord, CountStages> stages{};
};

// The production counts of one statistics day: every camera and stage, and the sums over
// cameras (all) and over stages (each group's total). All 8 cameras and stages always exist.
struct CountTree
{
    CountGroup all;
    std::array<CountGroup, CountCameras> cameras{};

    void reset() { *this = CountTree(); }
};

#endif
