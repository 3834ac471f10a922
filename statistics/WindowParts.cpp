#include "statistics/WindowParts.h"

#include "core/StationHost.h"
#include "uikit/ComboBox.h"
#include "uikit/UiKitGlobals.h"

#include <QCoreApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>

QWidget *buildTitleBar(QWidget *window, int width, const QString &icon, const QString &title,
                       QPushButton **closeButton)
{
    auto *bar = new QWidget(window);
    bar->setFixedSize(width, 40);
    bar->setStyleSheet(QStringLiteral("QWidget{background-color: #353D45;}"));
    bar->setAttribute(Qt::WA_StyledBackground);

    auto *iconLabel = new QLabel(bar);
    iconLabel->setFixedSize(20, 20);
    iconLabel->setPixmap(QPixmap(icon).scaled(20, 20, Qt::IgnoreAspectRatio,
                                              Qt::SmoothTransformation));
    auto *titleLabel = new QLabel(title, bar);
    auto *close = new QPushButton(bar);
    close->setObjectName(QStringLiteral("closeButton"));
    close->setStyleSheet(QStringLiteral("QPushButton{width: 40px;height: 40px;background-color: "
                                        "red;border-image: url(:/Close.png);}"));

    auto *row = new QHBoxLayout(bar);
    row->setContentsMargins(20, 0, 0, 0);
    row->addWidget(iconLabel);
    row->addWidget(titleLabel);
    row->addStretch();
    row->addWidget(close);
    *closeButton = close;
    return bar;
}

ComboBox *filterCombo(QWidget *parent, int width, const QFont &font, int textEntry, int count)
{
    auto *combo = new ComboBox(parent);
    combo->setFixedSize(width, 40);
    setComboBoxStyle(combo, 40);
    combo->setComboFont(font);
    combo->addItem(QCoreApplication::translate("StatisticsWindows", "全部"));
    for (int i = 1; i <= count; ++i)
        combo->addItem(uiText(textEntry).arg(i));
    return combo;
}

int filterIndex(const ComboBox *combo)
{
    return combo->currentIndex() - 1;
}

void styleSearchButton(QPushButton *button)
{
    button->setStyleSheet(button->styleSheet()
                          + QStringLiteral("QPushButton:disabled{background-color: #4F5963;"
                                           "color: #999999;}"));
}

void centreOnMainWindow(QWidget *window)
{
    QWidget *main = stationHost ? stationHost->hostWidget() : nullptr;
    if (!main)
        return;
    window->move(main->mapToGlobal(QPoint(0, 0))
                 + QPoint((main->width() - window->width()) / 2,
                          (main->height() - window->height()) / 2));
}
