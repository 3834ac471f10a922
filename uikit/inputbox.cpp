#include "uikit/inputbox.h"

#include "core/Globals.h"
#include "core/StationHost.h"
#include "uikit/BoxPainting.h"
#include "uikit/DialogButtons.h"
#include "uikit/Edit.h"
#include "uikit/LoginDecision.h"
#include "uikit/UiKitGlobals.h"

#include <QPainter>

inputbox::inputbox(int editMode, QWidget *parent)
    : QDialog(parent)
    , field(new Edit(editMode, this, 1))
    , now([] { return QDateTime::currentDateTime(); })
{
    setGeometry(mainViewWidth / 2 - 375, mainViewHeight / 2 - 275, 750, 550);

    field->setPasswordMode(true);
    field->setPlaceholderText(tr("请输入密码"));
    field->setGeometry(100, 230, 550, 60);
    field->setFont(QFont(QStringLiteral("SimHei"), 18));
    field->setEchoMode(QLineEdit::Password);

    setObjectName(QStringLiteral("inputbox"));

    auto *ok = new okbtn(this);
    ok->setGeometry((width() + 30) / 2, (height() + 240) / 2, 135, 60);
    auto *cancel = new cancelbtn(this);
    cancel->setGeometry((width() - 30) / 2 - 135, (height() + 240) / 2, 135, 60);
    connect(ok, &QPushButton::clicked, this, &inputbox::accept);
    connect(cancel, &QPushButton::clicked, this, &inputbox::reject);

    setWindowFlags(Qt::CustomizeWindowHint | Qt::FramelessWindowHint);
}

void inputbox::setClock(std::function<QDateTime()> clock)
{
    if (clock)
        now = std::move(clock);
}

void inputbox::accept()
{
    const int level = loginLevelFor(field->text(), currentParams, now());
    if (stationHost)
        stationHost->setUserLevel(level);
    if (level > 0) {
        field->setPlaceholderText(uiText(125));
        QDialog::accept();
        return;
    }
    field->clear();
    field->setPlaceholderText(uiText(357));
}

void inputbox::reject()
{
    field->clear();
    QDialog::reject();
}

bool inputbox::event(QEvent *event)
{
    return QWidget::event(event);
}

void inputbox::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    paintTitledBox(painter, size(), tr("输入框"), QRect(15, 15, 72, 32));
    painter.drawText(QPoint(100, 200), tr("请输入密码"));
}
