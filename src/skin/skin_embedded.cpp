#include "skin/skin_embedded.h"

#include <cstddef>

// Generated at build time from the packed skins.
extern const unsigned char kLanseekSkin1[];
extern const std::size_t kLanseekSkin1Size;
extern const unsigned char kLanseekSkin2[];
extern const std::size_t kLanseekSkin2Size;

namespace lanseek::skin {

QByteArray embeddedSkinStream(int engineIndex)
{
    const unsigned char* data = nullptr;
    std::size_t size = 0;
    if (engineIndex == 1) {
        data = kLanseekSkin1;
        size = kLanseekSkin1Size;
    } else if (engineIndex == 2) {
        data = kLanseekSkin2;
        size = kLanseekSkin2Size;
    } else {
        return {};
    }
    // The stored form announces a skin with a presence byte in front of the packed body.
    QByteArray out;
    out.reserve(qsizetype(size) + 1);
    out.append(char(2));
    out.append(reinterpret_cast<const char*>(data), qsizetype(size));
    return out;
}

} // namespace lanseek::skin
