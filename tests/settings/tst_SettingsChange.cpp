// What an accepted settings change writes into the operation record, and the stage fields it
// derives from the machine mode before the record goes live.

#include "core/Globals.h"
#include "core/ParameterNames.h"
#include "core/SystemParameters.h"
#include "core/UiTexts.h"
#include "settings/SettingsChange.h"
#include "uikit/UiKitGlobals.h"

#include <QtTest>

#include <functional>

namespace {

using Change = std::function<void(SystemParameters &)>;

SystemParameters defaults()
{
    SystemParameters p;
    p.SetDefaults();
    p[Param::MotionCorrection] = -1;
    p[Param::FilterSize] = 3;
    p[Param::AlarmArea] = 100;
    p[Param::NoSignalSeconds] = 60;
    return p;
}

} // namespace

Q_DECLARE_METATYPE(Change)

class SettingsChangeTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void changeText_data();
    void changeText();
    void chineseNumbersAndSwitches();
    void derivedFields_data();
    void derivedFields();
};

void SettingsChangeTest::initTestCase()
{
    QVERIFY(loadUiTexts());
}

void SettingsChangeTest::changeText_data()
{
    QTest::addColumn<Change>("edit");
    QTest::addColumn<QString>("text");
    const QString head = QStringLiteral("Modify the system parameters");
    QTest::newRow("number") << Change([](SystemParameters &p) { p[Param::FilterSize] = 5; })
                            << head + ", filter Size is changed from 3 to 5";
    QTest::newRow("delay in tenths as stored")
        << Change([](SystemParameters &p) { p[Param::CaptureDelay] = 25; })
        << head + ", The time delay for detection Prodis changed from 0 to 25";
    QTest::newRow("switch on") << Change([](SystemParameters &p) { p[Param::SemiAutomatic] = 1; })
                               << head + ", Semiauto is changed to active";
    QTest::newRow("motion correction on is 0")
        << Change([](SystemParameters &p) { p[Param::MotionCorrection] = 0; })
        << head + ", Motion correcte is changed to active";
    QTest::newRow("clamp rule") << Change([](SystemParameters &p) { p[Param::StopClampOnStop] = 1; })
                                << head + ", Stop clamping when stopping detection is changed to Prohibit to clamp";
    QTest::newRow("camera 8 whatever the cameras in use")
        << Change([](SystemParameters &p) { p[Param::Exposure + 7] = 40; })
        << head + ", The exposure time of camera 8is changed from 0 to 40 ";
    QTest::newRow("password, never its text")
        << Change([](SystemParameters &p) { QVERIFY(p.setPassword("4711")); })
        << head + ", the password has been modified";
    QTest::newRow("a mirror alone") << Change([](SystemParameters &p) { p[Param::MirrorHorizontal + 1] = 1; })
                                    << head;
    QTest::newRow("in table order")
        << Change([](SystemParameters &p) {
               p[Param::PasswordUsed] = 1;
               p[Param::AlarmArea] = 7;
           })
        << head + ", Area is changed from 100 to 7, Enable Password is changed to active";
}

void SettingsChangeTest::changeText()
{
    QFETCH(Change, edit);
    QFETCH(QString, text);
    currentLanguage = 1;
    const SystemParameters before = defaults();
    SystemParameters after = before;
    edit(after);
    QCOMPARE(settingsChangeText(before, after), text);
}

// The motion correction switched off, in the language current at the time of the change.
void SettingsChangeTest::chineseNumbersAndSwitches()
{
    currentLanguage = 0;
    SystemParameters before = defaults();
    before[Param::MotionCorrection] = 0;
    SystemParameters after = before;
    after[Param::MotionCorrection] = -1;
    after[Param::NoSignalSeconds] = 90;
    QCOMPARE(settingsChangeText(before, after),
             uiText(235) + uiText(240).arg(uiText(176)) + uiText(251)
                 + uiText(245).arg(uiText(336), QStringLiteral("60"), QStringLiteral("90")));
    currentLanguage = 1;
}

void SettingsChangeTest::derivedFields_data()
{
    QTest::addColumn<int>("mode");
    QTest::addColumn<int>("side");
    QTest::addColumn<int>("product");
    QTest::addColumn<int>("semiAuto");
    QTest::addColumn<QVector<int>>("enables");   // 119..122
    QTest::addColumn<QVector<int>>("triggers");  // 81, 82
    QTest::addColumn<int>("mainSide");
    // Mode 0 takes the product switch as it stands; stages 2 and 3 are not touched.
    QTest::newRow("standard") << 0 << 0 << 5 << 0 << QVector<int>{5, 1, 9, 9} << QVector<int>{0, 0} << -1;
    QTest::newRow("standard, semi-automatic") << 0 << 2 << 0 << 1 << QVector<int>{0, 1, 9, 9}
                                              << QVector<int>{0, 2} << -1;
    QTest::newRow("two-colour left") << 1 << 0 << 5 << 0 << QVector<int>{1, 1, 0, 0} << QVector<int>{0, 2} << 1;
    QTest::newRow("two-colour right") << 1 << 1 << 1 << 0 << QVector<int>{0, 0, 1, 1} << QVector<int>{0, 3} << 0;
    QTest::newRow("two-colour both") << 1 << 2 << 0 << 1 << QVector<int>{0, 1, 0, 1} << QVector<int>{0, 255} << -1;
    QTest::newRow("rotary left") << 2 << 0 << 1 << 0 << QVector<int>{1, 1, 0, 0} << QVector<int>{0, 0} << 1;
    QTest::newRow("rotary right, semi-automatic") << 2 << 1 << 1 << 1 << QVector<int>{0, 0, 1, 1}
                                                  << QVector<int>{3, 2} << 0;
    QTest::newRow("rotary both") << 2 << 3 << 1 << 0 << QVector<int>{1, 1, 1, 1} << QVector<int>{255, 255} << -1;
}

// The configured mode becomes the active one and the stages follow it; the idle levels of
// outputs 6 to 8, copied from output 5 on the input/output page, stay as set.
void SettingsChangeTest::derivedFields()
{
    QFETCH(int, mode);
    QFETCH(int, side);
    QFETCH(int, product);
    QFETCH(int, semiAuto);
    QFETCH(QVector<int>, enables);
    QFETCH(QVector<int>, triggers);
    QFETCH(int, mainSide);
    SystemParameters p = defaults();
    p[Param::MachineMode] = 7;
    p[Param::ConfiguredMachineMode] = mode;
    p[Param::MouldSide] = side;
    p[Param::ProductStage] = product;
    p[Param::SemiAutomatic] = semiAuto;
    p[Param::MultiOutput] = 1;
    for (int i = 0; i < 4; ++i)
        p[Param::StageEnabled + i] = 9;
    for (int i = Param::LaterOutputsIdleLevel; i <= Param::LaterOutputsIdleLevel + 5; ++i)
        p[i] = 1;
    const int detects = detectsPerCamera;
    QCOMPARE(deriveSettings(p), mainSide);
    QCOMPARE(p[Param::MachineMode], mode);
    QCOMPARE(p[Param::LoadMarker], 4);
    QCOMPARE((QVector<int>{p[Param::StageEnabled], p[Param::StageEnabled + 1], p[Param::StageEnabled + 2], p[Param::StageEnabled + 3]}), enables);
    QCOMPARE((QVector<int>{p[Param::TriggerInput], p[Param::TriggerInput + 1]}), triggers);
    for (int i = Param::LaterOutputsIdleLevel; i <= Param::LaterOutputsIdleLevel + 5; ++i)
        QCOMPARE(p[i], 1);
    // The stages per camera follow the mode only from the next start.
    QCOMPARE(detectsPerCamera, detects);
}

QTEST_GUILESS_MAIN(SettingsChangeTest)
#include "tst_SettingsChange.moc"
