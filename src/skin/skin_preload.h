#pragma once

// The program's own skins, decoded on a helper thread from the moment the program starts, so that the
// decoding overlaps with the making of the application object. The window takes each one when it builds
// the engine that wears it; until then nothing on the helper thread touches widgets or the display.

#include "skin/skin_source.h"

#include <future>
#include <memory>
#include <thread>

namespace lanseek::skin {

class EmbeddedSkinPreload
{
public:
    EmbeddedSkinPreload();
    ~EmbeddedSkinPreload(); // waits for the helper thread
    EmbeddedSkinPreload(const EmbeddedSkinPreload&) = delete;
    EmbeddedSkinPreload& operator=(const EmbeddedSkinPreload&) = delete;

    // The decoded skin of engine 1 or 2, waiting for it when it is not ready yet. A failure to decode is
    // thrown here, on the caller's thread. Nothing for any other index or a skin already taken.
    std::unique_ptr<TSeSkinSource> take(int engineIndex);

private:
    static constexpr int kEngines = 2;
    std::promise<std::unique_ptr<TSeSkinSource>> m_promises[kEngines];
    std::future<std::unique_ptr<TSeSkinSource>> m_futures[kEngines];
    std::thread m_thread;
};

} // namespace lanseek::skin
