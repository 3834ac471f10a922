#pragma once

// The engine's own vector code is picked at run time from what the processor has. The widest
// pick may be narrowed with the environment variable MM_VECTOR_PATHS ("avx2" or "plain", read
// once), so that one machine can check every path: each gives the same results, bit for bit.
namespace VectorPaths {

enum Width { Plain = 0, Avx2 = 1, Avx512 = 2 };

// The widest code the environment allows (Avx512 when MM_VECTOR_PATHS is not set).
Width allowed();

inline bool allows(Width width)
{
    return allowed() >= width;
}

} // namespace VectorPaths
