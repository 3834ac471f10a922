#ifndef PLATFORM_MINDSDK_MINDSIMULATION_H
#define PLATFORM_MINDSDK_MINDSIMULATION_H

#include "platform/camsim/SimDeviceTable.h"

#include <memory>

// The devices behind the layer in MindSdk.h. A test registers them; with none registered the
// layer finds no camera.
namespace mindsdk {

camsim::DeviceTable &simulatedDevices();

// Registers a device with the parameters the layer's devices have: "AnalogGain" 16..160,
// "Sharpness" 0..100, "Contrast" 0..200, "Gamma" 0..1000 (the capability record reports these
// ranges), "ExposureTime", "AeState", "AeTarget", "AeExposureMin", "AeExposureMax",
// "AntiFlick", "WbMode", "MirrorH", "MirrorV", "FrameSpeed" 0..6, "TriggerMode", "MediaType",
// "IspOutFormat", "Monochrome", "Width", "Height", and the text-command settings
// "awdr_enable" and "online_detect_interval". One-shot white balances count as "OnceWB".
std::shared_ptr<camsim::Device> addSimulatedDevice(camsim::DeviceSetup setup);

// The value of the last CameraSetSysOption for option; empty when never set.
QByteArray systemOption(const QByteArray &option);

} // namespace mindsdk

#endif
