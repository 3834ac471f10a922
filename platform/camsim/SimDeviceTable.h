#ifndef PLATFORM_CAMSIM_SIMDEVICETABLE_H
#define PLATFORM_CAMSIM_SIMDEVICETABLE_H

#include "platform/camsim/SimDevice.h"

#include <QList>

#include <memory>
#include <mutex>

namespace camsim {

// The devices one simulated SDK knows, in the order they were registered. Empty, as on a
// machine without cameras, until a test registers some. Thread-safe.
class DeviceTable
{
public:
    std::shared_ptr<Device> add(const DeviceSetup &setup);
    void remove(const std::shared_ptr<Device> &device);
    // Unplugs and forgets every device: handles still open turn stale, and their streams end
    // when they are closed.
    void clear();
    QList<std::shared_ptr<Device>> all() const;
    // The devices present now, in registration order.
    QList<std::shared_ptr<Device>> present() const;
    // The first device with this identity, also one that is absent; null when none.
    std::shared_ptr<Device> find(const QByteArray &identity) const;

private:
    mutable std::mutex mutex;
    QList<std::shared_ptr<Device>> devices;
};

} // namespace camsim

#endif
