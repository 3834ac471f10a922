#include "uikit/FittedFont.h"

#include <QFontInfo>
#include <QFontMetrics>
#include <QVariant>
#include <QWidget>

namespace {

constexpr int MinimumPixels = 12;
const char basePixelsProperty[] = "fittedFontBasePixels";

} // namespace

void fitFontToRoom(QWidget *widget, const QString &text, const QSize &room)
{
    widget->ensurePolished();
    QFont font = widget->font();
    // The size before any fitting: later calls start from it, not from a fitted size.
    const QVariant stored = widget->property(basePixelsProperty);
    const int base = stored.isValid() ? stored.toInt() : QFontInfo(font).pixelSize();
    if (!stored.isValid())
        widget->setProperty(basePixelsProperty, base);
    int pixels = base;
    font.setPixelSize(pixels);
    const auto fits = [&text, &room](const QFont &f) {
        const QSize needed = QFontMetrics(f).size(0, text);
        return needed.width() <= room.width() && needed.height() <= room.height() + 2;
    };
    while (pixels > MinimumPixels && !fits(font))
        font.setPixelSize(--pixels);
    const QString rule = pixels == base ? QString() : QStringLiteral("font-size:%1px;").arg(pixels);
    if (widget->styleSheet() != rule)
        widget->setStyleSheet(rule);
}
