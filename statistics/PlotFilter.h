#ifndef STATISTICS_PLOTFILTER_H
#define STATISTICS_PLOTFILTER_H

#include <QDateTime>

// Which curves the chart shows: camera, detect stage and region (each -1 for all), and the
// time range that restoring the view applies (null: the x range is left as it is).
struct PlotFilter
{
    int camera = -1;
    int detect = -1;
    int region = -1;
    QDateTime start;
    QDateTime end;
};

#endif
