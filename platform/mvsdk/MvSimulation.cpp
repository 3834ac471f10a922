#include "platform/mvsdk/MvSimulation.h"

#include "platform/mvsdk/MvSdk.h"

namespace mvsdk {

camsim::DeviceTable &simulatedDevices()
{
    static camsim::DeviceTable table;
    return table;
}

std::shared_ptr<camsim::Device> addSimulatedDevice(camsim::DeviceSetup setup)
{
    using camsim::Parameter;
    if (setup.vendor.isEmpty())
        setup.vendor = "Hik";
    if (setup.model.isEmpty())
        setup.model = setup.colour ? "SIM-AREA-C" : "SIM-AREA-M";
    std::shared_ptr<camsim::Device> device = simulatedDevices().add(setup);
    device->defineText("DeviceModelName", setup.model);
    device->define("Width", Parameter::Integer, setup.width, setup.width, setup.width);
    device->define("Height", Parameter::Integer, setup.height, setup.height, setup.height);
    const double mono = PixelType_Gvsp_Mono8;
    if (setup.colour)
        device->define("PixelFormat", Parameter::Enumeration, PixelType_Gvsp_BayerRG8, 0, 0xFFFFFFFF,
                       {mono, double(PixelType_Gvsp_BayerRG8), double(PixelType_Gvsp_RGB8_Packed)});
    else
        device->define("PixelFormat", Parameter::Enumeration, mono, 0, 0xFFFFFFFF, {mono});
    device->define("UserSetSelector", Parameter::Enumeration, 0, 0, 3);
    device->define("UserSetLoad", Parameter::Command, 0, 0, 0);
    device->define("SharpnessEnable", Parameter::Boolean, 0, 0, 1);
    device->define("GammaEnable", Parameter::Boolean, 0, 0, 1);
    device->define("GevHeartbeatTimeout", Parameter::Integer, 3000, 500, 600000);
    device->define("ExposureTime", Parameter::Float, 5000, 15, 9999500);
    device->define("GainAuto", Parameter::Enumeration, 2, 0, 2);
    device->define("Gain", Parameter::Float, 0, 0, 17);
    device->define("Sharpness", Parameter::Integer, 0, 0, 100);
    device->define("Gamma", Parameter::Float, 1, 0, 4);
    device->define("AcquisitionFrameRate", Parameter::Float, 30, 0.1, 60);
    device->define("TriggerMode", Parameter::Enumeration, 0, 0, 1);
    device->define("TriggerSource", Parameter::Enumeration, 7, 0, 7, {0, 1, 2, 3, 7});
    return device;
}

} // namespace mvsdk
