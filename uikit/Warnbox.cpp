#include "uikit/Warnbox.h"

#include "uikit/BoxPainting.h"
#include "uikit/UiKitGlobals.h"

#include <QPainter>
#include <QPixmap>
#include <QPushButton>

Warnbox::Warnbox(QWidget *parent)
    : QDialog(parent)
    , closeButton(new QPushButton(this))
{
    setGeometry(mainViewWidth / 2 - 300, mainViewHeight / 2 - 210, 600, 420);
    closeButton->setGeometry(540, 0, 60, 60);
    closeButton->setStyleSheet(QStringLiteral("QPushButton{background-color: red;border-image: url(:/Close.png);}"));
    connect(closeButton, &QPushButton::clicked, this, &Warnbox::acceptDialog);
    setStayOnTop(true);
}

void Warnbox::setText(const QString &text)
{
    message = text;
}

void Warnbox::setStayOnTop(bool onTop)
{
    Qt::WindowFlags flags = Qt::CustomizeWindowHint | Qt::FramelessWindowHint;
    if (onTop)
        flags |= Qt::WindowStaysOnTopHint;
    setWindowFlags(flags);
}

void Warnbox::setVisible(bool visible)
{
    QDialog::setVisible(visible);
    if (visible) {
        raise();
        activateWindow();
    }
}

void Warnbox::acceptDialog()
{
    close();
}

void Warnbox::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    paintTitledBox(painter, size(), tr("警告提示"), QRect(15, 15, 96, 33));
    const QPixmap icon(QStringLiteral(":/Warn.png"));
    if (!icon.isNull())
        painter.drawPixmap(QRect(width() / 2 - 30, height() / 2 - 67, 60, 54), icon);
    painter.drawText(QRect(100, 190, 400, 150), Qt::AlignCenter | Qt::TextWordWrap, message);
}
