#include "platform/system/RecordingSystemActions.h"
#include "tests/support/ModalAnswerer.h"
#include "tests/uikit/KitTestHelpers.h"
#include "uikit/CalendarWidget.h"
#include "uikit/DateTimeWidget.h"
#include "uikit/DialogButtons.h"
#include "uikit/EditDateTime.h"
#include "uikit/FromTimeToTime.h"
#include "uikit/RollingBoxY.h"
#include "uikit/UiKitGlobals.h"
#include "uikit/_EditDateTime.h"
#include "uikit/_RollingTime.h"
#include "uikit/modifyTimeWidget.h"

#include <QApplication>
#include <QDateEdit>
#include <QLabel>
#include <QSignalSpy>
#include <QTimeEdit>
#include <QToolButton>
#include <QtTest>

#include <memory>

namespace {

void sendMouse(QWidget *widget, QEvent::Type type, const QPoint &pos)
{
    const Qt::MouseButtons held = type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton;
    QMouseEvent event(type, pos, widget->mapToGlobal(pos), Qt::LeftButton, held, Qt::NoModifier);
    QApplication::sendEvent(widget, &event);
}

void drag(QWidget *widget, int dy)
{
    const QPoint from(widget->width() / 2, widget->height() / 2);
    sendMouse(widget, QEvent::MouseButtonPress, from);
    sendMouse(widget, QEvent::MouseMove, from + QPoint(0, dy));
    sendMouse(widget, QEvent::MouseButtonRelease, from + QPoint(0, dy));
}

void wheel(QWidget *widget, int delta)
{
    const QPointF at(widget->width() / 2, widget->height() / 2);
    QWheelEvent event(at, widget->mapToGlobal(at.toPoint()), QPoint(), QPoint(0, delta), Qt::NoButton, Qt::NoModifier,
                      Qt::NoScrollPhase, false);
    QApplication::sendEvent(widget, &event);
}

int pickersAlive()
{
    int count = 0;
    for (QWidget *top : QApplication::topLevelWidgets())
        count += qobject_cast<DateTimeWidget *>(top) || qobject_cast<_RollingTime *>(top) ? 1 : 0;
    return count;
}

} // namespace

class tst_Pickers : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { qRegisterMetaType<dayTime>(); }
    void cleanup();

    void rangeFallbacks_data();
    void rangeFallbacks();
    void startNotBeforeEndAsks_data();
    void startNotBeforeEndAsks();
    void monthPagingClampsDay_data();
    void monthPagingClampsDay();
    void dateSetFromOutsideIsKept();

    void escapeThenReopen();
    void closeButtonForgetsPicker();

    void drumsStartAtFieldTime_data();
    void drumsStartAtFieldTime();
    void drumPopupConfirmAndCancel();
    void drumLimits_data();
    void drumLimits();

    void modifyTimeReportsChoice();
    void clockSetThroughSystemLayer();
    void clockProgramsOfThePanel_data();
    void clockProgramsOfThePanel();
};

void tst_Pickers::cleanup()
{
    closeOpenRollingTime();
    kittest::runDeferredDeletes();
    QCOMPARE(pickersAlive(), 0);
}

void tst_Pickers::rangeFallbacks_data()
{
    QTest::addColumn<QDate>("startDate");
    QTest::addColumn<QTime>("startTime");
    QTest::addColumn<QDate>("endDate");
    QTest::addColumn<QTime>("endTime");
    QTest::addColumn<QDateTime>("start");   // null: one day before now
    QTest::addColumn<QDateTime>("end");     // null: now

    const QDate first(2024, 3, 1);
    const QDate fifth(2024, 3, 5);
    QTest::newRow("nothing chosen") << QDate() << QTime() << QDate() << QTime() << QDateTime() << QDateTime();
    QTest::newRow("dates only count from midnight")
        << first << QTime() << fifth << QTime() << QDateTime(first, QTime(0, 0)) << QDateTime(fifth, QTime(0, 0));
    QTest::newRow("dates and times") << first << QTime(8, 0) << fifth << QTime(17, 30, 5)
                                     << QDateTime(first, QTime(8, 0)) << QDateTime(fifth, QTime(17, 30, 5));
    QTest::newRow("no end: until now") << first << QTime(8, 0) << QDate() << QTime()
                                       << QDateTime(first, QTime(8, 0)) << QDateTime();
    QTest::newRow("time without date is ignored")
        << QDate() << QTime(8, 0) << QDate() << QTime(9, 0) << QDateTime() << QDateTime();
}

void tst_Pickers::rangeFallbacks()
{
    QFETCH(QDate, startDate);
    QFETCH(QTime, startTime);
    QFETCH(QDate, endDate);
    QFETCH(QTime, endTime);
    QFETCH(QDateTime, start);
    QFETCH(QDateTime, end);

    DateTimeWidget picker;
    if (startDate.isValid())
        picker.addFromDate(startDate);
    if (endDate.isValid())
        picker.addToDate(endDate);
    picker.fromTimeField()->addTime(startTime);
    picker.toTimeField()->addTime(endTime);
    QSignalSpy sent(&picker, &DateTimeWidget::sendDateTime);

    const QDateTime before = QDateTime::currentDateTime();
    picker.setDateTime();
    const QDateTime after = QDateTime::currentDateTime();

    QCOMPARE(picker.result(), int(QDialog::Accepted));
    QCOMPARE(sent.count(), 1);
    const QDateTime to = picker.resultTo();
    if (end.isNull()) {
        QVERIFY(before <= to && to <= after);
    } else {
        QCOMPARE(to, end);
    }
    QCOMPARE(picker.resultFrom(), start.isNull() ? to.addDays(-1) : start);
    const dayTime range = qvariant_cast<dayTime>(sent.first().first());
    QCOMPARE(range.first, picker.resultFrom());
    QCOMPARE(range.second, to);
}

void tst_Pickers::startNotBeforeEndAsks_data()
{
    QTest::addColumn<bool>("retry");
    QTest::newRow("OK: choose again") << true;
    QTest::newRow("Cancel: the last day") << false;
}

void tst_Pickers::startNotBeforeEndAsks()
{
    QFETCH(bool, retry);
    DateTimeWidget picker;
    picker.addFromDate(QDate(2024, 3, 5));
    picker.addToDate(QDate(2024, 3, 5));
    QSignalSpy sent(&picker, &DateTimeWidget::sendDateTime);

    ModalAnswerer answer([retry](QWidget *box) {
        if (retry)
            QTest::mouseClick(box->findChild<okbtn *>(), Qt::LeftButton);
        else
            QTest::mouseClick(box->findChild<cancelbtn *>(), Qt::LeftButton);
    });
    picker.setDateTime();
    QVERIFY(answer.answered());
    QCOMPARE(answer.answeredClass(), QStringLiteral("tipbox"));

    if (retry) {
        QCOMPARE(sent.count(), 0);
        QCOMPARE(picker.result(), 0);
    } else {
        QCOMPARE(sent.count(), 1);
        QCOMPARE(picker.result(), int(QDialog::Accepted));
        QCOMPARE(picker.resultFrom(), picker.resultTo().addDays(-1));
        QVERIFY(picker.resultTo().secsTo(QDateTime::currentDateTime()) < 3600);
    }
}

void tst_Pickers::monthPagingClampsDay_data()
{
    QTest::addColumn<QDate>("kept");
    QTest::addColumn<bool>("forward");
    QTest::addColumn<QDate>("shown");
    QTest::newRow("31 January to a leap February") << QDate(2024, 1, 31) << true << QDate(2024, 2, 29);
    QTest::newRow("31 January to February") << QDate(2023, 1, 31) << true << QDate(2023, 2, 28);
    QTest::newRow("31 March back to February") << QDate(2024, 3, 31) << false << QDate(2024, 2, 29);
    QTest::newRow("the day is kept") << QDate(2024, 1, 15) << true << QDate(2024, 2, 15);
    QTest::newRow("December to January") << QDate(2023, 12, 31) << true << QDate(2024, 1, 31);
}

void tst_Pickers::monthPagingClampsDay()
{
    QFETCH(QDate, kept);
    QFETCH(bool, forward);
    QFETCH(QDate, shown);

    CalendarWidget calendar;
    calendar.setSelectedDate(kept);
    calendar.setDate();   // as a click on the day does
    auto *arrow = calendar.findChild<QToolButton *>(forward ? QStringLiteral("nextBtn") : QStringLiteral("prevBtn"));
    QVERIFY(arrow);
    QTest::mouseClick(arrow, Qt::LeftButton);

    QCOMPARE(calendar.selectedDate(), shown);
    QCOMPARE(calendar.keptDate(), shown);
    QCOMPARE(calendar.findChild<QLabel *>(QStringLiteral("dateLabel"))->text(),
             shown.toString(QStringLiteral("yyyy年MM月dd日")));
}

void tst_Pickers::dateSetFromOutsideIsKept()
{
    // The range picker presets its calendars from the kept range; the page change that
    // follows must not move the selection to the old day of the month.
    CalendarWidget calendar;
    calendar.setSelectedDate(QDate(2024, 1, 10));
    calendar.setDate();
    calendar.setSelectedDate(QDate(2024, 3, 25));
    QCOMPARE(calendar.selectedDate(), QDate(2024, 3, 25));
}

void tst_Pickers::escapeThenReopen()
{
    QWidget window;
    window.resize(800, 600);
    auto *range = new FromTimeToTime(&window);
    range->move(20, 30);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));

    QPoint pickerPos;
    ModalAnswerer escape([&pickerPos](QWidget *box) {
        QVERIFY(qobject_cast<DateTimeWidget *>(box));
        QCOMPARE(openDateTimeWidget.data(), box);
        pickerPos = box->pos();
        ModalAnswerer::pressEscape(box);
    });
    QTest::mouseClick(range, Qt::LeftButton, Qt::NoModifier, QPoint(100, 20));
    QVERIFY(escape.answered());
    QCOMPARE(pickerPos, window.pos() + QPoint(20, 30 + 40));
    QVERIFY(!openDateTimeWidget);
    QCOMPARE(range->clickCount, 1);
    QVERIFY(range->fromTime.isNull());

    ModalAnswerer choose([](QWidget *box) {
        auto *picker = qobject_cast<DateTimeWidget *>(box);
        QVERIFY(picker);
        picker->addFromDate(QDate(2024, 3, 1));
        picker->addToDate(QDate(2024, 3, 2));
        QVERIFY(ModalAnswerer::clickButton(box, QStringLiteral("确定")));
    });
    QTest::mouseClick(range, Qt::LeftButton, Qt::NoModifier, QPoint(100, 20));
    QVERIFY(choose.answered());
    QVERIFY(!openDateTimeWidget);
    QCOMPARE(range->clickCount, 2);
    QCOMPARE(range->fromTime, QDateTime(QDate(2024, 3, 1), QTime(0, 0)));
    QCOMPARE(range->toTime, QDateTime(QDate(2024, 3, 2), QTime(0, 0)));
    QCOMPARE(range->fromField()->text(), QStringLiteral("2024-03-01 00:00:00"));

    range->clearAll();
    QVERIFY(range->toField()->text().isEmpty());
    QCOMPARE(range->toTime, QDateTime(QDate(2024, 3, 2), QTime(0, 0)));
}

void tst_Pickers::closeButtonForgetsPicker()
{
    FromTimeToTime range;
    range.setFromTime(QDateTime(QDate(2024, 5, 6), QTime(7, 8, 9)));
    ModalAnswerer close([](QWidget *box) {
        auto *picker = qobject_cast<DateTimeWidget *>(box);
        QCOMPARE(picker->fromCalendar()->selectedDate(), QDate(2024, 5, 6));
        QCOMPARE(picker->fromTimeField()->text(), QStringLiteral("07:08:09"));
        QVERIFY(ModalAnswerer::clickButtonNamed(box, QStringLiteral("cancelbtn")));
    });
    QTest::mouseClick(&range, Qt::LeftButton);
    QVERIFY(close.answered());
    QVERIFY(!openDateTimeWidget);
}

void tst_Pickers::drumsStartAtFieldTime_data()
{
    QTest::addColumn<QTime>("stored");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QTime>("drums");   // invalid: the current time
    QTest::newRow("stored time") << QTime(10, 20, 30) << "" << QTime(10, 20, 30);
    QTest::newRow("text without stored time") << QTime() << "07:08:09" << QTime(7, 8, 9);
    QTest::newRow("no time at all") << QTime() << "" << QTime();
    QTest::newRow("malformed text") << QTime() << "25:99" << QTime();
}

void tst_Pickers::drumsStartAtFieldTime()
{
    QFETCH(QTime, stored);
    QFETCH(QString, text);
    QFETCH(QTime, drums);

    _EditDateTime field(nullptr, 1);
    if (stored.isValid())
        field.addTime(stored);
    else
        field.setText(text);
    QTest::mousePress(&field, Qt::LeftButton);
    QVERIFY(openRollingTime);
    const int h = openRollingTime->hourDrum()->readValue();
    const int m = openRollingTime->minuteDrum()->readValue();
    const int s = openRollingTime->secondDrum()->readValue();
    if (drums.isValid()) {
        QCOMPARE(QTime(h, m, s), drums);
    } else {
        QVERIFY(h >= 0 && h <= 23 && m >= 0 && m <= 59 && s >= 0 && s <= 59);
    }
}

void tst_Pickers::drumPopupConfirmAndCancel()
{
    _EditDateTime field(nullptr, 1);
    field.addTime(QTime(10, 20, 30));

    QTest::mousePress(&field, Qt::LeftButton);
    QPointer<_RollingTime> first = openRollingTime.data();
    QVERIFY(first);
    // A second press replaces the popup; the old one goes.
    QTest::mousePress(&field, Qt::LeftButton);
    QPointer<_RollingTime> second = openRollingTime.data();
    kittest::runDeferredDeletes();
    QVERIFY(!first);
    QVERIFY(second);

    second->minuteDrum()->setValue(45);
    QVERIFY(ModalAnswerer::clickButton(second, QStringLiteral("取消")));
    QVERIFY(!openRollingTime);
    kittest::runDeferredDeletes();
    QVERIFY(!second);
    QCOMPARE(field.time(), QTime(10, 20, 30));

    QTest::mousePress(&field, Qt::LeftButton);
    openRollingTime->minuteDrum()->setValue(45);
    QVERIFY(ModalAnswerer::clickButton(openRollingTime, QStringLiteral("确定")));
    QVERIFY(!openRollingTime);
    QCOMPARE(field.time(), QTime(10, 45, 30));
    QCOMPARE(field.text(), QStringLiteral("10:45:30"));
}

void tst_Pickers::drumLimits_data()
{
    QTest::addColumn<int>("start");
    QTest::addColumn<QString>("action");
    QTest::addColumn<int>("amount");
    QTest::addColumn<int>("value");
    QTest::newRow("down from the minimum") << 0 << "drag" << 60 << 0;
    QTest::newRow("up from the maximum") << 59 << "drag" << -60 << 59;
    QTest::newRow("down by more than an eighth") << 30 << "drag" << 30 << 29;
    QTest::newRow("up by more than an eighth") << 30 << "drag" << -30 << 31;
    QTest::newRow("short drag springs back") << 30 << "drag" << 20 << 30;
    QTest::newRow("short drag up springs back") << 30 << "drag" << -25 << 30;
    QTest::newRow("whole step and more") << 30 << "drag" << 200 << 29;
    QTest::newRow("wheel up lowers") << 30 << "wheel" << 120 << 29;
    QTest::newRow("wheel down raises") << 30 << "wheel" << -120 << 31;
    QTest::newRow("zero wheel raises") << 30 << "wheel" << 0 << 31;
    QTest::newRow("wheel at the minimum") << 0 << "wheel" << 120 << 0;
    QTest::newRow("wheel at the maximum") << 59 << "wheel" << -120 << 59;
}

void tst_Pickers::drumLimits()
{
    QFETCH(int, start);
    QFETCH(QString, action);
    QFETCH(int, amount);
    QFETCH(int, value);

    QWidget window;
    auto *drum = new RollingBoxY(1, 0, 59, &window);
    drum->setFixedSize(50, 200);
    drum->setValue(start);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QSignalSpy changed(drum, &RollingBoxY::currentValueChanged);

    if (action == QLatin1String("drag"))
        drag(drum, amount);
    else
        wheel(drum, amount);
    QCOMPARE(drum->readValue(), value);
    QVERIFY(changed.isEmpty() || changed.last().first().toInt() == value);
}

void tst_Pickers::modifyTimeReportsChoice()
{
    modifyTimeWidget dialog;
    QCOMPARE(dialog.dateField()->text(), QDate::currentDate().toString(QStringLiteral("yyyy-MM-dd")));
    dialog.addDate(QDate(2024, 2, 29));
    dialog.timeField()->addTime(QTime(23, 59, 59));
    QSignalSpy sent(&dialog, &modifyTimeWidget::sendModifyTime);
    dialog.acceptDialog();
    QCOMPARE(sent.count(), 1);
    QCOMPARE(sent.first().first().toDateTime(), QDateTime(QDate(2024, 2, 29), QTime(23, 59, 59)));
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
}

void tst_Pickers::clockSetThroughSystemLayer()
{
    RecordingSystemActions system;
    EditDateTime editor(QStringLiteral("时间"));
    editor.dateEditor()->setDate(QDate(2024, 2, 29));
    editor.timeEditor()->setTime(QTime(23, 59, 59));
    QVERIFY(editor.applyToSystemClock());
    QCOMPARE(system.actions, QStringList{QStringLiteral("setClock 2024-02-29 23:59:59")});
    system.clockSucceeds = false;
    QVERIFY(!editor.applyToSystemClock());
}

namespace {

// The real system layer with its programs recorded instead of run: each answers with the next
// exit code given.
struct ProgramRecorder : SystemActions
{
    QList<QStringList> programs;
    QList<int> exitCodes;
    int runProgram(const QString &program, const QStringList &arguments, int, QString *) override
    {
        programs << (QStringList{program} + arguments);
        return exitCodes.isEmpty() ? 0 : exitCodes.takeFirst();
    }
    using SystemActions::writeClock;
};

} // namespace

void tst_Pickers::clockProgramsOfThePanel_data()
{
    QTest::addColumn<QList<int>>("exitCodes");
    QTest::addColumn<int>("programsRun");
    QTest::addColumn<bool>("set");
    QTest::newRow("both succeed") << QList<int>{0, 0} << 2 << true;
    QTest::newRow("date refused: the hardware clock is left alone") << QList<int>{1} << 1 << false;
    QTest::newRow("hwclock fails") << QList<int>{0, 1} << 2 << false;
}

// On the panel the clock is set with "date -s" and then written to the hardware clock.
void tst_Pickers::clockProgramsOfThePanel()
{
    QFETCH(QList<int>, exitCodes);
    QFETCH(int, programsRun);
    QFETCH(bool, set);
    ProgramRecorder system;
    system.exitCodes = exitCodes;
    QCOMPARE(system.writeClock(QDateTime(QDate(2024, 2, 29), QTime(23, 59, 59))), set);
    const QList<QStringList> expected{
        {QStringLiteral("date"), QStringLiteral("-s"), QStringLiteral("2024-02-29 23:59:59")},
        {QStringLiteral("hwclock"), QStringLiteral("--systohc")}};
    QCOMPARE(system.programs, expected.mid(0, programsRun));
}

QTEST_MAIN(tst_Pickers)
#include "tst_Pickers.moc"
