#pragma once

#include "skin/skin_embedded.h"
#include "skin/skin_source.h"

#include <QByteArray>
#include <memory>

namespace lanseek::test {

// The helpers speak of the code under test by its own names.
using namespace lanseek::skin;

inline std::unique_ptr<TSeSkinSource> embeddedSource(int index)
{
    auto source = std::make_unique<TSeSkinSource>();
    source->loadStoredForm(embeddedSkinStream(index));
    return source;
}

// Little-endian helpers for hand-built byte sequences.
inline QByteArray u32(quint32 v)
{
    QByteArray out;
    for (int i = 0; i < 4; ++i)
        out.append(char((v >> (8 * i)) & 0xFF));
    return out;
}

inline QByteArray str(const QByteArray& s)
{
    return u32(quint32(s.size())) + s;
}

inline QByteArray bytes(std::initializer_list<int> list)
{
    QByteArray out;
    for (int b : list)
        out.append(char(b));
    return out;
}

} // namespace lanseek::test
