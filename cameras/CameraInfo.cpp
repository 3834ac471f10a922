#include "cameras/CameraInfo.h"

#include <cstring>

void CameraInfo::copyField(char *field, int capacity, const QByteArray &bytes)
{
    const int length = qMin(int(qstrnlen(bytes.constData(), uint(bytes.size()))), capacity - 1);
    std::memcpy(field, bytes.constData(), size_t(length));
    std::memset(field + length, 0, size_t(capacity - length));
}

QByteArray CameraInfo::fieldBytes(const char *field, int capacity)
{
    return QByteArray(field, int(qstrnlen(field, uint(capacity))));
}
