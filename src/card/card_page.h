#pragma once

// The lines of "card.html": a background picture, the title, a player for the card's song and the card's
// text. Songs of RealMedia type get the RealMedia player object, all others the Windows Media one.

#include <QString>
#include <QStringList>

namespace lanseek::card {

struct CardContent
{
    QString background; // full path of the picture
    QString title;      // written between <h2> and </h2>
    QString address;    // the song's web address
    QString type;       // the song's type text ("mp3", "rm", ...)
    QStringList lines;  // the card text, one entry per shown line
};

// True when a type text, upper-cased, names RealMedia ("RM" or "RAM").
bool isRealMediaType(const QString& type);
QStringList cardLines(const CardContent& card);

} // namespace lanseek::card
