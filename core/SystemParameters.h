#ifndef CORE_SYSTEMPARAMETERS_H
#define CORE_SYSTEMPARAMETERS_H

#include <QtGlobal>

// The flat system-parameter record: 366 signed 32-bit integers at fixed indices. Indices 218
// to 242 hold the user password as a NUL-terminated Latin-1 string. The record is copied as a
// whole between the live and the edit instance.
class SystemParameters
{
public:
    static constexpr int Count = 366;

    qint32 &operator[](int index)
    {
        Q_ASSERT(index >= 0 && index < Count);
        return values[index];
    }
    qint32 operator[](int index) const
    {
        Q_ASSERT(index >= 0 && index < Count);
        return values[index];
    }

    qint32 values[Count] = {};
};

static_assert(sizeof(SystemParameters) == SystemParameters::Count * sizeof(qint32),
              "the record is a plain block of integers");

#endif
