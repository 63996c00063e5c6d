#pragma once

// Saving a card "complete": the page goes where the user chooses and its background picture into a folder
// beside it, named after the page as browsers name it ("card.html" -> "card_files"), with the page's
// background reference pointing at that copy. The saved card then shows its picture on any machine, in
// any browser, wherever the two are moved together. These are the byte rules; the handler does the files.

#include <QByteArray>
#include <QString>

#include <optional>

namespace lanseek::card {

// The folder beside a saved page that holds its pictures: the page's file name without its last
// extension, followed by "_files".
QString companionFolderName(const QString& pageFileName);

// Where the value of the body element's background attribute lies in a page's bytes (without its quotes).
struct ByteSpan
{
    qsizetype start = 0;
    qsizetype length = 0;
};
// The first body element's background attribute; nothing when the page has no body tag or the tag no
// background.
std::optional<ByteSpan> findBodyBackground(const QByteArray& page);

// The page with the bytes of the span replaced by the reference.
QByteArray withBackground(const QByteArray& page, const ByteSpan& span, const QByteArray& reference);

// The reference a saved page uses for its picture in the companion folder: a relative address, every
// character outside the unreserved set percent-encoded as UTF-8, so that it means the same in every browser
// whatever the page's own encoding.
QByteArray companionReference(const QString& folderName, const QString& pictureFileName);

} // namespace lanseek::card
