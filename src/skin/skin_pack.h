#pragma once

#include "skin/skin_source.h"

#include <QString>

namespace lanseek::skin {

// Reads a skin source folder into the source (which is cleared first):
//   skin.ini           lines "Key=Value" for SkinName, SkinVersion, Author, AuthorEMail, AuthorURL (UTF-8)
//   bitmaps/NN-name.png  bitmaps in file-name order, each named by the part after the first '-'
//   objects/*.txt      one top-level object per file in text form, in file-name order
// Transparent or magenta PNG pixels become the key. Throws SkinError naming the file that failed.
void loadSkinFolder(const QString& folder, TSeSkinSource& source);

// An object as a source file shows it: children nested as objects instead of packed into `Objects`.
FormObject toSourceForm(const TSeSkinObject& object);

// Draws a copy of an object laid out to (0, 0, width, height) in the given state (a ControlState, or a
// FrameState for a window frame) into a bitmap filled with the key; `active` sets the active flag of the
// whole copy. A text goes to the copy's title object, else to its "Text" object, else to the copy itself.
TSeBitmap renderSkinObject(const TSeSkinObject& master, int width, int height, int state, bool active = true,
                           const QString& text = QString());

} // namespace lanseek::skin
