#include "tests/support/ModalAnswerer.h"
#include "tests/uikit/KitTestHelpers.h"
#include "uikit/BoxPainting.h"
#include "uikit/C_Type_COM.h"
#include "uikit/CComp_DialogFrame.h"
#include "uikit/CheckBox.h"
#include "uikit/ChooseBox.h"
#include "uikit/ColorButton.h"
#include "uikit/ComboBox.h"
#include "uikit/MultipleBtnGroup.h"
#include "uikit/StyleHelpers.h"
#include "uikit/customButton.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QButtonGroup>
#include <QLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTabWidget>
#include <QtTest>

class tst_Styles : public QObject
{
    Q_OBJECT

private slots:
    void darkStyleSheetTranscribed();
    void boxTitleWhole_data();
    void boxTitleWhole();
    void colorTextKeepsPlaceholders();
    void transparentTabs();
    void lineEditBorder_data();
    void lineEditBorder();

    void cameraButtons_data();
    void cameraButtons();
    void markTitleButtonEnlargesAndGreys();

    void dialogFrameAcceptsOnPress();
    void colorButtonColour_data();
    void colorButtonColour();
    void comboBoxIgnoresWheelAndReportsPress();
    void comboBoxStyleItemHeight();
    void chooseBoxAnswers_data();
    void chooseBoxAnswers();
    void calibrationChoices();
    void checkBoxValues();
};

void tst_Styles::boxTitleWhole_data()
{
    QTest::addColumn<QString>("title");
    QTest::addColumn<QRect>("rect");
    QTest::addColumn<bool>("fits");
    QTest::newRow("question, Chinese") << "提示" << QRect(15, 15, 48, 32) << true;
    QTest::newRow("question, English") << "Notice" << QRect(15, 15, 48, 32) << false;
    QTest::newRow("warning, English") << "Warning" << QRect(15, 15, 96, 33) << true;
    QTest::newRow("input, Japanese") << "入力ボックス" << QRect(15, 15, 72, 32) << false;
}

// A box's title is drawn whole in every language: a longer one gets room to the right.
void tst_Styles::boxTitleWhole()
{
    QFETCH(QString, title);
    QFETCH(QRect, rect);
    QFETCH(bool, fits);
    const QRect room = titleRoom(title, rect);
    QCOMPARE(room.topLeft(), rect.topLeft());
    QCOMPARE(room.height(), rect.height());
    QVERIFY(QFontMetrics(QFont(QStringLiteral("SimHei"), 15)).horizontalAdvance(title) <= room.width());
    QCOMPARE(room == rect, fits);
}

void tst_Styles::darkStyleSheetTranscribed()
{
    QCOMPARE(darkStyleSheet().size(), 2595);
    QWidget page;
    setDarkStyleSheet(&page, QStringLiteral("QLabel{color:red;}"));
    QCOMPARE(page.styleSheet(), darkStyleSheet() + QStringLiteral("QLabel{color:red;}"));
}

void tst_Styles::colorTextKeepsPlaceholders()
{
    QCOMPARE(colorText(QStringLiteral("red"), QStringLiteral("a %1 b")),
             QStringLiteral("<font style='color:red;'>a %1 b</font>"));
    QCOMPARE(colorText(QStringLiteral("%2"), QStringLiteral("x")), QStringLiteral("<font style='color:%2;'>x</font>"));
}

void tst_Styles::transparentTabs()
{
    QDialog dialog;
    auto *tabs = new QTabWidget(&dialog);
    setTransparentTabStyle(&dialog, tabs);
    QVERIFY(dialog.testAttribute(Qt::WA_TranslucentBackground));
    QVERIFY(tabs->styleSheet().contains(QStringLiteral("QTabBar::tab:selected{height:50px;width:335px;")));
    QVERIFY(dialog.styleSheet().startsWith(QStringLiteral("QWidget#titleBar{background-color: transparent;")));
}

void tst_Styles::lineEditBorder_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<QString>("style");
    QTest::newRow("type 2") << 2
                            << "QLineEdit{border-style:none;padding:1px;border-radius:5px;border:2px solid #DCE4EC;}"
                               "QLineEdit:focus{border:2px solid #3498DB;}";
    QTest::newRow("other types change nothing") << 4 << "old";
}

void tst_Styles::lineEditBorder()
{
    QFETCH(int, type);
    QFETCH(QString, style);
    QLineEdit edit;
    edit.setStyleSheet(QStringLiteral("old"));
    C_Type_COM::setLineEditStyle(&edit, type);
    QCOMPARE(edit.styleSheet(), style);
}

void tst_Styles::cameraButtons_data()
{
    QTest::addColumn<int>("cameras");
    QTest::addColumn<QStringList>("names");
    QTest::addColumn<QList<int>>("ids");
    QTest::newRow("one camera") << 1 << QStringList{"button0"} << QList<int>{0};
    QTest::newRow("four cameras") << 4 << QStringList{"button0", "button1", "button2", "button3", ""}
                                  << QList<int>{0, 1, 2, 3, -1};
}

void tst_Styles::cameraButtons()
{
    QFETCH(int, cameras);
    QFETCH(QStringList, names);
    QFETCH(QList<int>, ids);
    MultipleBtnGroup row(cameras);
    row.layout()->activate();
    auto *group = row.findChild<QButtonGroup *>(QStringLiteral("btnGroup"));
    QVERIFY(group);
    QVERIFY(group->exclusive());
    QStringList foundNames;
    QList<int> foundIds;
    for (QAbstractButton *button : group->buttons()) {
        foundNames << button->objectName();
        foundIds << group->id(button);
        QCOMPARE(button->size(), QSize(80, 40));
    }
    QCOMPARE(foundNames, names);
    QCOMPARE(foundIds, ids);
}

void tst_Styles::markTitleButtonEnlargesAndGreys()
{
    MultipleBtnGroup row(3);
    markTitleButton(&row, 7);
    for (QPushButton *button : row.findChildren<QPushButton *>())
        QVERIFY(button->isEnabled());

    markTitleButton(&row, 1);
    auto *marked = row.findChild<QPushButton *>(QStringLiteral("button1"));
    QCOMPARE(marked->size(), QSize(100, 50));
    QVERIFY(!marked->isEnabled());
    QVERIFY(row.findChild<QPushButton *>(QStringLiteral("button0"))->isEnabled());
}

void tst_Styles::dialogFrameAcceptsOnPress()
{
    CComp_DialogFrame frame(QStringLiteral("系统设置"));
    QVERIFY(frame.findChild<QWidget *>(QStringLiteral("titleBar")));
    QVERIFY(frame.findChild<QWidget *>(QStringLiteral("contentWgt")));
    auto *ok = frame.findChild<QPushButton *>(QStringLiteral("okBtn"));
    QVERIFY(ok);
    QCOMPARE(ok->text(), QStringLiteral("确定"));
    QCOMPARE(frame.minimumSize(), QSize(1000, 800));
    frame.show();
    QTest::mousePress(ok, Qt::LeftButton);
    QCOMPARE(frame.result(), int(QDialog::Accepted));
    QVERIFY(!frame.isVisible());
    QTest::mouseRelease(ok, Qt::LeftButton);
}

void tst_Styles::colorButtonColour_data()
{
    QTest::addColumn<int>("colour");
    QTest::addColumn<QString>("background");
    QTest::newRow("0 blue") << 0 << "#2687F2";
    QTest::newRow("1 red") << 1 << "#F24C3F";
    QTest::newRow("4 blue") << 4 << "#2687F2";
}

void tst_Styles::colorButtonColour()
{
    QFETCH(int, colour);
    QFETCH(QString, background);
    ColorButton button(QStringLiteral("确定"), nullptr, colour);
    QVERIFY(button.styleSheet().startsWith(QStringLiteral("QPushButton{background-color: %1;").arg(background)));
    QCOMPARE(button.text(), QStringLiteral("确定"));

    customButton toggle;
    QVERIFY(toggle.isCheckable());
}

void tst_Styles::comboBoxIgnoresWheelAndReportsPress()
{
    QWidget window;
    auto *box = new ComboBox(&window);
    box->addItems({QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c")});
    box->setCurrentIndex(1);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QCOMPARE(box->focusPolicy(), Qt::NoFocus);

    for (int delta : {120, -120}) {
        const QPointF at(5, 5);
        QWheelEvent wheel(at, box->mapToGlobal(at.toPoint()), QPoint(), QPoint(0, delta), Qt::NoButton,
                          Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(box, &wheel);
    }
    QCOMPARE(box->currentIndex(), 1);

    QSignalSpy clicked(box, &ComboBox::clicked);
    QTest::mousePress(box, Qt::LeftButton);
    QCOMPARE(clicked.count(), 1);
    QVERIFY(box->view()->isVisible());
    box->hidePopup();
}

void tst_Styles::comboBoxStyleItemHeight()
{
    QComboBox box;
    setComboBoxStyle(&box, 50);
    QVERIFY(box.styleSheet().contains(QStringLiteral("QComboBox::drop-down{width:30px;height:50;")));
    QVERIFY(box.styleSheet().contains(QStringLiteral("QAbstractItemView::item{height:50px;")));
}

void tst_Styles::chooseBoxAnswers_data()
{
    QTest::addColumn<int>("button");   // 0 Yes, 1 No, 2 Esc
    QTest::addColumn<int>("result");
    QTest::newRow("yes") << 0 << 1;
    QTest::newRow("no") << 1 << 0;
    QTest::newRow("escape") << 2 << 0;
}

void tst_Styles::chooseBoxAnswers()
{
    QFETCH(int, button);
    QFETCH(int, result);
    kittest::setText(122, QStringLiteral("YES"));
    kittest::setText(123, QStringLiteral("NO"));
    ChooseBox box(nullptr, 750, 370);
    box.setText(QStringLiteral("是否保存?"));
    QCOMPARE(box.geometry(), QRect(1753 / 2 - 375, 1017 / 2 - 185, 750, 370));

    ModalAnswerer answer([button](QWidget *modal) {
        if (button == 0)
            QVERIFY(ModalAnswerer::clickButton(modal, QStringLiteral("YES")));
        else if (button == 1)
            QVERIFY(ModalAnswerer::clickButton(modal, QStringLiteral("NO")));
        else
            ModalAnswerer::pressEscape(modal);
    });
    QCOMPARE(box.exec(), result);
    QVERIFY(answer.answered());
}

void tst_Styles::calibrationChoices()
{
    ChooseCaliNumWidget box;
    ComboBox *choices = box.choiceList();
    QCOMPARE(choices->geometry(), QRect(275, 122, 200, 50));
    QCOMPARE(choices->count(), 3);
    QCOMPARE(choices->itemText(2), QStringLiteral(" 25 "));
    QList<QPoint> buttons;
    for (ColorButton *b : box.findChildren<ColorButton *>())
        buttons << b->pos();
    QCOMPARE(buttons, (QList<QPoint>{QPoint(105, 235), QPoint(425, 235)}));
}

void tst_Styles::checkBoxValues()
{
    CheckBox box(nullptr, QStringLiteral("启用密码保护"));
    QSignalSpy changed(&box, &QCheckBox::stateChanged);
    box.setCheckValue(5);
    QCOMPARE(box.checkValue(), 1);
    box.setCheckValue(0);
    QCOMPARE(box.checkValue(), 0);
    QCOMPARE(changed.count(), 2);
}

QTEST_MAIN(tst_Styles)
#include "tst_Styles.moc"
