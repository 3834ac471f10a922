#ifndef INSPECTION_PEARSONCORRELATION_H
#define INSPECTION_PEARSONCORRELATION_H

#include <opencv2/core.hpp>

#include <vector>

// Pearson correlation of the first n values of x and y, n the shorter length, clamped to
// [-1, 1]; 1 when both are flat, 0 when only one is or there are no values. Exact integer sums,
// so that the same pixels always give the same figure.
double pearsonCorrelation(const std::vector<uchar> &x, const std::vector<uchar> &y);

#endif
