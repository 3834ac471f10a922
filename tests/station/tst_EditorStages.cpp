// Which detect stage the region editor opens on, from the running stage and the settings.

#include "station/EditorStages.h"

#include <QtTest>

class EditorStagesTest : public QObject
{
    Q_OBJECT

private slots:
    void stageCorrection_data();
    void stageCorrection();
};

void EditorStagesTest::stageCorrection_data()
{
    QTest::addColumn<int>("running");
    QTest::addColumn<int>("mode");
    QTest::addColumn<bool>("copy");
    QTest::addColumn<int>("side");
    QTest::addColumn<bool>("firstStage");
    QTest::addColumn<int>("expected");
    QTest::newRow("mode 0 product") << 0 << 0 << false << 0 << true << 0;
    QTest::newRow("mode 0 cavity") << 1 << 0 << false << 0 << true << 1;
    QTest::newRow("mode 0 product off") << 0 << 0 << false << 0 << false << 1;
    QTest::newRow("mode 0 cavity follows product") << 1 << 0 << true << 0 << true << 0;
    QTest::newRow("mode 1 both sides, right cavity") << 3 << 1 << false << 2 << true << 3;
    QTest::newRow("mode 1 right follows left") << 3 << 1 << true << 2 << true << 1;
    QTest::newRow("mode 1 left only") << 2 << 1 << false << 0 << true << 0;
    QTest::newRow("mode 1 right only, left cavity runs") << 1 << 1 << false << 1 << true << 2;
    QTest::newRow("mode 1 right only, product off") << 1 << 1 << false << 1 << false << 3;
    QTest::newRow("mode 2 product off") << 0 << 2 << false << 2 << false << 1;
    QTest::newRow("mode 2 right product off") << 2 << 2 << false << 2 << false << 3;
    QTest::newRow("out of range") << 7 << 1 << false << 2 << true << 0;
}

void EditorStagesTest::stageCorrection()
{
    QFETCH(int, running);
    QFETCH(int, mode);
    QFETCH(bool, copy);
    QFETCH(int, side);
    QFETCH(bool, firstStage);
    QFETCH(int, expected);
    EditorStageSettings settings;
    settings.machineMode = mode;
    settings.copyRegions = copy;
    settings.mouldSide = side;
    settings.firstStageEnabled = firstStage;
    settings.stageCount = mode == 0 ? 2 : 4;
    QCOMPARE(correctedEditStage(running, settings), expected);
}

QTEST_APPLESS_MAIN(EditorStagesTest)
#include "tst_EditorStages.moc"
