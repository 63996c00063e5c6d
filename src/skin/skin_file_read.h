#pragma once

// Reading a skin file that a user picked: any of the four storage variants, told apart by the file's
// extension. Unlike the engine's own loading, which leaves an engine empty when a file is missing or bad,
// this reads into a source of its own and says what was wrong, so that a skin in use is replaced only by
// one that read whole.

#include <QString>

class TSeSkinSource;

namespace lanseek::skin {

enum class SkinFileProblem {
    None,
    Missing,    // no such file
    Unreadable, // it exists but cannot be opened
    NotASkin,   // no skin file extension, or nothing in it that a window could wear
    Damaged,    // a skin file whose data breaks off or does not decode
};

// Reads `path` into `into`. On success `into` holds the skin (hue 0); otherwise it is left empty.
SkinFileProblem readSkinFile(const QString& path, TSeSkinSource& into);

} // namespace lanseek::skin
