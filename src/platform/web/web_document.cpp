#include "platform/web/web_document.h"

QString lanseek::platform::HtmlNode::attr(const QString& name) const
{
    for (const auto& [key, value] : attrs) {
        if (key.compare(name, Qt::CaseInsensitive) == 0) {
            return value;
        }
    }
    return {};
}
