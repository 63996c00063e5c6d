#pragma once

// What assistive technology sees of a skinned frame: the frame window is an accessible window named by
// the window's caption, and its children are the caption buttons on show (push buttons whose press
// action runs the button's action) followed by the owner inside it. The names the buttons are read out
// by are also the hints they show.

#include "skin/skin_types.h"

#include <QPoint>
#include <QString>

#include <vector>

class TSeSkinObject;
class TSeSystemButton;

namespace lanseek::skin {

// The name of a caption button of this action; empty for an action without a name (a custom one).
QString captionButtonName(TSeAction action);

// The visible caption buttons of a form tree that have a name, in the tree's order; a button inside a
// hidden object is not on show.
std::vector<TSeSystemButton*> captionButtons(TSeSkinObject* formTree);
// The caption button on show under a point of the window (a glyph inside a button counts as the button).
TSeSystemButton* captionButtonAt(TSeSkinObject* formTree, const QPoint& point);

// Gives every frame window its accessible interface; once per process, before the first frame window.
void installFrameAccessibility();

} // namespace lanseek::skin
