#include "core/PlatformHelpers.h"

#include "core/LogManager.h"
#include "core/StationHost.h"
#include "platform/system/SystemActions.h"

#include <QCoreApplication>
#include <QDebug>
#include <QLibrary>
#include <QStringList>
#include <QThread>

#include <cstdio>
#include <unistd.h>

bool gpioUsable = true;
GpioWriteFunction gpioWrite = nullptr;

namespace {

const char usbMountPoint[] = "/mnt";

// The missing-library message is said once, not at every write of the heartbeat lamp.
bool lampFailureReported = false;

void disableLamps()
{
    gpioUsable = false;
}

// "/dev/sdb1: UUID=... TYPE=..." → "/dev/sdb1" (the text before the first ":").
QString deviceOf(const QString &blkidLine)
{
    return blkidLine.section(QLatin1Char(':'), 0, 0);
}

// "/dev/sda2" → "/dev/sda": the device with its trailing partition digits removed.
QString diskOf(const QString &device)
{
    int end = device.size();
    while (end > 0 && device.at(end - 1).isDigit())
        --end;
    return device.left(end);
}

// The USB partitions in blkid order: FAT, NTFS or exFAT partitions listed after an ext4 line
// and not on the disk of the latest ext4 partition (the system disk).
QStringList usbCandidates(const QString &blkidOutput)
{
    QString systemDisk;
    QStringList candidates;
    const QStringList lines = blkidOutput.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    for (const QString &line : lines) {
        if (line.contains(QLatin1String("TYPE=\"ext4\""))) {
            systemDisk = diskOf(deviceOf(line));
        } else if (line.contains(QLatin1String("TYPE=\"vfat\""))
                   || line.contains(QLatin1String("TYPE=\"ntfs\""))
                   || line.contains(QLatin1String("TYPE=\"exfat\""))) {
            const QString device = deviceOf(line);
            if (!systemDisk.isEmpty() && !device.contains(systemDisk))
                candidates << device;
        }
    }
    return candidates;
}

// Lines of a /proc/mounts text whose mount point is exactly mountPoint (and whose device is
// device, when one is given). "/mnt2" is not "/mnt".
int countMounts(const QString &mountTable, const QString &mountPoint,
                const QString &device = QString())
{
    int count = 0;
    const QStringList lines = mountTable.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    for (const QString &line : lines) {
        const QStringList fields = line.split(QLatin1Char(' '), Qt::SkipEmptyParts);
        if (fields.size() < 2 || fields.at(1) != mountPoint)
            continue;
        if (device.isEmpty() || fields.at(0) == device)
            ++count;
    }
    return count;
}

} // namespace

QString lampLibraryFileName()
{
#ifdef Q_OS_WIN
    return QStringLiteral("LDIO_DLL.dll");
#else
    return QCoreApplication::applicationDirPath() + QStringLiteral("/LDIO_DLL");
#endif
}

void loadLampLibrary(const QString &fileName)
{
    // Loaded once and kept for the whole run; never unloaded.
    static QLibrary *library = new QLibrary;
    lampFailureReported = false;
    library->setFileName(fileName);
    if (!library->load()) {
        qInfo().noquote() << "LDIO_DLL.dll 加载失败:" << library->errorString();
        disableLamps();
        return;
    }
    if (!library->resolve("GPIO_Ver")) {
        qInfo("GPIO_Ver 函数解析失败");
        disableLamps();
        return;
    }
    const auto init = reinterpret_cast<GpioInitFunction>(library->resolve("GPIO_Init"));
    if (!init) {
        qInfo("GPIO_Init 函数解析失败");
        disableLamps();
        return;
    }
    if (init(0xFFFF) == GpioInitFailed) {
        disableLamps();
        return;
    }
    qInfo("初始化成功");
    if (!library->resolve("GPIO_Read")) {
        qInfo("GPIO_Read 函数解析失败");
        disableLamps();
        return;
    }
    gpioWrite = reinterpret_cast<GpioWriteFunction>(library->resolve("GPIO_Write"));
    if (!gpioWrite) {
        qInfo("GPIO_Write 函数解析失败");
        disableLamps();
    }
}

void setStatusLed(int led, int value)
{
    static const char *const channelTexts[GpioLampChannels] = {
        "LED 3 绿色", "LED 3 红色", "LED 2 绿色", "LED 2 红色"};
    const bool usable = gpioUsable && gpioWrite;
    if (!usable && lampFailureReported)
        return;
    // The heartbeat lamp alone writes every second: the writes are debug lines, the failures
    // warnings.
    if (led >= 0 && led < GpioLampChannels)
        qDebug().noquote() << QString::fromUtf8(channelTexts[led]) << value;
    if (!usable) {
        qWarning("LD GPIO J6412 LED 因初始化失败, 导致写入失败");
        lampFailureReported = true;
        return;
    }
    if (gpioWrite(std::uint8_t(led), std::uint8_t(value)) != GpioWriteOk)
        qWarning("LED 写入失败");
}

void setBacklight(bool on)
{
    systemActions()->setBacklightPower(on);
    if (stationHost)
        stationHost->setScreenOff(!on);
}

QString mountUsbDisk()
{
    SystemActions *system = systemActions();
    const QString blkidOutput = system->blockDevices();
    if (blkidOutput.isEmpty())
        return QString();
    const QStringList candidates = usbCandidates(blkidOutput);
    if (candidates.isEmpty())
        return QString();
    const QString device = candidates.first();
    const QString mountPoint = QString::fromLatin1(usbMountPoint);

    const QString before = system->mountTable();
    if (before.isNull())
        return QString();
    for (int n = countMounts(before, mountPoint); n > 0; --n)
        system->unmount(mountPoint);

    system->mount(device, mountPoint);

    const QString after = system->mountTable();
    if (after.isNull() || countMounts(after, mountPoint, device) == 0)
        return QString();
    return mountPoint;
}

void pauseOneSecond()
{
    QThread::msleep(1000);
}

void exitAfterDelay(int status)
{
    pauseOneSecond();
    LogManager::flush();
    std::fflush(nullptr);
    // _exit runs no static destructors: threads that still run keep their objects.
    ::_exit(status);
}
