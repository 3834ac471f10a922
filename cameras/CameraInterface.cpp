#include "cameras/CameraInterface.h"

CameraInterface::CameraInterface()
{
    // Known to the meta-type system from the first driver on; no signal carries it.
    static const int registered = qRegisterMetaType<CAMERA_TYPE>("CAMERA_TYPE");
    Q_UNUSED(registered)
}

CameraInterface::~CameraInterface() = default;

CameraInfo CameraInterface::cameraInfo() const
{
    return info;
}
