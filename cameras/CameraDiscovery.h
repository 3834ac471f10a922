#ifndef CAMERAS_CAMERADISCOVERY_H
#define CAMERAS_CAMERADISCOVERY_H

#include "cameras/CameraInfo.h"
#include "core/Globals.h"

#include <QList>
#include <QString>

#include <map>
#include <memory>
#include <vector>

class CameraInterface;

// Process globals of the camera discovery. Everything here runs once at start-up, on the GUI
// thread, before any camera view exists.

// The camera families to try (CameraFamily::maskBit): 0x10 HikIRCamera, 0x100 CameraFotric,
// 0x08 HikCamera, 0x04 MindCamera, 0x200 Do3thinkCamera; the main window sets 0x31C (all five)
// before discovery.
extern quint32 cameraFamilyMask;
// One prototype per driver identifier, built by discovery, never opened.
extern std::map<QString, std::unique_ptr<CameraInterface>> cameraPrototypes;
// The devices found, in binding order: the device of slot 0 first, then that of slot 1 and so
// on, then every unbound device in discovery order.
extern QList<CameraInfo> foundCameras;
// 1 when the cameras in use are simulated.
extern int simulatedCameras;
// Devices found whose opening failed at the last createCameras: the station runs without them.
extern int unopenedCameras;
// Number of cameras in use, 0 to CameraSlotCount.
extern int cameraCount;
// The cameras in use: cameraCount, within the slots there are. Every loop over the cameras and
// every check of a camera index goes through these.
int camerasInUse();
// camera is one of the cameras in use.
bool cameraInUse(int camera);
// camera has one of the CameraSlotCount places of a per-camera table.
bool cameraSlot(int camera);
// For camera k (in camera order) the slot it is bound to; set by the camera order dialog.
extern int cameraSlotOfCamera[CameraSlotCount];

// Builds the prototype of every family selected by cameraFamilyMask, collects what each
// enumerates and puts the devices whose identities match the camera slots (cameraSlotSerials)
// first, in slot order. A free slot (empty or "0") binds nothing.
void discoverCameras();

// Creates a device object for info from its family's prototype, tells it its camera number,
// sets its colour output and opens it. Null when the family has no prototype or the device
// does not open.
std::unique_ptr<CameraInterface> createCamera(const CameraInfo &info, bool colour, int number);

// Creates the cameras in use from the front of foundCameras: up to CameraSlotCount records are
// tried and the ones that open are kept; the colour setting (system parameter 183 + n) belongs
// to the camera number n, not to the list position. When none opens, two simulated cameras
// stand in, foundCameras becomes their records and simulatedCameras 1. Sets cameraCount.
std::vector<std::unique_ptr<CameraInterface>> createCameras();

#endif
