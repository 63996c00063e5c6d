#pragma once

#include <cstddef>
#include <cstdint>

// The entry point shared by the play list fuzz target and the corpus replay test. Play lists come
// from the user's files and from the network (a list may name further lists on any server), so every
// reader of their text takes the bytes as they come.
namespace lanseek::platform::fuzz {

// First byte: the kind the list is opened as (0 by content, 1 ".rpm", 2 ".ram", 3 ".asx"); the rest
// is the list's bytes. Checks what the readers promise about what they return, and aborts when a
// promise is broken.
void playlistBytes(const uint8_t* data, size_t size);

} // namespace lanseek::platform::fuzz
