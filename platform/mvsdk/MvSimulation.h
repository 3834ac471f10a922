#ifndef PLATFORM_MVSDK_MVSIMULATION_H
#define PLATFORM_MVSDK_MVSIMULATION_H

#include "platform/camsim/SimDeviceTable.h"

#include <memory>

// The devices behind the layer in MvSdk.h. A test registers them; with none registered the
// layer finds no camera.
namespace mvsdk {

camsim::DeviceTable &simulatedDevices();

// Registers a device with the parameters the layer's devices have: "DeviceModelName" (the
// setup's model, else one ending in "C" or "M"), "Width", "Height", "PixelFormat" (Mono8, and
// BayerRG8 and RGB8 on a colour sensor; BayerRG8 by default there), "ExposureTime", "Gain"
// 0..17, "GainAuto", "Sharpness" 0..100, "Gamma" 0..4, "AcquisitionFrameRate" up to 60,
// "TriggerMode", "TriggerSource", "UserSetSelector", "UserSetLoad", "SharpnessEnable",
// "GammaEnable" and "GevHeartbeatTimeout". The vendor is "Hik" unless the setup names one.
std::shared_ptr<camsim::Device> addSimulatedDevice(camsim::DeviceSetup setup);

} // namespace mvsdk

#endif
