#ifndef CORE_UITEXTS_H
#define CORE_UITEXTS_H

#include <QString>

// Empties uiTexts and fills it from a text table file: by default the embedded copy of
// core/uitexts.tsv, the reviewable UTF-8 table of every operator text in four languages.
// Lines that cannot be read are logged and skipped; returns false when the file cannot be
// opened or any line was skipped. Called once at start-up, before the parameters are loaded,
// which already read texts of the table.
bool loadUiTexts(const QString &fileName = QStringLiteral(":/core/uitexts.tsv"));

// UI text table entry in the current language; empty for an entry outside the table.
QString uiText(int entry);
// The same entry in a given language (0 simplified Chinese, 1 English, ...).
QString uiTextIn(int entry, int language);

#endif
