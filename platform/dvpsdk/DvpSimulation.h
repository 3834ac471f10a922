#ifndef PLATFORM_DVPSDK_DVPSIMULATION_H
#define PLATFORM_DVPSDK_DVPSIMULATION_H

#include "platform/camsim/SimDeviceTable.h"

#include <memory>

// The devices behind the layer in DvpSdk.h. A test registers them; with none registered the
// layer finds no camera.
namespace dvpsdk {

camsim::DeviceTable &simulatedDevices();

// Registers a device with the parameters the layer's devices have: "Exposure", "AnalogGain"
// 0..64, "Sharpness" 0..100, "Contrast" 0..200, "Gamma" 0..250, the states "GammaState",
// "ContrastState" and "SharpnessState", "TargetFormat", "AeOperation", "LinkTimeout",
// "TriggerState", "TriggerSource", "RoiW", "RoiH", and the configuration text "HdrEnable".
// Its friendly name is "DVP-<n>", n counting registrations; its user identity is the setup's.
std::shared_ptr<camsim::Device> addSimulatedDevice(camsim::DeviceSetup setup);

} // namespace dvpsdk

#endif
