#include "platform/camsim/SimLink.h"

namespace camsim {

bool Link::open(const std::shared_ptr<Device> &target)
{
    close();
    quint64 claim = 0;
    if (!target || !target->claim(&claim))
        return false;
    device = target;
    claimNumber = claim;
    return true;
}

void Link::close()
{
    if (!device)
        return;
    device->release(claimNumber);
    device.reset();
    claimNumber = 0;
}

bool Link::startStream(Device::FrameSink sink)
{
    return device && device->startStream(claimNumber, std::move(sink));
}

void Link::stopStream()
{
    if (device)
        device->stopStream(claimNumber);
}

void Link::onLoss(Device::LossListener listener)
{
    if (device)
        device->setLossListener(claimNumber, std::move(listener));
}

} // namespace camsim
