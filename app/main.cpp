// Process start-up: creates the process-wide services and globals in a fixed order, shows the
// main window and runs the event loop. Every step runs on the GUI thread; no other thread
// exists before the result store starts its reader.

#include "core/FontFallback.h"
#include "core/Globals.h"
#include "core/LogManager.h"
#include "core/ParameterNames.h"
#include "core/ParameterManager.h"
#include "core/PlatformHelpers.h"
#include "core/SkinPixmaps.h"
#include "core/TaskManager.h"
#include "core/TemperatureChartData.h"
#include "core/UiTexts.h"
#include "inspection/DetectionRuntime.h"
#include "machineio/ControlPort.h"
#include "machineio/IOGlobals.h"
#include "platform/system/TerminationSignals.h"
#include "resources/Resources.h"
#include "settings/SystemParamDialog.h"
#include "station/MApplication.h"
#include "station/MoJuWizard.h"

#include <QFile>
#include <QList>
#include <QLoggingCategory>
#include <QMetaType>
#include <QMutex>
#include <QTextCodec>
#include <QTranslator>

namespace {

// Installs the English translation of the texts passed through tr(); other languages use the
// source texts and the UI text table. A missing file is not reported.
void installTranslator()
{
    const QString file = QStringLiteral("./Translator/tr_en.qm");
    if (currentLanguage != 1 || !QFile::exists(file))
        return;
    auto *translator = new QTranslator;   // lives for the run
    // A file that does not load leaves the texts untranslated, like a missing one.
    [[maybe_unused]] const bool loaded = translator->load(file);
    QCoreApplication::installTranslator(translator);
}

} // namespace

int main(int argc, char **argv)
{
    // 1. Qt's messages until the log exists are held for it, not written to standard error;
    //    debug and info messages reach the log manager's handler, which drops debug.
    holdEarlyMessages();
    QLoggingCategory *category = QLoggingCategory::defaultCategory();
    category->setEnabled(QtDebugMsg, true);
    category->setEnabled(QtInfoMsg, true);

    // 2. The application object.
    if (!application)
        application = new MApplication(argc, argv);
    initResources();
    installFontFallbacks();

    // 3. Texts from and to the operating system are UTF-8.
    QTextCodec::setCodecForLocale(QTextCodec::codecForName("UTF-8"));

    // 4. The Modbus server passes register index lists through queued signals.
    qRegisterMetaType<QList<int>>("QList<int>");

    // 5. From here on every Qt message goes to the log files.
    if (!logManager)
        logManager = new LogManager;
    // After glog's crash handler, which also claims SIGTERM: a stop request ends the event loop.
    quitOnTerminationSignals();

    // 6. The repaint task, its timer stopped.
    TaskManager::instance();

    // 7. The version record, first in the log.
    qInfo("%s %s %s", "application", applicationVersion, " release");
    // What Qt said before the log existed follows it.
    writeHeldMessages();

    // 8. Status lamps; a failure only leaves them dark.
    loadLampLibrary();

    // 9. Both mutexes exist before the main window builds the I/O link and the image archiver.
    ioMutex = new QMutex;
    imageSaveMutex = new QMutex;

    // 10. The UI text table (before the parameters, whose defaults read it).
    loadUiTexts();

    // 11. Parameter databases, the live record and the edit record.
    ParameterManager *parameters = ParameterManager::instance();
    parameters->Init();
    currentParams = parameters->currentRecord();
    editParams = parameters->editRecord();
    // OpenCV's threads and OpenCL are fixed once, so verdicts and timings repeat.
    setupDetectionRuntime(currentParams);

    // 12. The English translator, when the loaded language is English.
    installTranslator();

    // 13. Shared pictures.
    loadSkinPixmaps();

    // 14. The result store opens its database, starts its reader and reads today back.
    TemperatureChartData::instance()->Init();

    // 15. The main window builds the station; it is mainWindow and the lower layers'
    //     stationHost from the start of its constructor on.
    mainWindow = new MoJuWizard;
    mainWindow->setSettingsDialog(runSystemParamDialog);

    // 16. Timed recording of results, in minutes.
    TemperatureChartData::instance()->SetRecordInterval((*currentParams)[Param::RecordMinutes]);

    // 17. The I/O polling thread; an input change runs a pass of the run controller.
    controlPort->StartIOThread(mainWindow, &MoJuWizard::Run);

    // 18.
    mainWindow->showFullScreen();
    if (mainWindow->isVisible() && mainWindow->isFullScreen())
        qInfo("主窗口已显示 (main window shown), %d x %d", mainWindow->width(), mainWindow->height());
    else
        qWarning("主窗口未能全屏显示 (main window not shown full screen)");

    // 19. The 100 ms repaint task.
    TaskManager::instance()->Start();

    // 20.
    // A stop requested while start-up waited for an answer ends the program now.
    const int exitCode = terminationRequested() ? 0 : application->exec();
    // Result rows still held in memory (a full disk) get a last try; they do not survive the
    // process.
    TemperatureChartData::instance()->WritePendingRows();
    // The polling thread logs too (a board lost or back): it ends before the exit record.
    if (controlPort)
        controlPort->StopIOThread();
    qInfo("程序退出 (event loop ended), code %d", exitCode);
    // The window and what it owns end before static objects are destroyed; it takes itself
    // out of mainWindow and stationHost.
    delete mainWindow;
    LogManager::flush();
    return exitCode;
}
