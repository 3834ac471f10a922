#include "platform/mindsdk/MindSimulation.h"

#include "platform/mindsdk/MindSdk.h"

namespace mindsdk {

camsim::DeviceTable &simulatedDevices()
{
    static camsim::DeviceTable table;
    return table;
}

std::shared_ptr<camsim::Device> addSimulatedDevice(camsim::DeviceSetup setup)
{
    using camsim::Parameter;
    if (setup.model.isEmpty())
        setup.model = setup.colour ? "SIM-GE-C" : "SIM-GE-M";
    std::shared_ptr<camsim::Device> device = simulatedDevices().add(setup);
    device->define("AnalogGain", Parameter::Integer, 16, 16, 160);
    device->define("Sharpness", Parameter::Integer, 0, 0, 100);
    device->define("Contrast", Parameter::Integer, 100, 0, 200);
    device->define("Gamma", Parameter::Integer, 100, 0, 1000);
    device->define("ExposureTime", Parameter::Float, 10000, 10, 2000000);
    device->define("AeState", Parameter::Boolean, 1, 0, 1);
    device->define("AeTarget", Parameter::Integer, 120, 0, 255);
    device->define("AeExposureMin", Parameter::Float, 10, 10, 2000000);
    device->define("AeExposureMax", Parameter::Float, 2000000, 10, 2000000);
    device->define("AntiFlick", Parameter::Boolean, 0, 0, 1);
    device->define("WbMode", Parameter::Boolean, 1, 0, 1);
    device->define("MirrorH", Parameter::Boolean, 0, 0, 1);
    device->define("MirrorV", Parameter::Boolean, 0, 0, 1);
    device->define("FrameSpeed", Parameter::Integer, 1, 0, 6);
    device->define("TriggerMode", Parameter::Integer, CAMERA_TRIGGER_CONTINUOUS, 0, 2);
    if (setup.colour)
        device->define("MediaType", Parameter::Integer, CAMERA_MEDIA_COLOUR, 0, 1);
    else
        device->define("MediaType", Parameter::Integer, CAMERA_MEDIA_COLOUR, 0, 0);
    device->define("IspOutFormat", Parameter::Enumeration, setup.colour ? CAMERA_MEDIA_TYPE_RGB8 : CAMERA_MEDIA_TYPE_MONO8,
                   0, 0xFFFFFFFF, {double(CAMERA_MEDIA_TYPE_MONO8), double(CAMERA_MEDIA_TYPE_RGB8)});
    device->define("Monochrome", Parameter::Boolean, 0, 0, 1);
    device->define("Width", Parameter::Integer, setup.width, 1, setup.width);
    device->define("Height", Parameter::Integer, setup.height, 1, setup.height);
    device->define("awdr_enable", Parameter::Boolean, 0, 0, 1);
    device->define("online_detect_interval", Parameter::Integer, 1000, 0, 60000);
    return device;
}

} // namespace mindsdk
