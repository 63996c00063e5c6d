#include "playback/player/player_object.h"

#include "playback/player_pages.h"

namespace lanseek::playback {

bool isPlayerClassId(const QString& classId)
{
    const QString id = classId.trimmed();
    return id.compare(kRealPlayerClassId, Qt::CaseInsensitive) == 0 ||
           id.compare(kWindowsMediaClassId, Qt::CaseInsensitive) == 0;
}

namespace {

void collectParams(const platform::HtmlNode& node, platform::ObjectParams& params)
{
    for (const auto& child : node.children) {
        if (child->type != platform::HtmlNode::Type::Element)
            continue;
        if (child->tag == QLatin1String("param"))
            params.emplace_back(child->attr(QStringLiteral("name")), child->attr(QStringLiteral("value")));
        else if (child->tag != QLatin1String("object"))
            collectParams(*child, params);
    }
}

} // namespace

platform::ObjectParams objectParams(const platform::HtmlNode& object)
{
    platform::ObjectParams params;
    collectParams(object, params);
    return params;
}

QWidget* createPlayerObject(const platform::HtmlNode& object, QWidget* parent)
{
    if (!isPlayerClassId(object.attr(QStringLiteral("classid"))))
        return nullptr;
    return platform::MediaPlayerControl::fromObjectParams(objectParams(object), parent);
}

} // namespace lanseek::playback
