#include "core/FontFallback.h"

#include <QFont>
#include <QStringList>

void installFontFallbacks()
{
    const QStringList fallbacks = {QStringLiteral("WenQuanYi Zen Hei"),
                                   QStringLiteral("WenQuanYi Zen Hei Sharp")};
    QFont::insertSubstitutions(QStringLiteral("SimHei"), fallbacks);
    QFont::insertSubstitutions(QStringLiteral("wenquanyi"), fallbacks);
}
