#ifndef BENCH_SAMPLESTATISTICS_H
#define BENCH_SAMPLESTATISTICS_H

#include <algorithm>
#include <vector>

// Figures of a set of measured samples for the benchmarks' counters.

// The sample at the given fraction of the sorted set (0.5 the median); 0 for no samples.
inline double percentile(std::vector<double> samples, double fraction)
{
    if (samples.empty())
        return 0;
    const size_t index = std::min(samples.size() - 1, size_t(fraction * double(samples.size())));
    std::nth_element(samples.begin(), samples.begin() + long(index), samples.end());
    return samples[index];
}

inline double mean(const std::vector<double> &samples)
{
    double sum = 0;
    for (double sample : samples)
        sum += sample;
    return samples.empty() ? 0 : sum / double(samples.size());
}

#endif
