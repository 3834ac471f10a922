#ifndef CAMERAS_CAMERAFAMILY_H
#define CAMERAS_CAMERAFAMILY_H

#include <QList>
#include <QString>

#include <functional>
#include <memory>

class CameraInterface;

// How one driver family takes part in discovery: its identifier, the bit of cameraFamilyMask
// that selects it, and how its prototype is built (the prototype enumerates the family's
// devices and creates their device objects).
struct CameraFamily
{
    QString iid;
    // 0: never enumerated by discovery; such a family (the simulated cameras) is only
    // created on purpose.
    quint32 maskBit = 0;
    std::function<std::unique_ptr<CameraInterface>()> makePrototype;
};

// Adds a family; false (and nothing changes) when its identifier is empty or taken or it
// cannot build a prototype. The simulated camera family is always registered.
bool registerCameraFamily(const CameraFamily &family);
void unregisterCameraFamily(const QString &iid);

// The registered families in discovery order: the thermal families first, then the
// machine-vision families, in a fixed order; families unknown to that order follow in the
// order they were registered.
QList<CameraFamily> registeredCameraFamilies();

// A new prototype of the family; null when none is registered under iid.
std::unique_ptr<CameraInterface> makeCameraPrototype(const QString &iid);

#endif
