#include "settings/ListingText.h"

#include <QUrl>
#include <QXmlStreamReader>

namespace {

const char *const archiveExtensions[] = {"gz", "tar", "rar"};

} // namespace

bool ParseListing(const QString &text, QStringList *pieces, QString *error)
{
    QString page = text;
    page.remove(QStringLiteral("<hr>"));
    QXmlStreamReader reader(page);
    reader.setNamespaceProcessing(false);
    QString bodyText;
    int depth = 0;
    // Depth of the "body" element being read, 0 outside one.
    int bodyDepth = 0;
    while (!reader.atEnd()) {
        switch (reader.readNext()) {
        case QXmlStreamReader::StartElement:
            if (++depth > MaxListingNesting) {
                *error = QStringLiteral("the listing nests deeper than %1 elements").arg(MaxListingNesting);
                return false;
            }
            if (depth == 2 && reader.name() == QLatin1String("body"))
                bodyDepth = depth;
            break;
        case QXmlStreamReader::EndElement:
            if (depth == bodyDepth)
                bodyDepth = 0;
            --depth;
            break;
        case QXmlStreamReader::Characters:
            // Blank-only text between elements is no part of an element's text, as a DOM
            // parser drops it.
            if (bodyDepth > 0 && !reader.isWhitespace())
                bodyText += reader.text();
            break;
        default:
            break;
        }
    }
    if (reader.hasError()) {
        *error = QStringLiteral("Parse error at line %1, column %2: %3")
                     .arg(reader.lineNumber())
                     .arg(reader.columnNumber())
                     .arg(reader.errorString());
        return false;
    }
    // The reader hands every line end over as "\n", the server's "\r\n" included.
    pieces->clear();
    for (const QString &part : bodyText.split(QLatin1Char('/')))
        *pieces += part.split(QLatin1Char('\n'));
    return true;
}

ListingEntries CollectVersions(const QStringList &pieces)
{
    ListingEntries entries;
    for (int i = 0; i + 1 < pieces.size(); ++i) {
        const QString &piece = pieces.at(i);
        for (const char *extension : archiveExtensions) {
            const QString dotted = QLatin1Char('.') + QLatin1String(extension);
            const int at = piece.lastIndexOf(dotted);
            if (at < 0)
                continue;
            const QString candidate = piece.left(at + dotted.size());
            if (candidate.startsWith(QLatin1String("V17")) || candidate.startsWith(QLatin1String("v17"))) {
                if (entries.packages.size() == MaxPackagesPerListing) {
                    qWarning("a listing names more than %d packages; the rest are left out",
                             MaxPackagesPerListing);
                    return entries;
                }
                entries.packages << candidate;
            }
            break;
        }
    }
    if (!entries.packages.isEmpty())
        return entries;
    for (int i = 0; i + 2 < pieces.size(); ++i) {
        const QString &name = pieces.at(i);
        if (pieces.at(i + 1).startsWith(QLatin1Char(' ')) && !name.isEmpty()
            && name != QLatin1String(".") && name != QLatin1String(".."))
            entries.folders << name;
    }
    return entries;
}

QString childUrl(const QString &url, const QString &part, bool folder)
{
    QUrl child(url);
    QString path = child.path(QUrl::FullyDecoded);
    if (!path.endsWith(QLatin1Char('/')))
        path += QLatin1Char('/');
    child.setPath(path + part + (folder ? QStringLiteral("/") : QString()), QUrl::DecodedMode);
    return child.toString(QUrl::FullyEncoded);
}
