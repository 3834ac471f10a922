#include "core/Globals.h"
#include "core/ParameterNames.h"
#include "core/SystemParameters.h"
#include "platform/system/RecordingSystemActions.h"
#include "tests/support/FakeStationHost.h"
#include "tests/support/ModalAnswerer.h"
#include "tests/uikit/KitTestHelpers.h"
#include "uikit/DialogButtons.h"
#include "uikit/Edit.h"
#include "uikit/LargeWarnBox.h"
#include "uikit/LoginDecision.h"
#include "uikit/NumberKeyPad.h"
#include "uikit/UiKitGlobals.h"
#include "uikit/Warnbox.h"
#include "uikit/inputbox.h"
#include "uikit/tipbox.h"

#include <QPushButton>
#include <QtTest>

#include <cstring>

namespace {

void storePassword(SystemParameters &params, const QByteArray &password)
{
    char *area = reinterpret_cast<char *>(&params.values[Param::Password]);
    const size_t capacity = 25 * sizeof(qint32);
    std::memset(area, 0, capacity);
    std::memcpy(area, password.constData(), qMin(size_t(password.size()), capacity));
}

const QDateTime march7At1430(QDate(2024, 3, 7), QTime(14, 30, 0));

} // namespace

class tst_Login : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void decision_data();
    void decision();
    void passwordWithoutEndStaysInItsArea();

    void promptTypedOnKeypadAndAccepted();
    void refusedEntryLogsOutAndKeepsPromptOpen();
    void cancelKeepsLevel();

    void tipboxButtons_data();
    void tipboxButtons();
    void execResults();
    void warnBoxWakesDarkScreen_data();
    void warnBoxWakesDarkScreen();

private:
    SystemParameters params;
};

void tst_Login::init()
{
    params = SystemParameters();
    currentParams = &params;
    kittest::setText(125, QStringLiteral("Password:"));
    kittest::setText(357, QStringLiteral("The password is wrong"));
}

void tst_Login::cleanup()
{
    currentParams = nullptr;
    kittest::runDeferredDeletes();
}

void tst_Login::decision_data()
{
    QTest::addColumn<bool>("passwordUsed");
    QTest::addColumn<QByteArray>("stored");
    QTest::addColumn<QString>("entry");
    QTest::addColumn<QDateTime>("now");
    QTest::addColumn<int>("level");

    const QDateTime t = march7At1430;
    QTest::newRow("code, switch off") << false << QByteArray("1234") << "5082" << t << 2;
    QTest::newRow("hourly code, switch off") << false << QByteArray("1234") << "5082030714" << t << 0;
    QTest::newRow("plain code, switch on") << true << QByteArray("1234") << "5082" << t << 0;
    QTest::newRow("current hour, switch on") << true << QByteArray("1234") << "5082030714" << t << 2;
    QTest::newRow("previous hour, switch on") << true << QByteArray("1234") << "5082030713" << t << 0;
    QTest::newRow("last second of the hour")
        << true << QByteArray() << "5082030714" << QDateTime(QDate(2024, 3, 7), QTime(14, 59, 59)) << 2;
    QTest::newRow("full hour rolls the code over")
        << true << QByteArray() << "5082030714" << QDateTime(QDate(2024, 3, 7), QTime(15, 0, 0)) << 0;
    QTest::newRow("midnight rolls the day over")
        << true << QByteArray() << "5082030800" << QDateTime(QDate(2024, 3, 8), QTime(0, 0, 0)) << 2;
    QTest::newRow("user password") << true << QByteArray("1234") << "1234" << t << 1;
    QTest::newRow("user password is case-sensitive") << false << QByteArray("abc") << "ABC" << t << 0;
    QTest::newRow("empty entry, empty password") << false << QByteArray() << "" << t << 1;
    QTest::newRow("empty entry, password set") << false << QByteArray("1234") << "" << t << 0;
    QTest::newRow("access code wins over an equal password") << false << QByteArray("5082") << "5082" << t << 2;
    QTest::newRow("wrong entry") << false << QByteArray("1234") << "12345" << t << 0;
}

void tst_Login::decision()
{
    QFETCH(bool, passwordUsed);
    QFETCH(QByteArray, stored);
    QFETCH(QString, entry);
    QFETCH(QDateTime, now);
    QFETCH(int, level);

    params[PasswordUsedIndex] = passwordUsed ? 1 : 0;
    storePassword(params, stored);
    QCOMPARE(loginLevelFor(entry, &params, now), level);
}

void tst_Login::passwordWithoutEndStaysInItsArea()
{
    // A record whose password area holds no NUL must not be read past its last index.
    const QByteArray full(100, 'x');
    storePassword(params, full);
    params[Param::Password + 25] = 0x41414141;
    QCOMPARE(storedUserPassword(params), QString::fromLatin1(full));
    QCOMPARE(loginLevelFor(QString::fromLatin1(full), &params, march7At1430), 1);
    QCOMPARE(loginLevelFor(QString(), nullptr, march7At1430), 0);
}

namespace {

// Taps the prompt's field and types the entry on the keypad that opens.
void typeOnPrompt(inputbox &box, const QString &entry)
{
    QTest::mouseClick(box.passwordField(), Qt::LeftButton);
    QVERIFY(gpNumKeyPad);
    QCOMPARE(gpNumKeyPad->parentWidget(), &box);
    QCOMPARE(gpNumKeyPad->pos(), QPoint(100, 295));
    for (const QChar digit : entry)
        QVERIFY(kittest::clickKey(gpNumKeyPad, QString(digit)));
}

} // namespace

void tst_Login::promptTypedOnKeypadAndAccepted()
{
    FakeStationHost host;
    params[PasswordUsedIndex] = 1;
    storePassword(params, "1234");

    inputbox box(1);
    box.setClock([] { return march7At1430; });
    box.show();
    QVERIFY(QTest::qWaitForWindowActive(&box));
    QCOMPARE(box.geometry(), QRect(1753 / 2 - 375, 1017 / 2 - 275, 750, 550));

    typeOnPrompt(box, QStringLiteral("5082030714"));
    QCOMPARE(box.passwordField()->text(), QStringLiteral("5082030714"));
    QVERIFY(box.findChild<okbtn *>());
    QTest::mouseClick(box.findChild<okbtn *>(), Qt::LeftButton);

    QCOMPARE(host.level, 2);
    QCOMPARE(box.result(), int(QDialog::Accepted));
    QVERIFY(!box.isVisible());
    QCOMPARE(box.passwordField()->placeholderText(), QStringLiteral("Password:"));
}

void tst_Login::refusedEntryLogsOutAndKeepsPromptOpen()
{
    FakeStationHost host;
    host.level = 2;
    storePassword(params, "1234");

    inputbox box(1);
    box.show();
    QVERIFY(QTest::qWaitForWindowActive(&box));
    typeOnPrompt(box, QStringLiteral("99"));
    QTest::mouseClick(box.findChild<okbtn *>(), Qt::LeftButton);

    QCOMPARE(host.level, 0);
    QVERIFY(box.isVisible());
    QVERIFY(box.passwordField()->text().isEmpty());
    QCOMPARE(box.passwordField()->placeholderText(), QStringLiteral("The password is wrong"));

    // The next try with the user password gets in.
    typeOnPrompt(box, QStringLiteral("1234"));
    QTest::mouseClick(box.findChild<okbtn *>(), Qt::LeftButton);
    QCOMPARE(host.level, 1);
}

void tst_Login::cancelKeepsLevel()
{
    FakeStationHost host;
    host.level = 1;
    inputbox box(1);
    ModalAnswerer answer([](QWidget *modal) { QTest::mouseClick(modal->findChild<cancelbtn *>(), Qt::LeftButton); });
    QCOMPARE(box.exec(), 0);
    QVERIFY(answer.answered());
    QCOMPARE(host.level, 1);
}

void tst_Login::tipboxButtons_data()
{
    QTest::addColumn<int>("buttons");
    QTest::addColumn<QList<QPoint>>("positions");
    QTest::newRow("none") << 0 << QList<QPoint>();
    QTest::newRow("one") << 1 << QList<QPoint>{QPoint(233, 330)};
    QTest::newRow("any other value: one") << 5 << QList<QPoint>{QPoint(233, 330)};
    QTest::newRow("two") << 2 << QList<QPoint>{QPoint(150, 330), QPoint(315, 330)};
}

void tst_Login::tipboxButtons()
{
    QFETCH(int, buttons);
    QFETCH(QList<QPoint>, positions);
    tipbox box(buttons, nullptr, 600, 420);
    QList<QPoint> found;
    for (QPushButton *button : box.findChildren<QPushButton *>())
        found << button->pos();
    std::sort(found.begin(), found.end(), [](QPoint a, QPoint b) { return a.x() < b.x(); });
    QCOMPARE(found, positions);
}

void tst_Login::execResults()
{
    Warnbox warning;
    warning.setText(QStringLiteral("警告"));
    ModalAnswerer closeIt([](QWidget *modal) {
        QTest::mouseClick(modal->findChild<QPushButton *>(), Qt::LeftButton);
    });
    QCOMPARE(warning.exec(), 0);
    QVERIFY(closeIt.answered());

    tipbox question(2, nullptr, 600, 420);
    ModalAnswerer ok([](QWidget *modal) { QTest::mouseClick(modal->findChild<okbtn *>(), Qt::LeftButton); });
    QCOMPARE(question.exec(), 1);
    ModalAnswerer cancel([](QWidget *modal) { QTest::mouseClick(modal->findChild<cancelbtn *>(), Qt::LeftButton); });
    QCOMPARE(question.exec(), 0);
    ModalAnswerer escape([](QWidget *modal) { ModalAnswerer::pressEscape(modal); });
    QCOMPARE(question.exec(), 0);
}

void tst_Login::warnBoxWakesDarkScreen_data()
{
    QTest::addColumn<bool>("dark");
    QTest::addColumn<int>("screenOffSeconds");
    QTest::addColumn<QStringList>("actions");
    QTest::addColumn<int>("timerMs");
    QTest::newRow("dark, timer set") << true << 120 << QStringList{"backlight on"} << 120000;
    QTest::newRow("dark, never off") << true << 0 << QStringList{"backlight on"} << -1;
    QTest::newRow("light") << false << 120 << QStringList() << -1;
}

void tst_Login::warnBoxWakesDarkScreen()
{
    QFETCH(bool, dark);
    QFETCH(int, screenOffSeconds);
    QFETCH(QStringList, actions);
    QFETCH(int, timerMs);

    RecordingSystemActions system;
    FakeStationHost host;
    host.dark = dark;
    params[Param::BacklightSeconds] = screenOffSeconds;
    uiTexts[4 * 121 + 1] = QStringLiteral("Confirm");
    currentLanguage = 0;

    WarnBox box;
    box.show();
    QCOMPARE(system.actions, actions);
    QVERIFY(!host.dark);
    QCOMPARE(host.screenOffTimerMs, timerMs);
    QCOMPARE(box.geometry(), QRect(1753 / 2 - 375, 1017 / 2 - 185, 750, 370));

    auto *confirm = box.findChild<QPushButton *>();
    QVERIFY(confirm);
    QCOMPARE(confirm->text(), QStringLiteral("Confirm"));
    QTest::mouseClick(confirm, Qt::LeftButton);
    QCOMPARE(box.result(), int(QDialog::Accepted));
}

QTEST_MAIN(tst_Login)
#include "tst_Login.moc"
