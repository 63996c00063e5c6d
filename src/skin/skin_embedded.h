#pragma once

#include <QByteArray>

namespace lanseek::skin {

// The stored form (presence byte and compressed body) of the program's own skins, packed from skins/
// at build time: engine 1 carries the window's main look, engine 2 the panels, tool bars, progress bars
// and download controls. Any other index gives an empty array.
QByteArray embeddedSkinStream(int engineIndex);

} // namespace lanseek::skin
