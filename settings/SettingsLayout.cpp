#include "settings/SettingsLayout.h"

#include "uikit/ComboBox.h"

#include <QFont>
#include <QFontMetrics>
#include <QIcon>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QRegularExpression>

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

namespace {

constexpr int MinimumFontPixels = 12;

} // namespace

QString iconButtonRule(QPushButton *button, const QString &icon, int fontPixels, int paddingLeft,
                       int paddingRight)
{
    constexpr int IconSize = 28;
    button->setIcon(QIcon(QPixmap(icon).scaled(IconSize, IconSize, Qt::KeepAspectRatio,
                                               Qt::SmoothTransformation)));
    button->setIconSize(QSize(IconSize, IconSize));
    // The rooms are made for the Chinese texts: a longer text of another language gets a
    // smaller font (the icon and its gap take their part of the fixed width). A button's own
    // style sheet (a ColorButton's) decides its font over the page's rule, so the size is
    // changed there too.
    static const QRegularExpression ownSize(QStringLiteral("font-size:\\s*(\\d+)px"));
    const QRegularExpressionMatch own = ownSize.match(button->styleSheet());
    int pixels = own.hasMatch() ? own.captured(1).toInt() : fontPixels;
    const int room = button->width() - paddingLeft - paddingRight - IconSize - 8;
    QFont font = button->font();
    font.setPixelSize(pixels);
    while (pixels > MinimumFontPixels && QFontMetrics(font).size(0, button->text()).width() > room)
        font.setPixelSize(--pixels);
    if (own.hasMatch())
        button->setStyleSheet(button->styleSheet().replace(ownSize, QStringLiteral("font-size: %1px").arg(pixels)));
    fontPixels = qMin(fontPixels, pixels);
    return QStringLiteral("QPushButton#%1{background-color: #2687F2;font-size: %2px;color: #FFFFFF;"
                          "font-weight: 400;padding-left: %3px;padding-right: %4px}")
        .arg(button->objectName())
        .arg(fontPixels)
        .arg(paddingLeft)
        .arg(paddingRight);
}
