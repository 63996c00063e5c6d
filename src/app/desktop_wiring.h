#pragma once

// Puts the window on the desktop: its player and window on the session bus for media keys, media widgets
// and remotes, and a desktop note for each download that ends.

#include "app/desktop/desktop_session.h"

#include <QDBusConnection>

#include <memory>

class TForm1;

// Lives no longer than the window.
std::unique_ptr<lanseek::app::DesktopSession> attachToDesktop(TForm1& form, const QDBusConnection& bus);
