#include "uikit/ChooseBox.h"

#include "uikit/BoxPainting.h"
#include "uikit/ColorButton.h"
#include "uikit/ComboBox.h"
#include "uikit/EditDateTime.h"
#include "uikit/UiKitGlobals.h"

#include <QPainter>

ChooseBox::ChooseBox(QWidget *parent, int width, int height)
    : QDialog(parent)
    , yesButton(new ColorButton(uiText(122), this, 0))
    , noButton(new ColorButton(uiText(123), this, 0))
    , boxWidth(width)
    , boxHeight(height)
{
    setWindowFlags(Qt::CustomizeWindowHint);
    setGeometry(mainViewWidth / 2 - width / 2, mainViewHeight / 2 - height / 2, width, height);
    yesButton->setGeometry(width / 2 - 270, height / 2 + 50, 220, 100);
    connect(yesButton, &QPushButton::clicked, this, &QDialog::accept);
    noButton->setGeometry(width / 2 + 50, height / 2 + 50, 220, 100);
    connect(noButton, &QPushButton::clicked, this, &QDialog::reject);
    hide();
}

void ChooseBox::setText(const QString &text)
{
    message = text;
}

void ChooseBox::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    const QSize size(boxWidth, boxHeight);
    paintBoardBackground(painter, size);
    // The bottom alignment wins over the vertical centre: the message ends on the lower edge.
    paintBoardMessage(painter, QRect(0, 0, boxWidth, boxHeight / 2 - 50),
                      Qt::AlignHCenter | Qt::AlignVCenter | Qt::AlignBottom, message);
    paintBoardFrame(painter, size);
}

ChooseCaliNumWidget::ChooseCaliNumWidget(QWidget *parent)
    : ChooseBox(parent, 750, 370)
    , choices(new ComboBox(this))
{
    choices->setComboFont(QFont(QStringLiteral("SimHei"), 33));
    choices->setGeometry((boxWidth - 200) / 2, boxHeight / 4 + 30, 200, 50);
    choices->addItems({QStringLiteral(" 4 "), QStringLiteral(" 9 "), QStringLiteral(" 25 ")});
    choices->setFixedSize(200, 50);
    setComboBoxStyle(choices, 50);
}

void ChooseCaliNumWidget::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    const QSize size(boxWidth, boxHeight);
    paintBoardBackground(painter, size);
    paintBoardMessage(painter, QRect(50, 50, boxWidth, 50), Qt::AlignCenter, message);
    paintBoardFrame(painter, size);
}

ModifyTimeWidget::ModifyTimeWidget(QWidget *parent)
    : ChooseBox(parent, 750, 370)
    , editor(new EditDateTime(QString(), this))
{
    editor->move(0, 50);
    editor->resize(280, 60);
    yesButton->setText(uiText(121));
    noButton->setText(uiText(124));
}

void ModifyTimeWidget::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    paintBoardBackground(painter, QSize(boxWidth, boxHeight));
}
