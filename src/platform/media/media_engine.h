#pragma once

// GStreamer's set-up for the whole process. Initialising it reads the plugin registry, and the first
// play of a kind of file loads the plugins that read and decode it (a decoder library alone can take
// tens of milliseconds). The program does that work on a helper thread while the user looks at the
// window, so the first play pays only for its own pipeline.

#include <atomic>
#include <thread>

namespace lanseek::platform {

// Initialises GStreamer once for the process. Safe from any thread: a caller that arrives while another
// thread is initialising waits until it is done. Every pipeline calls this before it is made, so the
// engine works whether or not a warm-up ran.
void initMediaEngine();

// Initialises GStreamer and loads the plugins a first play is likely to use (the player, the sources
// for files and web addresses, type finding, the demuxers, parsers and decoders of the program's
// media types, the audio output) on a helper thread. A pipeline made meanwhile waits only for the
// initialisation itself; the plugins are loaded under GStreamer's own lock, once, by whichever thread
// needs them first. Plugins a machine lacks are passed over.
class MediaEngineWarmUp
{
public:
    MediaEngineWarmUp();
    // Waits for the helper thread.
    ~MediaEngineWarmUp();
    MediaEngineWarmUp(const MediaEngineWarmUp&) = delete;
    MediaEngineWarmUp& operator=(const MediaEngineWarmUp&) = delete;

    // Waits until the warm-up has finished.
    void wait();
    bool finished() const;

private:
    std::atomic<bool> m_finished{false};
    std::thread m_thread;
};

} // namespace lanseek::platform
