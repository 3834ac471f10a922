#include "core/UiTexts.h"

#include "core/Globals.h"

#include <QFile>
#include <QStringList>

// Resources of a static library are registered by hand; the macro must stand outside any
// namespace.
static void registerUiTextResource()
{
    Q_INIT_RESOURCE(uitexts);
}

namespace {

constexpr int LanguageCount = 4;
constexpr int EntryCount = UiTextCount / LanguageCount;

// Undoes the escapes of the table: \n, \r, \t and \\. Any other backslash makes the text unreadable.
bool unescape(const QString &field, QString *text)
{
    text->clear();
    text->reserve(field.size());
    for (int i = 0; i < field.size(); ++i) {
        const QChar c = field.at(i);
        if (c != QLatin1Char('\\')) {
            text->append(c);
            continue;
        }
        if (++i == field.size())
            return false;
        switch (field.at(i).unicode()) {
        case 'n': text->append(QLatin1Char('\n')); break;
        case 'r': text->append(QLatin1Char('\r')); break;
        case 't': text->append(QLatin1Char('\t')); break;
        case '\\': text->append(QLatin1Char('\\')); break;
        default: return false;
        }
    }
    return true;
}

// One line: the entry number and four quoted texts, separated by tabs. Quotes inside a text
// are taken as they are: only the first and the last character of a field must be quotes.
bool parseLine(const QString &line, int *entry, QString texts[LanguageCount])
{
    const QStringList fields = line.split(QLatin1Char('\t'));
    if (fields.size() != 1 + LanguageCount)
        return false;
    bool ok = false;
    *entry = fields.at(0).toInt(&ok);
    if (!ok || *entry < 0 || *entry >= EntryCount)
        return false;
    for (int language = 0; language < LanguageCount; ++language) {
        const QString &field = fields.at(1 + language);
        if (field.size() < 2 || !field.startsWith(QLatin1Char('"'))
            || !field.endsWith(QLatin1Char('"')))
            return false;
        if (!unescape(field.mid(1, field.size() - 2), &texts[language]))
            return false;
    }
    return true;
}

} // namespace

bool loadUiTexts(const QString &fileName)
{
    registerUiTextResource();
    for (QString &text : uiTexts)
        text.clear();

    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly)) {
        qCritical("UI text table %s cannot be opened: %s", qPrintable(fileName),
                  qPrintable(file.errorString()));
        return false;
    }
    bool complete = true;
    int lineNumber = 0;
    while (!file.atEnd()) {
        ++lineNumber;
        QString line = QString::fromUtf8(file.readLine());
        // Only the line end goes; blanks at either end belong to the texts.
        while (line.endsWith(QLatin1Char('\n')) || line.endsWith(QLatin1Char('\r')))
            line.chop(1);
        if (line.isEmpty() || line.startsWith(QLatin1Char('#')))
            continue;
        int entry = 0;
        QString texts[LanguageCount];
        if (!parseLine(line, &entry, texts)) {
            qWarning("UI text table %s, line %d cannot be read", qPrintable(fileName), lineNumber);
            complete = false;
            continue;
        }
        for (int language = 0; language < LanguageCount; ++language)
            uiTexts[LanguageCount * entry + language] = texts[language];
    }
    return complete;
}

QString uiTextIn(int entry, int language)
{
    if (entry < 0 || language < 0 || language > 3)
        return QString();
    const int index = 4 * entry + language;
    return index < UiTextCount ? uiTexts[index] : QString();
}

QString uiText(int entry)
{
    return uiTextIn(entry, currentLanguage);
}
