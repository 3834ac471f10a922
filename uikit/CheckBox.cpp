#include "uikit/CheckBox.h"

#include "uikit/FittedFont.h"

#include <QStyle>
#include <QStyleOptionButton>

CheckBox::CheckBox(QWidget *parent, const QString &text)
    : QCheckBox(text, parent)
{
    QPalette palette = this->palette();
    palette.setColor(QPalette::All, QPalette::WindowText, Qt::yellow);
    setPalette(palette);
    setFont(QFont(QStringLiteral("SimHei"), 28));
}

QSize CheckBox::minimumSizeHint() const
{
    const QSize whole = QCheckBox::minimumSizeHint();
    return QSize(qMin(whole.width(), qMax(150, whole.width() / 2 + 20)), whole.height());
}

void CheckBox::resizeEvent(QResizeEvent *event)
{
    QCheckBox::resizeEvent(event);
    QStyleOptionButton option;
    option.initFrom(this);
    option.text = text();
    const QRect room = style()->subElementRect(QStyle::SE_CheckBoxContents, &option, this);
    fitFontToRoom(this, text(), QSize(room.width(), height()));
}

void CheckBox::setCheckValue(int value)
{
    setChecked(value != 0);
}

int CheckBox::checkValue() const
{
    return isChecked() ? 1 : 0;
}
