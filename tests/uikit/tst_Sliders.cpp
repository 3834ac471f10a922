#include "tests/uikit/KitTestHelpers.h"
#include "uikit/ColorButton.h"
#include "uikit/Edit.h"
#include "uikit/FloatSlider.h"
#include "uikit/NumberKeyPad.h"
#include "uikit/Slider.h"
#include "uikit/UiKitGlobals.h"

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QSlider>
#include <QTimer>
#include <QtTest>

namespace {

void sendMouse(QWidget *widget, QEvent::Type type, const QPoint &pos)
{
    const Qt::MouseButtons held = type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton;
    QMouseEvent event(type, pos, widget->mapToGlobal(pos), Qt::LeftButton, held, Qt::NoModifier);
    QApplication::sendEvent(widget, &event);
}

// A slider of the given width, painted once so that its handle position is known.
struct PaintedSlider
{
    Slider slider;
    PaintedSlider(int width, int min, int max, int value)
        : slider(min, max, 1, value, nullptr, QStringLiteral("面积"))
    {
        slider.resize(width, 50);
        slider.grab();
    }
};

} // namespace

class tst_Sliders : public QObject
{
    Q_OBJECT

private slots:
    void cleanup();

    void geometryFollowsWidth();
    void dragStartsNearHandle_data();
    void dragStartsNearHandle();
    void narrowSliderIgnoresDrags();
    void valueText_data();
    void valueText();
    void stepButtonsStopAtEnds();
    void valueBoxOpensKeypadWhereDrawn();

    void floatSliderShowsScaledValue();
    void floatSliderToggle();
};

void tst_Sliders::cleanup()
{
    kittest::runDeferredDeletes();
}

void tst_Sliders::geometryFollowsWidth()
{
    PaintedSlider painted(1000, 0, 100, 50);
    const Slider &s = painted.slider;
    QCOMPARE(s.grooveWidth, 610);
    QCOMPARE(s.fillOffset, 18);
    QCOMPARE(s.fillWidthMax, 570);
    QCOMPARE(s.handleX, 618);
    QCOMPARE(s.handleW, 10);
    QCOMPARE(s.handleH, 44);

    QList<QPoint> buttons;
    for (ColorButton *button : s.findChildren<ColorButton *>())
        buttons << button->pos();
    std::sort(buttons.begin(), buttons.end(), [](QPoint a, QPoint b) { return a.x() < b.x(); });
    QCOMPARE(buttons, (QList<QPoint>{QPoint(240, 5), QPoint(930, 5)}));
}

void tst_Sliders::dragStartsNearHandle_data()
{
    QTest::addColumn<int>("pressOffset");
    QTest::addColumn<int>("value");
    QTest::newRow("25 px left of the handle") << -25 << 50;
    QTest::newRow("15 px left of the handle") << -15 << 60;
    QTest::newRow("on the handle") << 5 << 60;
}

void tst_Sliders::dragStartsNearHandle()
{
    QFETCH(int, pressOffset);
    QFETCH(int, value);
    PaintedSlider painted(1000, 0, 100, 50);
    Slider &s = painted.slider;
    const QPoint press(s.handleX + pressOffset, 25);
    sendMouse(&s, QEvent::MouseButtonPress, press);
    // 57 px of a 570 px fill are a tenth of the range; smaller moves add up.
    sendMouse(&s, QEvent::MouseMove, press + QPoint(3, 0));
    sendMouse(&s, QEvent::MouseMove, press + QPoint(57, 0));
    sendMouse(&s, QEvent::MouseButtonRelease, press + QPoint(57, 0));
    QCOMPARE(s.value(), value);
}

void tst_Sliders::narrowSliderIgnoresDrags()
{
    PaintedSlider painted(300, 0, 100, 50);
    Slider &s = painted.slider;
    QCOMPARE(s.grooveWidth, 0);
    QCOMPARE(s.fillWidthMax, 0);
    sendMouse(&s, QEvent::MouseButtonPress, QPoint(s.handleX, 25));
    sendMouse(&s, QEvent::MouseMove, QPoint(s.handleX + 40, 25));
    sendMouse(&s, QEvent::MouseButtonRelease, QPoint(s.handleX + 40, 25));
    QCOMPARE(s.value(), 50);
    s.grab();
}

void tst_Sliders::valueText_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("value");
    QTest::newRow("empty: tapping the value box") << "" << 40;
    QTest::newRow("not a number") << "abc" << 40;
    QTest::newRow("negative") << "-5" << 40;
    QTest::newRow("a number") << "75" << 75;
    QTest::newRow("above the range") << "250" << 100;
    QTest::newRow("below the range") << "5" << 10;
    QTest::newRow("beyond int") << "99999999999" << 40;
    QTest::newRow("beyond int but unsigned") << "4000000000" << 100;
}

void tst_Sliders::valueText()
{
    QFETCH(QString, text);
    QFETCH(int, value);
    Slider s(10, 100, 1, 40, nullptr, QStringLiteral("灵敏度"));
    s.SetText(text);
    QCOMPARE(s.value(), value);
}

void tst_Sliders::stepButtonsStopAtEnds()
{
    Slider s(0, 10, 1, 10, nullptr, QString());
    QSignalSpy changes(&s, &QAbstractSlider::valueChanged);
    s.Add();
    QCOMPARE(s.value(), 10);
    s.setValue(0);
    s.Sub();
    QCOMPARE(s.value(), 0);
    QCOMPARE(changes.count(), 1);
    for (ColorButton *button : s.findChildren<ColorButton *>()) {
        QVERIFY(button->autoRepeat());
        QCOMPARE(button->autoRepeatDelay(), 300);
        QCOMPARE(button->autoRepeatInterval(), 50);
    }
}

void tst_Sliders::valueBoxOpensKeypadWhereDrawn()
{
    QWidget host;
    host.resize(1753, 1017);
    auto *slider = new Slider(0, 1000, 1, 40, &host, QStringLiteral("面积"));
    slider->setGeometry(100, 200, 1000, 50);
    host.show();
    QVERIFY(QTest::qWaitForWindowActive(&host));
    QSignalSpy changes(slider, &QAbstractSlider::valueChanged);

    QTest::mouseClick(slider, Qt::LeftButton, Qt::NoModifier, QPoint(180, 25));
    QVERIFY(gpNumKeyPad);
    QVERIFY(gpNumKeyPad->isVisible());
    QCOMPARE(gpNumKeyPad->parentWidget(), &host);
    QCOMPARE(gpNumKeyPad->pos(), QPoint(100 + 155, 200 + 50 + 5));
    QCOMPARE(slider->value(), 40);   // the emptied field does not reset the setting
    QCOMPARE(changes.count(), 0);

    QVERIFY(kittest::clickKey(gpNumKeyPad, QStringLiteral("7")));
    QVERIFY(kittest::clickKey(gpNumKeyPad, QStringLiteral("5")));
    QCOMPARE(slider->value(), 75);
    QVERIFY(kittest::clickKey(gpNumKeyPad, QStringLiteral("确定")));
    QVERIFY(!gpNumKeyPad);
    QCOMPARE(slider->value(), 75);

    // A tap outside the value box opens nothing.
    QTest::mouseClick(slider, Qt::LeftButton, Qt::NoModifier, QPoint(260, 25));
    QVERIFY(!gpNumKeyPad);
}

void tst_Sliders::floatSliderShowsScaledValue()
{
    FloatSlider zoom;
    zoom.scale = 100;
    zoom.slider->setRange(100, 500);
    QSignalSpy values(&zoom, &FloatSlider::updateValue);

    zoom.slider->setValue(250);
    QCOMPARE(zoom.valueLabel->text(), QStringLiteral("2.50"));
    QCOMPARE(values.count(), 1);
    QCOMPARE(values.first().first().toFloat(), 2.5f);
    QVERIFY(zoom.resetTimer->isActive());
    QVERIFY(zoom.resetTimer->isSingleShot());
    QCOMPARE(zoom.resetTimer->interval(), 30000);

    // What the timer runs when it fires.
    zoom.resetToMinimum();
    QCOMPARE(zoom.valueLabel->text(), QStringLiteral("1.00"));
    QCOMPARE(zoom.value, 1.0f);
    QCOMPARE(values.last().first().toFloat(), 1.0f);
    const int reported = values.count();
    zoom.resetToMinimum();
    QCOMPARE(values.count(), reported);   // already at the minimum: nothing more to report
}

void tst_Sliders::floatSliderToggle()
{
    FloatSlider zoom;
    zoom.resize(1000, 35);
    zoom.show();
    QVERIFY(QTest::qWaitForWindowExposed(&zoom));
    QVERIFY(zoom.slider->isVisible());
    QTest::mouseClick(zoom.toggleButton, Qt::LeftButton);
    QVERIFY(!zoom.slider->isVisible());
    QVERIFY(zoom.valueLabel->isVisible());
    QTest::mouseClick(zoom.toggleButton, Qt::LeftButton);
    QVERIFY(zoom.slider->isVisible());
}

QTEST_MAIN(tst_Sliders)
#include "tst_Sliders.moc"
