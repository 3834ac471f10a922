#ifndef BENCH_GOALROW_H
#define BENCH_GOALROW_H

#include <cstdio>
#include <string>

// One goal of the benchmarks with its figure and verdict, on a line of its own that ./bench.sh
// collects into its summary: "GOAL | row | figure | goal | met or NOT MET".
inline void printGoal(const std::string &row, const std::string &figure, const std::string &goal, bool met)
{
    std::printf("GOAL | %-62s | %-40s | %-26s | %s\n", row.c_str(), figure.c_str(), goal.c_str(),
                met ? "met" : "NOT MET");
    std::fflush(stdout);
}

inline std::string formatted(const char *format, double a, double b = 0, double c = 0)
{
    char text[160];
    std::snprintf(text, sizeof text, format, a, b, c);
    return text;
}

#endif
