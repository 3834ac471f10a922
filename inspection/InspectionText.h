#ifndef INSPECTION_INSPECTIONTEXT_H
#define INSPECTION_INSPECTIONTEXT_H

#include "core/Globals.h"

#include <QString>

// UI text entry e in the current language (the table holds four languages per entry).
inline QString inspectionText(int entry)
{
    constexpr int languages = 4;
    const int language = (currentLanguage >= 0 && currentLanguage < languages) ? currentLanguage : 0;
    const int index = languages * entry + language;
    return (index >= 0 && index < UiTextCount) ? uiTexts[index] : QString();
}

#endif
