#include "inspection/VectorPaths.h"

#include <QtGlobal>

#include <cstdlib>
#include <cstring>

namespace VectorPaths {

namespace {

Width fromEnvironment()
{
    const char *value = std::getenv("MM_VECTOR_PATHS");
    if (!value || !*value || std::strcmp(value, "avx512") == 0)
        return Avx512;
    if (std::strcmp(value, "avx2") == 0)
        return Avx2;
    if (std::strcmp(value, "plain") == 0)
        return Plain;
    qWarning("MM_VECTOR_PATHS=%s is none of avx512, avx2, plain: the widest paths are used", value);
    return Avx512;
}

} // namespace

Width allowed()
{
    static const Width width = fromEnvironment();
    return width;
}

} // namespace VectorPaths
