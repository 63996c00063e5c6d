#include "search/engine_entries.h"

namespace lanseek::search {

QString lanEngineCaption(const QString& name)
{
    return QStringLiteral("局域网：") + name;
}

std::vector<EngineEntry> engineEntries(const QString& defaultBase, const QString& aggregatorBase,
                                       const std::map<QString, QString>& lanServices)
{
    std::vector<EngineEntry> entries{{kDefaultEngine, defaultBase}};
    if (lanServices.empty())
        return entries;
    if (!aggregatorBase.isEmpty())
        entries.push_back({kAllLanEngines, aggregatorBase});
    // A map keeps the services in order of name, so entries keep their places as others come and go.
    for (const auto& [name, base] : lanServices)
        entries.push_back({lanEngineCaption(name), base});
    return entries;
}

} // namespace lanseek::search
