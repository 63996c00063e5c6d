#pragma once

// What the page views put in place of a player <OBJECT>: our media player control, set up from the
// object's parameters, when the object asks for one of the two players by class ID.

#include "platform/media/media_player_control.h"
#include "platform/web/web_browser.h"

#include <QString>

class QWidget;

namespace lanseek::playback {

// Whether a CLASSID attribute names one of the two players (letter case and surrounding blanks
// do not matter).
bool isPlayerClassId(const QString& classId);

// The PARAM elements inside an object, in document order, as (name, value) pairs. Parameters of an
// object nested inside it belong to that object and are left out.
platform::ObjectParams objectParams(const platform::HtmlNode& object);

// A player control for a player object, configured from its parameters; nullptr for any other object,
// which the page view then leaves empty.
QWidget* createPlayerObject(const platform::HtmlNode& object, QWidget* parent);

} // namespace lanseek::playback
