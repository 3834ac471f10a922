#ifndef INSPECTION_PEARSONCORRELATION_H
#define INSPECTION_PEARSONCORRELATION_H

#include <QtGlobal>

#include <opencv2/core.hpp>

#include <vector>

// Pearson correlation of the first n values of x and y, n the shorter length, clamped to
// [-1, 1]; 1 when both are flat, 0 when only one is or there are no values. Exact integer sums,
// so that the same pixels always give the same figure.
double pearsonCorrelation(const std::vector<uchar> &x, const std::vector<uchar> &y);

// The same figure summed pair by pair, for callers that walk their pixels themselves.
struct PearsonSums
{
    qint64 n = 0;
    qint64 sx = 0;
    qint64 sy = 0;
    qint64 sxx = 0;
    qint64 syy = 0;
    qint64 sxy = 0;

    void add(qint64 a, qint64 b)
    {
        ++n;
        sx += a;
        sy += b;
        sxx += a * a;
        syy += b * b;
        sxy += a * b;
    }
    double value() const;
};

#endif
