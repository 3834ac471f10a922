#include "tests/station/StationHarness.h"

#include "cameras/CameraDiscovery.h"
#include "cameras/CameraFotric.h"
#include "core/Globals.h"
#include "core/ParameterManager.h"
#include "core/ParameterNames.h"
#include "core/UiTexts.h"
#include "inspection/CammerSingleton.h"
#include "machineio/ControlPort.h"
#include "machineio/IOFrames.h"
#include "machineio/IOGlobals.h"
#include "machineio/ModbusServer.h"
#include "platform/mvsdk/MvSimulation.h"
#include "station/MoJuWizard.h"
#include "station/StationGlobals.h"
#include "station/TemplateFiles.h"
#include "tests/station/RecordRows.h"
#include "tests/station/StationTestSetup.h"
#include "tools/boardsim/DefectRegion.h"
#include "tools/framegen/MouldSynth.h"

#include <QFile>
#include <QSqlQuery>
#include <QTest>

#include <modbus.h>

namespace {

QByteArray packed(const cv::Mat &grey)
{
    QByteArray bytes(grey.cols * grey.rows, '\0');
    for (int y = 0; y < grey.rows; ++y)
        std::memcpy(bytes.data() + y * grey.cols, grey.ptr(y), size_t(grey.cols));
    return bytes;
}

} // namespace

void RecordingRegionPage::SlotReCheck()
{
    ++rechecks;
    if (mainWindow)
        mainWindow->ReCheckImages();
}

StationHarness::StationHarness(int cameras, int otherCameras, Cameras kind)
    : cameraCount(cameras), otherCameras(otherCameras), cameraKind(kind),
      family(Width, Height, kind == Cameras::Driven ? cameras : 0)
{
}

StationHarness::~StationHarness()
{
    stop();
    mvsdk::simulatedDevices().clear();
    ioMutex = nullptr;
    imageSaveMutex = nullptr;
}

bool StationHarness::prepare()
{
    ioMutex = &ioLock;
    imageSaveMutex = &imageLock;
    MoJuWizard::modbusPort = 0;
    // Stream thermal cameras are probed on loopback addresses, where only a test's own camera
    // answers, never on the network the tests run on.
    CameraFotric::probeHostPattern = QStringLiteral("127.0.%1.1");
    if (!work.isValid() || !loadUiTexts() || !openDefaultParameterStore())
        return false;
    // Every test starts from these: no no-signal watchdog, no debounce, the cavity captured at
    // once.
    SystemParameters &p = *currentParams;
    p[Param::NoSignalSeconds] = 0;
    p[Param::DebounceSteps] = 0;
    p[Param::CaptureDelay + 1] = 0;
    loadedSettings = p;
    for (int c = 0; c < cameraCount; ++c) {
        const synth::MouldLayout layout = synth::makeMouldLayout(std::uint32_t(21 + c), cv::Size(Width, Height));
        synth::Conditions conditions;
        conditions.noiseSeed = std::uint32_t(5 + c);
        good << packed(synth::renderMould(layout, {}, conditions));
        part << packed(synth::renderMould(layout, {synth::partInCavity(layout, 0, 0.6f)}, conditions));
        // The other families' cameras come first in discovery.
        const int number = otherCameras + c;
        for (int stage = 0; stage < 2; ++stage) {
            if (!QDir().mkpath(stageFolder(number, stage))
                || !saveTemplateImage(templateFilePath(number, stage, 0), Width, Height, false,
                                      reinterpret_cast<const uchar *>(good.last().constData())))
                return false;
        }
        if (!addCavityRegions(number, layout.cavities.front().rect))
            return false;
        if (cameraKind == Cameras::Driven)
            family.controls[c].frame = good.last();
        else
            addSdkDevice(c, good.last());
    }
    return true;
}

// A grey device whose sensor sees the good frame, bound to no slot; the driver sorts it by
// its serial.
void StationHarness::addSdkDevice(int c, const QByteArray &grey)
{
    camsim::DeviceSetup setup;
    setup.identity = "STATION-CAM-" + QByteArray::number(c);
    setup.width = Width;
    setup.height = Height;
    setup.framePeriodMs = 0;
    sdkDevices << mvsdk::addSimulatedDevice(setup);
    QByteArray rgb(grey.size() * 3, Qt::Uninitialized);
    for (int i = 0; i < grey.size(); ++i)
        rgb[3 * i] = rgb[3 * i + 1] = rgb[3 * i + 2] = grey.at(i);
    sdkDevices.last()->setScene(rgb, Width, Height);
}

// A defect region over the cavity and its rim in both stages, as an operator draws it, in the
// camera's table of the parameter database.
bool StationHarness::addCavityRegions(int camera, const cv::Rect &cavity)
{
    CammerSingleton config(camera);
    QSqlQuery query = ParameterManager::instance()->paramQuery();
    if (!config.load(query, Width, Height))
        return false;
    for (int stage = 0; stage < 2; ++stage)
        addCavityDefectRegion(config, stage, cavity);
    return config.save(query);
}

SystemParameters &StationHarness::settings()
{
    return *currentParams;
}

bool StationHarness::start()
{
    boardSimulator = std::make_unique<BoardSimulator>();
    inputWord = 0;
    retiredWords.clear();
    if (!boardSimulator->isValid() || !boardSimulator->linkAs(QStringLiteral("COM1")))
        return false;
    return startStation();
}

bool StationHarness::startStation()
{
    for (int c = 0; c < family.controls.size(); ++c) {
        CycleCameraControl &control = family.controls[c];
        control.frame = good.value(c);
        control.streaming = true;
        control.framePeriodMs = 0;
        control.linkUp = true;
        control.source = nullptr;
    }
    // The words a previous station left behind; the new board starts with every input low.
    {
        QMutexLocker locker(ioMutex);
        ioInputWord = 0;
        ioOutputWord = -1;
    }
    ioLastOutputWord = 0;
    doorOpenedSinceAlarm = false;
    regionEditActive = false;
    editorSource = -1;
    window = std::make_unique<MoJuWizard>();
    window->setRegionPage(&regionPage);
    controlPort->StartIOThread(window.get(), &MoJuWizard::Run);
    if (!QTest::qWaitFor([] { return controlPort->StatusReplyCount() > 0; }, Timeout))
        return false;
    // The host is served once the station runs.
    if (!QTest::qWaitFor([this] { return window->modbusServer->isListening(); }, Timeout))
        return false;

    master = modbus_new_tcp("127.0.0.1", window->modbusServer->serverPort());
    if (!master)
        return false;
    modbus_set_slave(master, 1);
    modbus_set_response_timeout(master, 5, 0);
    return modbus_connect(master) == 0 && cameraCount + otherCameras == ::cameraCount;
}

void StationHarness::endStation()
{
    if (master) {
        modbus_close(master);
        modbus_free(master);
        master = nullptr;
    }
    window.reset();
}

bool StationHarness::restartStation(const QByteArray &waitingOnPort)
{
    endStation();
    regionPage = RecordingRegionPage();
    if (!waitingOnPort.isEmpty())
        boardSimulator->sendRaw(waitingOnPort);
    return startStation();
}

bool StationHarness::replaceBoard(const QByteArray &waitingOnPort)
{
    retiredWords += outputWords();
    boardSimulator.reset();
    boardSimulator = std::make_unique<BoardSimulator>();
    if (!boardSimulator->isValid())
        return false;
    boardSimulator->setInputWord(inputWord);
    if (!waitingOnPort.isEmpty())
        boardSimulator->sendRaw(waitingOnPort);
    return boardSimulator->linkAs(QStringLiteral("COM1"));
}

void StationHarness::stop()
{
    endStation();
    boardSimulator.reset();
    regionPage = RecordingRegionPage();
    if (currentParams)
        *currentParams = loadedSettings;
    QFile::remove(QStringLiteral("count.txt"));
    QFile::remove(QStringLiteral("RECORD.db"));
}

void StationHarness::setInput(int input, bool on)
{
    if (on)
        inputWord |= 1 << input;
    else
        inputWord &= ~(1 << input);
    boardSimulator->setInputWord(inputWord);
}

bool StationHarness::openMould()
{
    setInput(0, false);
    if (!QTest::qWaitFor([] { return !controlPort->GetIOState(false, 0); }, Timeout))
        return false;
    setInput(0, true);
    return QTest::qWaitFor([] { return controlPort->GetIOState(false, 0); }, Timeout);
}

QVector<int> StationHarness::outputWords() const
{
    QVector<int> words;
    for (const auto &change : outputWordChanges())
        words << change.first;
    return words;
}

QVector<qint64> StationHarness::outputWordTimesMs() const
{
    QVector<qint64> times;
    for (const auto &change : outputWordChanges())
        times << change.second / 1000000;
    return times;
}

QVector<QPair<int, qint64>> StationHarness::outputWordChanges() const
{
    QVector<QPair<int, qint64>> changes;
    for (const BoardSimulator::Request &request : boardSimulator->requests()) {
        const QByteArray &bytes = request.bytes;
        if (bytes.size() != IOFrame::RequestSize || quint8(bytes[1]) != IOFrame::SetOutputs)
            continue;
        const int word = (quint8(bytes[2]) | quint8(bytes[3]) << 8) & 0x3FF;
        if (changes.isEmpty() || changes.last().first != word)
            changes.append({word, request.arrivalNs});
    }
    return changes;
}

QVector<int> StationHarness::readRegisters(int start, int count)
{
    QVector<uint16_t> values(count);
    if (!master || modbus_read_registers(master, start, count, values.data()) != count)
        return {};
    QVector<int> result;
    for (uint16_t value : values)
        result << int(value);
    return result;
}

int StationHarness::readRegister(int index)
{
    const QVector<int> values = readRegisters(index, 1);
    return values.isEmpty() ? -1 : values.first();
}

bool StationHarness::writeRegister(int index, int value)
{
    const uint16_t word = uint16_t(value);
    return master && modbus_write_registers(master, index, 1, &word) == 1;
}

QString StationHarness::countText()
{
    QFile file(QStringLiteral("count.txt"));
    if (!file.open(QIODevice::ReadOnly))
        return QString();
    return QString::fromLatin1(file.readAll());
}

QStringList StationHarness::recordRemarks()
{
    QStringList remarks;
    for (const QStringList &row : readRecordRows(QStringLiteral("RECORD.db")))
        remarks << row.at(2);
    return remarks;
}
