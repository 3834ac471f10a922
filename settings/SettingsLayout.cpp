#include "settings/SettingsLayout.h"

#include "uikit/ComboBox.h"

#include <QFont>
#include <QIcon>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>

QLabel *sectionHeading(const QString &title, QWidget *parent)
{
    auto *label = new QLabel(QStringLiteral("· ") + title, parent);
    label->setStyleSheet(QStringLiteral("QLabel{color: #2687F2;background-color:transparent;}"));
    return label;
}

ComboBox *settingsComboBox(QWidget *parent)
{
    auto *box = new ComboBox(parent);
    box->setFixedSize(150, 50);
    box->setComboFont(QFont(QStringLiteral("SimHei"), 17));
    setComboBoxStyle(box, 50);
    return box;
}

QString iconButtonRule(QPushButton *button, const QString &icon, int fontPixels, int paddingLeft,
                       int paddingRight)
{
    constexpr int IconSize = 28;
    button->setIcon(QIcon(QPixmap(icon).scaled(IconSize, IconSize, Qt::KeepAspectRatio,
                                               Qt::SmoothTransformation)));
    button->setIconSize(QSize(IconSize, IconSize));
    return QStringLiteral("QPushButton#%1{background-color: #2687F2;font-size: %2px;color: #FFFFFF;"
                          "font-weight: 400;padding-left: %3px;padding-right: %4px}")
        .arg(button->objectName())
        .arg(fontPixels)
        .arg(paddingLeft)
        .arg(paddingRight);
}
