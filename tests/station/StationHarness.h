#ifndef TESTS_STATION_STATIONHARNESS_H
#define TESTS_STATION_STATIONHARNESS_H

#include "core/SystemParameters.h"
#include "platform/camsim/SimDevice.h"
#include "platform/system/RecordingSystemActions.h"
#include "station/RegionPage.h"
#include "tests/station/CycleCamera.h"
#include "tests/support/TempWorkDir.h"
#include "tools/boardsim/BoardSimulator.h"

#include <QByteArray>
#include <QMutex>
#include <QPair>
#include <QStringList>
#include <QVector>

#include <opencv2/core.hpp>

#include <memory>

class MoJuWizard;
struct _modbus;

// The region page as the run controller sees it: it counts what it is asked, and its re-check
// does what the page's re-check does besides saving edits, which a test has none of.
struct RecordingRegionPage : RegionPage
{
    int entered = 0;
    int closed = 0;
    int rechecks = 0;
    int templatesDeleted = 0;
    void enterEditor() override { ++entered; }
    void closeEditor() override { ++closed; }
    void SlotReCheck() override;
    void SlotTempDeleteAll() override { ++templatesDeleted; }
};

// The whole station in this process: the main window built on cameras whose frames the test
// chooses, an I/O board simulator on a pseudo-terminal linked into the working folder as the
// board's port, and a real Modbus master on the station's register server.
//
// One working folder per test program (the parameter store keeps its files open): prepare()
// once, then start() and stop() around each test; stop() removes the counts and the record, and
// every test starts from the settings prepare() loaded.
class StationHarness
{
public:
    static constexpr int Width = 480;
    static constexpr int Height = 270;
    // Generous: the suite runs under the sanitizers on a loaded machine.
    static constexpr int Timeout = 20000;

    // cameras: the cameras whose frames the test chooses; otherCameras: cameras of other
    // families whose devices the test registers, which discovery finds first, so the test's
    // own cameras follow them. camera(c), goodFrame(c) and partFrame(c) count own cameras.
    // kind: own cameras the test drives frame by frame (camera()), or grey devices of a
    // simulated machine-vision SDK seen through their real driver (sdkDevice()), which deliver
    // frames only when a test asks or pulses their trigger input.
    enum class Cameras { Driven, SdkDevices };

    explicit StationHarness(int cameras = 1, int otherCameras = 0, Cameras kind = Cameras::Driven);
    ~StationHarness();

    // Working folder, parameter store, UI texts, the cameras' templates of stages 1 and 2 (the
    // good frame of each camera) and a defect region over the cavity that the part frames have
    // a part left in.
    bool prepare();
    // Builds the station with every camera streaming its good frame, starts the I/O thread and
    // connects the Modbus master. Returns once the station has had the board's first answer:
    // the inputs it finds then are its starting state.
    bool start();
    void stop();
    // Ends the station and builds it again on the same board, as a restart of the program
    // would; the counts and the record stay. Bytes given are waiting on the port when the new
    // station opens it, as answers to the polls of the one that ended would.
    bool restartStation(const QByteArray &waitingOnPort = QByteArray());
    // The board goes away and a new one takes its place under the port's name, with the same
    // inputs and the given bytes already sent towards the station. The old board's output
    // words are kept in retiredOutputWords().
    bool replaceBoard(const QByteArray &waitingOnPort = QByteArray());
    QVector<int> retiredOutputWords() const { return retiredWords; }

    // The live settings; changes apply at once, and are undone by stop(). Those read when the
    // station is built (the stages in use) are changed between stop() and start().
    SystemParameters &settings();

    MoJuWizard *station() const { return window.get(); }
    BoardSimulator &board() const { return *boardSimulator; }
    CycleCameraControl &camera(int c) { return family.controls[c]; }
    camsim::Device &sdkDevice(int c) const { return *sdkDevices.at(c); }
    RecordingSystemActions &actions() { return systemActions; }
    RecordingRegionPage regionPage;

    // Camera c's mould, empty or with a part left in a cavity, as 8-bit grey.
    QByteArray goodFrame(int c) const { return good.value(c); }
    QByteArray partFrame(int c) const { return part.value(c); }

    // Machine input 0..7 (bit i of the board's input word).
    void setInput(int input, bool on);
    // A rising edge of the mould-open end; true once the station's pass has seen it (the input
    // word is read by the pass that handles its edge, so the cycle has then been started, or
    // refused).
    bool openMould();
    // The output words of the command-1 frames the board received since start(), 10 bits,
    // each change once.
    QVector<int> outputWords() const;
    // When the board received each of those words, in milliseconds of the steady clock.
    QVector<qint64> outputWordTimesMs() const;
    // The output word the board drives now.
    int boardOutputs() const { return boardSimulator->outputWord(); }

    // Read registers through the Modbus master; empty on failure.
    QVector<int> readRegisters(int start, int count);
    int readRegister(int index);
    bool writeRegister(int index, int value);

    static QString countText();
    static QStringList recordRemarks();

private:
    // Each change of the output word with its arrival (steady clock, nanoseconds).
    QVector<QPair<int, qint64>> outputWordChanges() const;
    bool addCavityRegions(int camera, const cv::Rect &cavity);
    void addSdkDevice(int c, const QByteArray &grey);
    bool startStation();
    void endStation();

    const int cameraCount;
    const int otherCameras;
    const Cameras cameraKind;
    QVector<std::shared_ptr<camsim::Device>> sdkDevices;
    TempWorkDir work;
    RecordingSystemActions systemActions;
    QMutex ioLock;
    QMutex imageLock;
    CycleCameraFamily family;
    SystemParameters loadedSettings;
    QVector<QByteArray> good;
    QVector<QByteArray> part;
    std::unique_ptr<BoardSimulator> boardSimulator;
    std::unique_ptr<MoJuWizard> window;
    _modbus *master = nullptr;
    int inputWord = 0;
    QVector<int> retiredWords;
};

#endif
