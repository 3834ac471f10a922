#include "uikit/ComboBox.h"

#include <QEvent>
#include <QListView>

ComboBox::ComboBox(QWidget *parent)
    : QComboBox(parent)
    , listView(new QListView(this))
{
    installEventFilter(this);
    setFocusPolicy(Qt::NoFocus);
    setView(listView);
}

void ComboBox::setComboFont(const QFont &font)
{
    listView->setFont(font);
    setFont(font);
}

bool ComboBox::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == this) {
        if (event->type() == QEvent::MouseButtonPress)
            emit clicked();
        else if (event->type() == QEvent::Wheel)
            return true;
    }
    return QComboBox::eventFilter(watched, event);
}

void setComboBoxStyle(QComboBox *box, int itemHeight)
{
    if (!box)
        return;
    const QString height = QString::number(itemHeight);
    box->setStyleSheet(
        QStringLiteral("QComboBox{background-color:white;border-radius:4px;border:none;}"
                       "QComboBox::drop-down{width:30px;height:%1;border-style:none;}"
                       "QComboBox::down-arrow{width:15px;height:12px;image:url(:/down-arrow.png);}")
            .arg(height)
        + QStringLiteral("QComboBox QAbstractItemView::item{height:%1px;background-color: white;}").arg(height)
        + QStringLiteral("QComboBox QAbstractItemView::item:hover{color: black;}"
                         "QComboBox QAbstractItemView::item:selected{color: black;}"
                         "QComboBox::tab-bar{border-width:0px;}"));
}
