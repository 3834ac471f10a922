#include "platform/dvpsdk/DvpSimulation.h"

#include "platform/dvpsdk/DvpSdk.h"

namespace dvpsdk {

camsim::DeviceTable &simulatedDevices()
{
    static camsim::DeviceTable table;
    return table;
}

std::shared_ptr<camsim::Device> addSimulatedDevice(camsim::DeviceSetup setup)
{
    using camsim::Parameter;
    static int registered = 0;
    if (setup.model.isEmpty())
        setup.model = setup.colour ? "SIM-DVP-C" : "SIM-DVP-M";
    std::shared_ptr<camsim::Device> device = simulatedDevices().add(setup);
    device->defineText("FriendlyName", "DVP-" + QByteArray::number(++registered));
    device->define("Exposure", Parameter::Float, 10000, 20, 5000000);
    device->define("AnalogGain", Parameter::Float, 1, 0, 64);
    device->define("Sharpness", Parameter::Integer, 0, 0, 100);
    device->define("Contrast", Parameter::Integer, 0, 0, 200);
    device->define("Gamma", Parameter::Integer, 100, 0, 250);
    device->define("GammaState", Parameter::Boolean, 0, 0, 1);
    device->define("ContrastState", Parameter::Boolean, 0, 0, 1);
    device->define("SharpnessState", Parameter::Boolean, 0, 0, 1);
    device->define("TargetFormat", Parameter::Enumeration, setup.colour ? FORMAT_RGB24 : FORMAT_MONO8, 0, 100,
                   {double(FORMAT_RGB24), double(FORMAT_MONO8)});
    device->define("AeOperation", Parameter::Enumeration, 2, 0, 2);
    device->define("LinkTimeout", Parameter::Integer, 1000, 100, 60000);
    device->define("TriggerState", Parameter::Boolean, 0, 0, 1);
    device->define("TriggerSource", Parameter::Enumeration, TRIGGER_SOURCE_SOFTWARE, 0, 8);
    device->define("RoiW", Parameter::Integer, setup.width, 1, setup.width);
    device->define("RoiH", Parameter::Integer, setup.height, 1, setup.height);
    device->defineText("HdrEnable", "false");
    return device;
}

} // namespace dvpsdk
