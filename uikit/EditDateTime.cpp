#include "uikit/EditDateTime.h"

#include "platform/system/SystemActions.h"

#include <QDateEdit>
#include <QGridLayout>
#include <QLabel>
#include <QTimeEdit>

namespace {

// The step arrows are 60 x 60 pictures at the left and right ends of the editor.
QString arrowStyle(const QString &editor)
{
    return QStringLiteral("%1::up-button{subcontrol-origin:border;subcontrol-position:right;"
                          "image: url(./images/right.png);width: %2px;height: %2px;}"
                          "%1::down-button {subcontrol-origin:border;subcontrol-position:left;"
                          "image: url(./images/left.png);width: %2px;height: %2px;}")
        .arg(editor)
        .arg(60);
}

void styleEditor(QWidget *editor, const QFont &font, const QString &style)
{
    editor->setFont(font);
    editor->setFixedSize(330, 60);
    editor->setStyleSheet(style);
}

} // namespace

EditDateTime::EditDateTime(const QString &label, QWidget *parent)
    : QWidget(parent)
    , dateEdit(new QDateEdit(this))
    , timeEdit(new QTimeEdit(this))
    , captionLabel(new QLabel(label, this))
    , scratch(QDateTime::currentDateTime())
{
    setFixedHeight(80);
    const QFont font(QStringLiteral("wenquanyi"), 30);
    QPalette palette = this->palette();
    palette.setColor(QPalette::All, QPalette::WindowText, Qt::yellow);
    setFont(font);
    setPalette(palette);

    captionLabel->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    captionLabel->setFont(font);
    captionLabel->setPalette(palette);

    dateEdit->setDisplayFormat(QStringLiteral("yyyy-MM-dd"));
    styleEditor(dateEdit, font, arrowStyle(QStringLiteral("QDateEdit")));
    dateEdit->setAlignment(Qt::AlignCenter);
    timeEdit->setDisplayFormat(QStringLiteral("HH:mm:ss"));
    styleEditor(timeEdit, font, arrowStyle(QStringLiteral("QTimeEdit")));
    timeEdit->setAlignment(Qt::AlignCenter);

    auto *grid = new QGridLayout(this);
    grid->addWidget(captionLabel, 0, 0);
    grid->addWidget(dateEdit, 0, 1);
    grid->addWidget(timeEdit, 0, 2);
    grid->setHorizontalSpacing(10);
    grid->setVerticalSpacing(10);
    grid->setSizeConstraint(QLayout::SetFixedSize);
}

void EditDateTime::setCurrentDateTime()
{
    const QDateTime now = QDateTime::currentDateTime();
    dateEdit->setDate(now.date());
    timeEdit->setTime(now.time());
}

bool EditDateTime::applyToSystemClock()
{
    scratch = QDateTime(dateEdit->date(), timeEdit->time());
    const bool done = systemActions()->setClock(scratch);
    if (!done)
        qWarning("system clock not set to %s",
                 qPrintable(scratch.toString(QStringLiteral("yyyy-MM-dd hh:mm:ss"))));
    return done;
}
