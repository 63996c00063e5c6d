#include "platform/media/object_params.h"

namespace lanseek::platform {

namespace {

bool isTrue(const QString& value, bool fallback)
{
    const QString v = value.trimmed().toLower();
    if (v == u"true" || v == u"yes" || v == u"on")
        return true;
    if (v == u"false" || v == u"no" || v == u"off")
        return false;
    bool ok = false;
    const long long n = v.toLongLong(&ok);
    return ok ? n != 0 : fallback;
}

} // namespace

PlayerObjectSettings playerObjectSettings(const ObjectParams& params)
{
    PlayerObjectSettings s;
    for (const auto& [name, value] : params) {
        const QString n = name.trimmed();
        if (n.compare(u"SRC", Qt::CaseInsensitive) == 0 || n.compare(u"fileName", Qt::CaseInsensitive) == 0)
            s.source = value;
        else if (n.compare(u"AUTOSTART", Qt::CaseInsensitive) == 0)
            s.autoStart = isTrue(value, true);
        else if (n.compare(u"ShowStatusBar", Qt::CaseInsensitive) == 0)
            s.showStatusBar = isTrue(value, false);
    }
    return s;
}

QString formatPlayTime(qint64 ms)
{
    if (ms < 0)
        return QStringLiteral("--:--");
    const qint64 seconds = ms / 1000;
    return QStringLiteral("%1:%2").arg(seconds / 60).arg(seconds % 60, 2, 10, QLatin1Char('0'));
}

} // namespace lanseek::platform
