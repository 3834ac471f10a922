#include "platform/camsim/SimDeviceTable.h"

namespace camsim {

std::shared_ptr<Device> DeviceTable::add(const DeviceSetup &setup)
{
    auto device = std::make_shared<Device>(setup);
    std::lock_guard<std::mutex> lock(mutex);
    devices << device;
    return device;
}

void DeviceTable::remove(const std::shared_ptr<Device> &device)
{
    std::lock_guard<std::mutex> lock(mutex);
    devices.removeAll(device);
}

void DeviceTable::clear()
{
    QList<std::shared_ptr<Device>> removed;
    {
        std::lock_guard<std::mutex> lock(mutex);
        removed.swap(devices);
    }
    // Unplugged outside the table's lock: the loss notices reach the drivers.
    for (const std::shared_ptr<Device> &device : removed)
        device->unplug();
}

QList<std::shared_ptr<Device>> DeviceTable::all() const
{
    std::lock_guard<std::mutex> lock(mutex);
    return devices;
}

QList<std::shared_ptr<Device>> DeviceTable::present() const
{
    QList<std::shared_ptr<Device>> found;
    for (const std::shared_ptr<Device> &device : all()) {
        if (device->present())
            found << device;
    }
    return found;
}

std::shared_ptr<Device> DeviceTable::find(const QByteArray &identity) const
{
    for (const std::shared_ptr<Device> &device : all()) {
        if (device->setup().identity == identity)
            return device;
    }
    return nullptr;
}

} // namespace camsim
