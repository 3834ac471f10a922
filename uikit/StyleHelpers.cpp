#include "uikit/StyleHelpers.h"

#include <QPushButton>
#include <QWidget>

#include <cmath>

namespace {

// The common dark look of every page; 34 rules, joined without separators. The stray
// "solid #d7d7d7;" in the vertical scroll bar rule is ignored by the style engine.
const char darkStyleText[] =
    "QWidget{background-color: #1E1E1E;outline:0px;border:none;}"
    "QWidget#titleBar{color:white;background-color:rgb(80,80,80);font-size:32px;}"
    "QDialog{background-color:#1E1E1E;outline:0px;border:none;}"
    "QTabWidget::pane{border: 1px solid #BDBDBD;background-color:#616161;}"
    "QTabWidget::tab-bar{alignment:left;top:1px;}"
    "QTabBar::tab{color:white;border: 1px solid #BDBDBD;padding-left: 10px;padding-right: 10px;}"
    "QTabBar::tab:selected{height:50px;width:335px;color:white;font-size:22px;background-color:#2687F2;border: 1px solid #BDBDBD;border-bottom: 1px solid #616161;}"
    "QTabBar::tab:!selected{height:40px;width:335px;font-size:22px;top:10px;background-color: rgb(110, 110, 110);}"
    "QPushButton{outline:0px;border:none;font-size:15px;height:40px;width:80px;color:white;background-color:#3498DB;padding-left: 5px;}"
    "QPushButton:hover{background-color:#2972F4;color:white;}"
    "QPushButton:!hover{background-color:#3498DB;color:white;}"
    "QPushButton:pressed{background-color:#FFC107;color:#3498DB;}"
    "QPushButton#okBtn{outline:0px;border:none;font-size:32px;color:white;background-color:#2687F2;}"
    "QLabel{color:white;font-size:26px;background-color: transparent;}"
    "QRadioButton,QCheckBox{color:white;font-size:26px;}"
    "QRadioButton::indicator{width:32px;height:32px;}"
    "QCheckBox::indicator{width:32px;height:32px;}"
    "QRadioButton::indicator::unchecked {image: url(:/img/Resources/RadioBox1.png);}"
    "QRadioButton::indicator::checked {image: url(:/img/Resources/RadioBox2.png);}"
    "QCheckBox::indicator::unchecked {width: 24px;height: 24px;image: url(:/Unchecked.png);}"
    "QCheckBox::indicator::checked {width: 24px;height: 24px;image: url(:/Checked.png);}"
    "QCheckBox::enabled::checked {color: #ffffff;}"
    "QCheckBox::enabled::unchecked {color: #999999;}"
    "QListWidget{font-size:22px;color:white;background-color:#616161;alternate-background-color:#757575;border:1px solid #BDBDBD;}"
    "QScrollArea{background-color:white;border:0px;}"
    "QScrollBar:vertical{background:white;padding-top:0px;padding-bottom:0px;padding-left:0px;padding-right:0px;solid #d7d7d7;}"
    "QScrollBar::handle:vertical{background:#B7B7B7;border-radius:7px;min-height:80px}"
    "QScrollBar::handle:vertical:hover{background:#949494;}"
    "QScrollBar::add-line:vertical {height:0px;subcontrol-position:bottom;subcontrol-origin:margin;}"
    "QScrollBar::sub-line:vertical {height:0px;subcontrol-position:top;subcontrol-origin:margin;}"
    "QScrollBar::sub-line:vertical:pressed {background-color:#FFC107;}"
    "QLineEdit{color:white;font-size:20px;padding:0px 5px 0px 5px;border: 1px solid #959595;height:32px;}"
    "QLineEdit:!focus{border: 1px solid #959595;background:transparent;color:white;}"
    "QLineEdit:focus{background:white;color:black;}"
    ;

const char transparentTabText[] =
    "QTabWidget::pane{border: none;background-color: transparent;border: 1px solid transparent;}"
    "QTabWidget::tab-bar{alignment:left;top:1px;}"
    "QTabBar::tab{color: transparent;border: none;padding-left: 10px;padding-right: 10px;}"
    "QTabBar::tab:selected{height:50px;width:335px;background-color:transparent;border: 1px solid transparent;}"
    "QTabBar::tab:!selected{height:40px;width:335px;background-color: transparent;border: 1px solid transparent;top: 10px;}";

const char transparentDialogText[] =
    "QWidget#titleBar{background-color: transparent;outline: 0px;}"
    "QLabel{color: transparent;}"
    "QPushButton#okBtn{background-color: transparent;color: transparent;}";

} // namespace

QString darkStyleSheet()
{
    return QString::fromLatin1(darkStyleText);
}

void setDarkStyleSheet(QWidget *widget, const QString &extra)
{
    if (!widget)
        return;
    widget->setStyleSheet(darkStyleSheet() + extra);
}

void setTransparentTabStyle(QWidget *dialog, QWidget *tabs)
{
    if (dialog) {
        dialog->setAttribute(Qt::WA_TranslucentBackground);
        dialog->setStyleSheet(QString::fromLatin1(transparentDialogText));
    }
    if (tabs)
        tabs->setStyleSheet(QString::fromLatin1(transparentTabText));
}

QString colorText(const QString &colour, const QString &text)
{
    // One substitution for both, so a '%' inside the colour is not read again.
    return QStringLiteral("<font style='color:%1;'>%2</font>").arg(colour, text);
}

void markTitleButton(QObject *group, int index)
{
    if (!group)
        return;
    QPushButton *button = group->findChild<QPushButton *>(QStringLiteral("button%1").arg(index));
    if (!button)
        return;
    const QSize size = button->size();
    button->setFixedSize(int(std::floor(size.width() * 1.25 + 0.5)),
                         int(std::floor(size.height() * 1.25 + 0.5)));
    button->setEnabled(false);
}
