#ifndef TESTS_CAMERAS_THERMALDEVICES_H
#define TESTS_CAMERAS_THERMALDEVICES_H

// Simulated network thermal cameras for tests: devices on the simulated network SDK, the
// pictures they send and the temperature reports they make, and decoding of what the driver
// wrote to them.

#include "cameras/HikIRCamera.h"
#include "platform/hcnetsdk/HCNetSimulator.h"

#include <QByteArray>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace thermal {

constexpr int Width = 640;
constexpr int Height = 512;
// The resolution code of 640 x 512.
constexpr uint8_t Code640x512 = 76;

// The local address of an interface on subnet n, and where the driver looks for a camera
// behind it.
inline std::string localAddress(int subnet)
{
    return "10.40." + std::to_string(subnet) + ".20";
}
inline std::string cameraAddress(int subnet)
{
    return "192.168." + std::to_string(subnet) + ".64";
}

// A camera behind a local interface on subnet n; the interface is added to the ones the SDK
// reports.
inline void addCamera(std::vector<std::string> &locals, int subnet, const std::string &serial, int channels = 1,
                      uint8_t code = Code640x512, uint32_t extended = 0)
{
    hcnetsim::Device device;
    device.serial = serial;
    device.channelCount = channels;
    device.resolutionCode = code;
    device.extendedResolution = extended;
    hcnetsim::addDevice(cameraAddress(subnet), device);
    locals.push_back(localAddress(subnet));
    hcnetsim::setLocalAddresses(locals);
}

// A YV12 picture: Y rises along the row, V and U are fixed per picture.
inline std::vector<uint8_t> picture(int width, int height, int seed)
{
    std::vector<uint8_t> bytes(size_t(width * height * 3 / 2));
    const size_t luma = size_t(width * height);
    for (size_t i = 0; i < luma; ++i)
        bytes[i] = uint8_t((i % size_t(width)) + size_t(seed) * 37);
    std::fill(bytes.begin() + long(luma), bytes.begin() + long(luma + luma / 4), uint8_t(100 + seed));
    std::fill(bytes.begin() + long(luma + luma / 4), bytes.end(), uint8_t(150 - seed));
    return bytes;
}

// Camera k of what discovery's prototype finds, created for camera number `number` and opened;
// null when there is no such camera or it does not open.
inline std::unique_ptr<CameraInterface> openCamera(int k, bool colour = false, int number = 0)
{
    HikIRCamera prototype;
    const QList<CameraInfo> found = prototype.enumerate();
    if (k >= found.size())
        return nullptr;
    std::unique_ptr<CameraInterface> camera = prototype.create(found.at(k));
    camera->setCameraNumber(number);
    camera->setColorOutput(colour);
    return camera->open() ? std::move(camera) : nullptr;
}

// A report of rule in preset 1 with nothing measured yet.
inline NET_DVR_THERMOMETRY_UPLOAD emptyReport(int rule, uint8_t calibration)
{
    NET_DVR_THERMOMETRY_UPLOAD report;
    std::memset(&report, 0, sizeof report);
    report.dwSize = sizeof report;
    report.byRuleID = uint8_t(rule);
    report.byRuleCalibType = calibration;
    report.wPresetNo = 1;
    return report;
}

inline NET_DVR_THERMOMETRY_UPLOAD pointReport(int rule, float temperature, float x = 0.25f, float y = 0.5f)
{
    NET_DVR_THERMOMETRY_UPLOAD report = emptyReport(rule, 0);
    report.struPointThermCfg.fTemperature = temperature;
    report.struPointThermCfg.struPoint = {x, y};
    return report;
}

inline NET_DVR_THERMOMETRY_UPLOAD boxReport(int rule, float minimum, float average, float maximum,
                                            NET_VCA_POINT hottest, NET_VCA_POINT coldest)
{
    NET_DVR_THERMOMETRY_UPLOAD report = emptyReport(rule, 1);
    report.struLinePolygonThermCfg.fMinTemperature = minimum;
    report.struLinePolygonThermCfg.fAverageTemperature = average;
    report.struLinePolygonThermCfg.fMaxTemperature = maximum;
    report.struHighestPoint = hottest;
    report.struLowestPoint = coldest;
    return report;
}

// Every record written with command, oldest first.
inline std::vector<hcnetsim::SetCall> writesOf(uint32_t command)
{
    std::vector<hcnetsim::SetCall> found;
    for (const hcnetsim::SetCall &call : hcnetsim::setCalls()) {
        if (call.command == command)
            found.push_back(call);
    }
    return found;
}

// The record a write carried; false when its size is not the record's.
template <typename Record>
bool decode(const hcnetsim::SetCall &call, Record &record)
{
    if (call.input.size() != sizeof record)
        return false;
    std::memcpy(&record, call.input.data(), sizeof record);
    return true;
}

template <typename Record>
std::vector<uint8_t> bytesOf(const Record &record)
{
    const auto *p = reinterpret_cast<const uint8_t *>(&record);
    return std::vector<uint8_t>(p, p + sizeof record);
}

// The number whose low half is low and whose high half is high, as region parameters pack them.
inline int packed(int low, int high)
{
    return int(uint32_t(low & 0xFFFF) | uint32_t(high) << 16);
}

} // namespace thermal

#endif
