#include "uikit/tipbox.h"

#include "uikit/BoxPainting.h"
#include "uikit/DialogButtons.h"

#include <QPainter>

tipbox::tipbox(int buttons, QWidget *parent, int width, int height)
    : QDialog(parent)
{
    setFixedSize(width, height);
    const int buttonY = (height + 240) / 2;
    if (buttons == OkCancelButtons) {
        auto *cancel = new cancelbtn(this);
        cancel->setGeometry((width - 30) / 2 - 135, buttonY, 135, 60);
        connect(cancel, &QPushButton::clicked, this, &tipbox::rejectDialog);
        auto *ok = new okbtn(this);
        ok->setGeometry((width + 30) / 2, buttonY, 135, 60);
        connect(ok, &QPushButton::clicked, this, &tipbox::acceptDialog);
    } else if (buttons != NoButtons) {
        auto *ok = new okbtn(this);
        ok->setGeometry(width / 2 - 67, buttonY, 135, 60);
        connect(ok, &QPushButton::clicked, this, &tipbox::acceptDialog);
    }
    setWindowFlags(Qt::CustomizeWindowHint | Qt::WindowStaysOnTopHint | Qt::FramelessWindowHint);
}

void tipbox::setText(const QString &text)
{
    message = text;
}

void tipbox::acceptDialog()
{
    accept();
}

void tipbox::rejectDialog()
{
    reject();
}

void tipbox::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    paintTitledBox(painter, size(), tr("提示"), QRect(15, 15, 48, 32));
    painter.drawText(QRect((width() - 400) / 2, (height() - 300) / 2, 400, 300),
                     Qt::AlignCenter | Qt::TextWordWrap, message);
}
