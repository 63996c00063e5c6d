#include "skin/skin_preload.h"

#include "platform/log/exception_cause.h"
#include "skin/skin_embedded.h"
#include "skin/skin_log.h"

#include <exception>

namespace lanseek::skin {

EmbeddedSkinPreload::EmbeddedSkinPreload()
{
    for (int i = 0; i < kEngines; ++i)
        m_futures[i] = m_promises[i].get_future();
    // One thread for both: the first engine's skin is wanted first, and the program's main thread keeps
    // the other processor busy meanwhile.
    m_thread = std::thread([this] {
        for (int i = 0; i < kEngines; ++i) {
            try {
                auto source = std::make_unique<TSeSkinSource>();
                source->loadStoredForm(embeddedSkinStream(i + 1));
                m_promises[i].set_value(std::move(source));
            } catch (...) {
                // The window hears of it when it takes the skin; should it never take it, the failure
                // would pass unseen, so it is logged as it happens.
                qCWarning(skinLog).noquote()
                    << QStringLiteral("the program's skin %1 could not be decoded: %2")
                           .arg(QString::number(i + 1),
                                lanseek::platform::exceptionCause(std::current_exception()));
                m_promises[i].set_exception(std::current_exception());
            }
        }
    });
}

EmbeddedSkinPreload::~EmbeddedSkinPreload()
{
    m_thread.join();
}

std::unique_ptr<TSeSkinSource> EmbeddedSkinPreload::take(int engineIndex)
{
    if (engineIndex < 1 || engineIndex > kEngines || !m_futures[engineIndex - 1].valid())
        return nullptr;
    return m_futures[engineIndex - 1].get();
}

} // namespace lanseek::skin
