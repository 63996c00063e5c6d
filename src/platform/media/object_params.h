#pragma once

// What a player object's <param> pairs ask of the player, and how the player writes play times.

#include <QString>

#include <utility>
#include <vector>

namespace lanseek::platform {

// An object's <param> pairs in document order: names as written, values as written.
using ObjectParams = std::vector<std::pair<QString, QString>>;

// What an object's parameters ask of the control.
struct PlayerObjectSettings
{
    QString source;        // the SRC or fileName value, untrimmed; empty when neither is given
    bool autoStart = true; // a player object starts on its own unless AUTOSTART says otherwise
    bool showStatusBar = false;
};

// Reads SRC (the RealMedia-kind object) or fileName (the Windows-Media-kind object), AUTOSTART and
// ShowStatusBar; names compare case-insensitively and the last occurrence of a name wins.
PlayerObjectSettings playerObjectSettings(const ObjectParams& params);

// "m:ss" (minutes are not wrapped into hours); negative values read as "--:--".
QString formatPlayTime(qint64 ms);

} // namespace lanseek::platform
