#include "cameras/CameraFamily.h"

#include "cameras/CameraFotric.h"
#include "cameras/Do3thinkCamera.h"
#include "cameras/HikCamera.h"
#include "cameras/HikIRCamera.h"
#include "cameras/MindCamera.h"
#include "cameras/SimulateCamera.h"

#include <algorithm>

namespace {

template <typename Driver>
CameraFamily builtIn(const char *iid, quint32 maskBit)
{
    return {QString::fromLatin1(iid), maskBit,
            [] { return std::unique_ptr<CameraInterface>(std::make_unique<Driver>()); }};
}

// Listed here rather than registered by the drivers themselves: the linker drops objects of a
// static library that nothing refers to.
QList<CameraFamily> &families()
{
    static QList<CameraFamily> registered = {
        builtIn<SimulateCamera>(SimulateCameraIid, 0),
        builtIn<HikIRCamera>(HikIRCameraIid, 0x10),
        builtIn<CameraFotric>(FotricCameraIid, 0x100),
        builtIn<HikCamera>(HikCameraIid, 0x08),
        builtIn<MindCamera>(MindCameraIid, 0x04),
        builtIn<Do3thinkCamera>(Do3thinkCameraIid, 0x200),
    };
    return registered;
}

int discoveryRank(const QString &iid)
{
    static const QStringList order = {
        QString::fromLatin1(HikIRCameraIid), QString::fromLatin1(FotricCameraIid),
        QString::fromLatin1(HikCameraIid), QString::fromLatin1(MindCameraIid),
        QString::fromLatin1(Do3thinkCameraIid),
    };
    const int rank = order.indexOf(iid);
    return rank < 0 ? order.size() : rank;
}

} // namespace

bool registerCameraFamily(const CameraFamily &family)
{
    if (family.iid.isEmpty() || !family.makePrototype) {
        qWarning("camera family without identifier or prototype not registered");
        return false;
    }
    const auto same = [&family](const CameraFamily &f) { return f.iid == family.iid; };
    if (std::any_of(families().cbegin(), families().cend(), same)) {
        qWarning("camera family %s registered twice", qUtf8Printable(family.iid));
        return false;
    }
    families() << family;
    return true;
}

void unregisterCameraFamily(const QString &iid)
{
    families().erase(std::remove_if(families().begin(), families().end(),
                                    [&iid](const CameraFamily &f) { return f.iid == iid; }),
                     families().end());
}

QList<CameraFamily> registeredCameraFamilies()
{
    QList<CameraFamily> ordered = families();
    std::stable_sort(ordered.begin(), ordered.end(),
                     [](const CameraFamily &a, const CameraFamily &b) {
                         return discoveryRank(a.iid) < discoveryRank(b.iid);
                     });
    return ordered;
}

std::unique_ptr<CameraInterface> makeCameraPrototype(const QString &iid)
{
    for (const CameraFamily &family : families()) {
        if (family.iid == iid)
            return family.makePrototype();
    }
    return nullptr;
}
