#ifndef SETTINGS_LISTINGTEXT_H
#define SETTINGS_LISTINGTEXT_H

#include <QString>
#include <QStringList>

// The text side of the update server's listings: what one listing page offers.

// A listing nested deeper than this, in elements, is refused: a web server's index page
// nests a handful, and no deeper listing is worth reading.
constexpr int MaxListingNesting = 64;
// Packages taken from one listing; the rest are left out (and logged).
constexpr int MaxPackagesPerListing = 512;

// The text of every "body" element directly under the document element, split at every "/"
// and then at every line end (empty pieces kept), in document order. Read by a stream reader,
// so a page nested without end cannot exhaust the stack. "<hr>" is taken out first (the
// server writes it unclosed). False, with *error set, for text that is not well-formed XML or
// that nests deeper than MaxListingNesting; then nothing is read from it.
bool ParseListing(const QString &text, QStringList *pieces, QString *error);

struct ListingEntries
{
    // Package names, each cut right after its extension (".gz", ".tar" or ".rar").
    QStringList packages;
    // Sub-folder names, only when the listing holds no package.
    QStringList folders;
};

// A piece other than the last names a package when, cut after the last ".gz", ".tar" or
// ".rar" it holds (the first of these found, in this order), it begins with "V17" or "v17".
// Without packages, a piece is a folder when the piece after it begins with a blank (a
// listing line "name/   date size"); only pieces up to the third-last are looked at, and
// empty names, "." and ".." are none.
ListingEntries CollectVersions(const QStringList &pieces);

// url's folder with one more path part (a folder when folder is true); the part is taken as
// text, so that nothing in a name from a listing ("?", "#", ":") can make it another address.
QString childUrl(const QString &url, const QString &part, bool folder);

#endif
