#include "platform/hcnetsdk/HCNetSimulator.h"

#include "platform/hcnetsdk/SimulatedNetwork.h"

namespace hcnetsim {

namespace {

SimulatedNetwork &network()
{
    return SimulatedNetwork::instance();
}

} // namespace

void reset()
{
    network().reset();
}

void setLocalAddresses(const std::vector<std::string> &addresses)
{
    network().setLocalAddresses(addresses, false);
}

void failLocalAddressQuery(bool failing)
{
    network().failLocalAddressQuery(failing);
}

void addDevice(const std::string &address, const Device &device)
{
    network().addDevice(address, device);
}

void setReachable(const std::string &address, bool reachable)
{
    network().setReachable(address, reachable);
}

void setRecord(const std::string &address, uint32_t command, int32_t channel, const std::vector<uint8_t> &bytes)
{
    network().storeRecord(address, command, channel, bytes);
}

void failCommand(const std::string &address, uint32_t command, bool failing)
{
    network().failCommand(address, command, failing);
}

std::vector<SetCall> setCalls()
{
    return network().setCalls();
}

std::vector<LoginAttempt> loginAttempts()
{
    return network().loginAttempts();
}

void sendPicture(const std::string &address, int32_t channel, int32_t width, int32_t height,
                 const std::vector<uint8_t> &yv12)
{
    network().sendPicture(address, channel, width, height, yv12);
}

void repeatPictures(const std::string &address, int32_t channel, int periodMs)
{
    network().repeatPictures(address, channel, periodMs);
}

void raiseException(const std::string &address, uint32_t code)
{
    network().raiseException(address, code);
}

void reportThermometry(const std::string &address, int32_t channel, const NET_DVR_THERMOMETRY_UPLOAD &report)
{
    network().reportThermometry(address, channel, report);
}

bool waitForReports(int timeoutMs)
{
    return network().waitForReports(timeoutMs);
}

int livePlays()
{
    return network().livePlays();
}

int openPorts()
{
    return playerOpenPorts();
}

int activeLogins()
{
    return network().activeLogins();
}

} // namespace hcnetsim
