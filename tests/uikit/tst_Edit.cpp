#include "tests/support/ScreenCheck.h"
#include "tests/uikit/KitTestHelpers.h"
#include "uikit/ColorButton.h"
#include "uikit/Edit.h"
#include "uikit/EditBox.h"
#include "uikit/EditParam.h"
#include "uikit/NumCharInput.h"
#include "uikit/NumberInput.h"
#include "uikit/NumberKeyPad.h"
#include "uikit/UiKitGlobals.h"

#include <QAbstractButton>
#include <QApplication>
#include <QSignalSpy>
#include <QtTest>

#include <climits>
#include <memory>

namespace {

// A shown top-level widget standing in for a page that hosts fields.
std::unique_ptr<QWidget> makeHost(const QSize &size)
{
    auto host = std::make_unique<QWidget>();
    host->resize(size);
    host->show();
    return host;
}

// Every numeric keypad that exists, shown or hidden, parented or not.
int keypadCount()
{
    int count = 0;
    for (QWidget *top : QApplication::topLevelWidgets()) {
        if (qobject_cast<NumberKeyPad *>(top))
            ++count;
        count += top->findChildren<NumberKeyPad *>().size();
    }
    return count;
}

void tap(QWidget *field)
{
    QTest::mouseClick(field, Qt::LeftButton);
}

void typeKeys(const QStringList &keys)
{
    for (const QString &key : keys)
        QVERIFY2(kittest::clickKey(gpNumKeyPad, key), qPrintable(key));
}

} // namespace

class tst_Edit : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanup();

    void tapEmptiesFieldAndPlacesKeypad_data();
    void tapEmptiesFieldAndPlacesKeypad();
    void typingAndConfirming();
    void fiftyFocusCyclesLeaveOneKeypad();
    void deletedFieldThenKeyDoesNotCrash();
    void rangeSettledOnFocusLoss();

    void stepperTypingClampsOnConfirm_data();
    void stepperTypingClampsOnConfirm();
    void stepperDisplay_data();
    void stepperDisplay();
    void stepperZeroAllowed();
    void stepperPhysicalKeys_data();
    void stepperPhysicalKeys();
    void stepperLongEntryDoesNotOverflow();

    void passwordFieldTakesPhysicalDigits();
    void fullKeyboardTypesAndResetsPage();
    void sharedPadTypesKeyText();
};

void tst_Edit::initTestCase()
{
    kittest::setText(121, QStringLiteral("OK"));
    kittest::setText(157, QStringLiteral("BS"));
    kittest::setText(158, QStringLiteral("Lower"));
    kittest::setText(159, QStringLiteral("Capital"));
    kittest::setText(441, QStringLiteral("symbol"));
    kittest::setText(442, QStringLiteral("character"));
}

void tst_Edit::cleanup()
{
    kittest::runDeferredDeletes();
}

void tst_Edit::tapEmptiesFieldAndPlacesKeypad_data()
{
    QTest::addColumn<QSize>("hostSize");
    QTest::addColumn<QPoint>("panelPos");   // (-1, -1): the field sits directly in the host
    QTest::addColumn<int>("mode");
    QTest::addColumn<QRect>("field");
    QTest::addColumn<QPoint>("keypad");

    const QSize mainView(1753, 1017);
    const QPoint direct(-1, -1);
    QTest::newRow("below") << mainView << direct << 5 << QRect(100, 100, 200, 50) << QPoint(100, 155);
    QTest::newRow("above near the bottom edge")
        << mainView << direct << 5 << QRect(100, 800, 200, 50) << QPoint(100, 580);
    QTest::newRow("shifted at the right edge")
        << mainView << direct << 5 << QRect(1500, 100, 200, 50) << QPoint(1326, 155);
    QTest::newRow("above in a short host") << QSize(800, 400) << direct << 5 << QRect(10, 300, 200, 50)
                                           << QPoint(10, 65);
    QTest::newRow("placed in the parent's parent")
        << mainView << QPoint(50, 60) << 9 << QRect(10, 20, 200, 50) << QPoint(60, 135);
    // A row too low and narrow for the keypad (a password row): the keypad goes up to the page.
    QTest::newRow("a low row hands the keypad to the page")
        << mainView << QPoint(50, 600) << 1 << QRect(10, 20, 200, 50) << QPoint(60, 675);
}

void tst_Edit::tapEmptiesFieldAndPlacesKeypad()
{
    QFETCH(QSize, hostSize);
    QFETCH(QPoint, panelPos);
    QFETCH(int, mode);
    QFETCH(QRect, field);
    QFETCH(QPoint, keypad);

    auto host = makeHost(hostSize);
    QWidget *parent = host.get();
    if (panelPos != QPoint(-1, -1)) {
        parent = new QWidget(host.get());
        parent->setGeometry(QRect(panelPos, QSize(400, 200)));
        parent->show();
    }
    auto *edit = new Edit(mode, parent, 1);
    edit->setGeometry(field);
    edit->setText(QStringLiteral("250"));
    edit->show();
    QVERIFY(QTest::qWaitForWindowActive(host.get()));

    tap(edit);
    QCOMPARE(currentEdit.data(), edit);
    QVERIFY(edit->text().isEmpty());
    QVERIFY(gpNumKeyPad);
    QCOMPARE(gpNumKeyPad->parentWidget(), host.get());
    QVERIFY(gpNumKeyPad->isVisible());
    QCOMPARE(gpNumKeyPad->pos(), keypad);
    // Every key lies whole on the page, so a finger reaches it.
    QCOMPARE(ScreenCheck::controlsOutsideWindow(host.get()), QStringList());
    QAbstractButton *one = nullptr;
    for (QAbstractButton *key : gpNumKeyPad->findChildren<QAbstractButton *>())
        if (key->text() == QStringLiteral("1"))
            one = key;
    QVERIFY(one && ScreenCheck::touch(one));
    QCOMPARE(edit->text(), QStringLiteral("1"));
}

void tst_Edit::typingAndConfirming()
{
    auto host = makeHost(QSize(1753, 1017));
    auto *edit = new Edit(5, host.get(), 1);
    edit->setGeometry(100, 100, 200, 50);
    edit->show();
    QVERIFY(QTest::qWaitForWindowActive(host.get()));
    QSignalSpy focusOut(edit, &Edit::focusOut);

    tap(edit);
    typeKeys({"1", "5"});
    QCOMPARE(edit->text(), QStringLiteral("15"));
    // Erasing to empty makes the next key replace again.
    typeKeys({"退格", "退格", "退格", "7", "0"});
    QCOMPARE(edit->text(), QStringLiteral("70"));

    QPointer<NumberKeyPad> pad = gpNumKeyPad.data();
    QVERIFY(kittest::clickKey(pad, QStringLiteral("确定")));
    QCOMPARE(focusOut.count(), 1);
    QVERIFY(!edit->hasFocus());
    QVERIFY(!currentEdit);
    QVERIFY(!gpNumKeyPad);
    kittest::runDeferredDeletes();
    QVERIFY2(!pad, "a closed keypad is deleted");
    QCOMPARE(edit->text(), QStringLiteral("70"));
}

void tst_Edit::fiftyFocusCyclesLeaveOneKeypad()
{
    auto host = makeHost(QSize(1753, 1017));
    auto *first = new Edit(5, host.get(), 1);
    first->setGeometry(100, 100, 200, 50);
    auto *second = new Edit(5, host.get(), 1);
    second->setGeometry(100, 600, 200, 50);
    first->show();
    second->show();
    QVERIFY(QTest::qWaitForWindowActive(host.get()));

    for (int cycle = 0; cycle < 50; ++cycle) {
        tap(first);
        tap(second);
    }
    kittest::runDeferredDeletes();
    QVERIFY2(keypadCount() <= 1, qPrintable(QString::number(keypadCount())));
    QVERIFY(gpNumKeyPad);
    QCOMPARE(gpNumKeyPad->target(), second);
}

void tst_Edit::deletedFieldThenKeyDoesNotCrash()
{
    auto host = makeHost(QSize(1753, 1017));
    auto *edit = new Edit(5, host.get(), 1);
    edit->setGeometry(100, 100, 200, 50);
    edit->show();
    QVERIFY(QTest::qWaitForWindowActive(host.get()));
    tap(edit);
    QPointer<NumberKeyPad> pad = gpNumKeyPad.data();
    QVERIFY(pad);

    delete edit;
    QVERIFY(!currentEdit);
    // The keypad may still be on its way out; its keys must not reach the dead field.
    if (pad) {
        pad->setContent(3);
        pad->eraseContent();
        pad->HideUpdate();
    }
    gpNumberInput->setContent(0);
    gpNumberInput->eraseContent();
    gpNumberInput->eraseAll();
    gpNumCharInput->setContent(0);
    gpNumCharInput->eraseContent();
    kittest::runDeferredDeletes();
    QVERIFY(!pad);
}

void tst_Edit::rangeSettledOnFocusLoss()
{
    auto host = makeHost(QSize(1753, 1017));
    auto *edit = new Edit(5, host.get(), 1);
    edit->setGeometry(100, 100, 200, 50);
    edit->setRange(100, 10);   // given the wrong way round
    auto *other = new Edit(5, host.get(), 1);
    other->setGeometry(100, 600, 200, 50);
    edit->show();
    other->show();
    QVERIFY(QTest::qWaitForWindowActive(host.get()));

    tap(edit);
    typeKeys({"1", "5"});
    QCOMPARE(edit->text(), QStringLiteral("15"));   // not clamped to 10 after the first digit
    tap(other);
    QCOMPARE(edit->text(), QStringLiteral("15"));

    tap(edit);
    typeKeys({"5"});
    QCOMPARE(edit->text(), QStringLiteral("5"));
    tap(other);
    QCOMPARE(edit->text(), QStringLiteral("10"));
}

namespace {

struct Stepper
{
    std::unique_ptr<QWidget> host = makeHost(QSize(1753, 1017));
    EditBox *box;
    explicit Stepper(int min, int max, int type = 0, int divisor = 1)
        : box(new EditBox(min, max, host.get(), QStringLiteral("延时"), QStringLiteral("秒"), type, divisor))
    {
        box->show();
    }
};

} // namespace

void tst_Edit::stepperTypingClampsOnConfirm_data()
{
    QTest::addColumn<QStringList>("keys");
    QTest::addColumn<QString>("whileTyping");
    QTest::addColumn<int>("confirmed");
    QTest::newRow("15 above a minimum of 10") << QStringList{"1", "5"} << "15" << 15;
    QTest::newRow("below the minimum") << QStringList{"5"} << "5" << 10;
    QTest::newRow("above the maximum") << QStringList{"1", "2", "3"} << "123" << 100;
    QTest::newRow("erased") << QStringList{"4", "2", "退格"} << "4" << 10;
}

void tst_Edit::stepperTypingClampsOnConfirm()
{
    QFETCH(QStringList, keys);
    QFETCH(QString, whileTyping);
    QFETCH(int, confirmed);

    Stepper stepper(10, 100);
    stepper.box->setValue(50);
    QVERIFY(QTest::qWaitForWindowActive(stepper.host.get()));
    QSignalSpy changes(stepper.box, &EditBox::valueChanged);

    tap(stepper.box->field());
    QVERIFY(stepper.box->field()->text().isEmpty());
    typeKeys(keys);
    QCOMPARE(stepper.box->field()->text(), whileTyping);
    QCOMPARE(changes.count(), 0);

    QVERIFY(kittest::clickKey(gpNumKeyPad, QStringLiteral("确定")));
    QCOMPARE(stepper.box->value(), confirmed);
    QCOMPARE(stepper.box->field()->text(), QString::number(confirmed));
    QCOMPARE(changes.count(), 1);
    QCOMPARE(changes.first().first().toInt(), confirmed);
}

void tst_Edit::stepperDisplay_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<int>("divisor");
    QTest::addColumn<QString>("shown");
    QTest::addColumn<QStringList>("buttons");
    QTest::newRow("tenths") << 2 << 10 << "5.5" << QStringList{"- 0.5", "- 0.1", "+ 0.1", "+ 0.5"};
    QTest::newRow("integer") << 0 << 1 << "55" << QStringList{"- 5", "- 1", "+ 1", "+ 5"};
    QTest::newRow("type 1 leaves the text") << 1 << 1 << "" << QStringList{"- 5", "- 1", "+ 1", "+ 5"};
}

void tst_Edit::stepperDisplay()
{
    QFETCH(int, type);
    QFETCH(int, divisor);
    QFETCH(QString, shown);
    QFETCH(QStringList, buttons);

    Stepper stepper(0, 1000, type, divisor);
    QSignalSpy changes(stepper.box, &EditBox::valueChanged);
    stepper.box->setValue(55);
    QCOMPARE(stepper.box->field()->text(), shown);
    stepper.box->setValue(55);
    QCOMPARE(changes.count(), 2);   // also when nothing changed

    QList<ColorButton *> steps = stepper.box->findChildren<ColorButton *>();
    std::sort(steps.begin(), steps.end(), [](QWidget *a, QWidget *b) { return a->x() < b->x(); });
    QStringList captions;
    for (ColorButton *button : steps)
        captions << button->text();
    QCOMPARE(captions, buttons);

    QTest::mouseClick(steps.last(), Qt::LeftButton);   // +5
    QCOMPARE(stepper.box->value(), 60);
}

void tst_Edit::stepperZeroAllowed()
{
    Stepper stepper(1, 10);
    stepper.box->setValue(0);
    QCOMPARE(stepper.box->value(), 1);
    stepper.box->setZeroAllowed(true);
    stepper.box->setValue(0);
    QCOMPARE(stepper.box->value(), 0);
    stepper.box->SubOne();
    QCOMPARE(stepper.box->value(), 1);
}

void tst_Edit::stepperPhysicalKeys_data()
{
    QTest::addColumn<bool>("fresh");
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("value");
    QTest::newRow("digit appends") << false << int(Qt::Key_0) << 120;
    QTest::newRow("backspace drops a digit") << false << int(Qt::Key_Backspace) << 1;
    QTest::newRow("fresh keypad: digit replaces") << true << int(Qt::Key_7) << 7;
}

void tst_Edit::stepperPhysicalKeys()
{
    QFETCH(bool, fresh);
    QFETCH(int, key);
    QFETCH(int, value);

    Stepper stepper(0, 1000);
    stepper.box->setValue(12);
    QVERIFY(QTest::qWaitForWindowActive(stepper.host.get()));
    tap(stepper.box->field());
    QVERIFY(gpNumKeyPad);
    gpNumKeyPad->setFresh(fresh);
    QTest::keyClick(stepper.box->field(), Qt::Key(key));
    QCOMPARE(stepper.box->value(), value);
    QCOMPARE(stepper.box->field()->text(), QString::number(value));
    QVERIFY(!gpNumKeyPad->isFresh());
}

void tst_Edit::stepperLongEntryDoesNotOverflow()
{
    Stepper stepper(0, 1000);
    stepper.box->setValue(0);
    QVERIFY(!gpNumKeyPad);   // no keypad: physical keys append
    for (int i = 0; i < 12; ++i)
        stepper.box->keyBoardValue(9);
    QCOMPARE(stepper.box->value(), 999999999);
    stepper.box->CheckRange();
    QCOMPARE(stepper.box->value(), 1000);
}

void tst_Edit::passwordFieldTakesPhysicalDigits()
{
    auto host = makeHost(QSize(800, 600));
    auto *plain = new Edit(5, host.get(), 1);
    auto *password = new Edit(5, host.get(), 1);
    password->setPasswordMode(true);
    QSignalSpy keys(plain, &Edit::sig_keyPress);

    QTest::keyClicks(plain, QStringLiteral("12"));
    QTest::keyClick(plain, Qt::Key_Backspace);
    QVERIFY(plain->text().isEmpty());
    QCOMPARE(keys.count(), 3);
    QCOMPARE(keys.at(2).first().toInt(), -1);

    QTest::keyClicks(password, QStringLiteral("12"));
    QCOMPARE(password->text(), QStringLiteral("12"));
}

void tst_Edit::fullKeyboardTypesAndResetsPage()
{
    auto host = makeHost(QSize(1753, 1017));
    auto *edit = new Edit(6, host.get(), 1);
    edit->setGeometry(100, 100, 300, 50);
    edit->setText(QStringLiteral("x"));
    edit->show();
    QVERIFY(QTest::qWaitForWindowActive(host.get()));

    tap(edit);
    NumCharInput *keyboard = gpNumCharInput;
    QVERIFY(keyboard->isVisible());
    QCOMPARE(keyboard->parentWidget(), host.get());
    QCOMPARE(keyboard->pos(), QPoint(100, 155));
    QCOMPARE(edit->text(), QStringLiteral("x"));   // the full keyboard keeps the text

    for (const char *key : {"a", "b", "c", "BS"})
        QVERIFY(kittest::clickKey(keyboard, QString::fromLatin1(key)));
    QCOMPARE(edit->text(), QStringLiteral("xab"));
    QCOMPARE(edit->cursorPosition(), 3);

    QVERIFY(kittest::clickKey(keyboard, QStringLiteral("symbol")));
    QCOMPARE(keyboard->key(11)->text(), QStringLiteral("-"));
    QCOMPARE(keyboard->key(36)->text(), QStringLiteral("\""));
    QVERIFY(kittest::clickKey(keyboard, QStringLiteral("Lower")));   // upper case from punctuation
    QCOMPARE(keyboard->key(11)->text(), QStringLiteral("Q"));
    QCOMPARE(keyboard->key(38)->text(), QStringLiteral("Capital"));

    QVERIFY(kittest::clickKey(keyboard, QStringLiteral("OK")));
    QVERIFY(!keyboard->isVisible());
    tap(edit);
    QVERIFY(keyboard->isVisible());
    QCOMPARE(keyboard->key(11)->text(), QStringLiteral("q"));
    QCOMPARE(keyboard->key(37)->text(), QStringLiteral("symbol"));
    QCOMPARE(keyboard->key(38)->text(), QStringLiteral("Lower"));
}

void tst_Edit::sharedPadTypesKeyText()
{
    auto host = makeHost(QSize(800, 600));
    auto *edit = new Edit(5, host.get(), 1);
    currentEdit = edit;
    QVERIFY(gpNumberInput);
    gpNumberInput->eraseAll();
    gpNumberInput->setContent(9);   // the key "0" carries the id 9
    gpNumberInput->setContent(0);
    QCOMPARE(edit->text(), QStringLiteral("01"));
    currentEdit = nullptr;
}

QTEST_MAIN(tst_Edit)
#include "tst_Edit.moc"
