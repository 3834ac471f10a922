#include "uikit/PickerLook.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

const char pickerBlueText[] = "color:#2687F2;border: none;background-color: transparent;";
const char pickerBlackText[] = "color:black;border: none;background-color: transparent;";

QPushButton *makePickerButton(const QString &text, const char *style, QWidget *parent)
{
    auto *button = new QPushButton(text, parent);
    button->setFixedHeight(30);
    button->setStyleSheet(QString::fromLatin1(style));
    return button;
}

QHBoxLayout *addPickerBar(QVBoxLayout *column, const QString &name, const QSize &size, QWidget *dialog)
{
    auto *bar = new QWidget(dialog);
    bar->setObjectName(name);
    bar->setFixedSize(size);
    column->addWidget(bar);
    return new QHBoxLayout(bar);
}

QPair<QPushButton *, QPushButton *> addPickerButtonBar(QVBoxLayout *column, const QSize &size,
                                                       const QMargins &margins, const QString &clearText,
                                                       const QString &okText, QWidget *dialog)
{
    QHBoxLayout *row = addPickerBar(column, QStringLiteral("bottombar"), size, dialog);
    row->setSpacing(20);
    row->setContentsMargins(margins);
    QPushButton *clear = makePickerButton(clearText, pickerBlueText, row->parentWidget());
    QPushButton *ok = makePickerButton(okText, pickerBlackText, row->parentWidget());
    row->addStretch();
    row->addWidget(clear);
    row->addWidget(ok);
    return {clear, ok};
}
