#pragma once

// The entries of the engine chooser: the default search service first, then, once the LAN has at least
// one service, "局域网全部" (one search over all of them, through the aggregator), then each service of
// the LAN by name. Each entry names the base address its searches, charts and singer lists go to.

#include <QString>

#include <map>
#include <vector>

namespace lanseek::search {

inline const QString kDefaultEngine = QStringLiteral("默认mp3搜索引擎");
inline const QString kAllLanEngines = QStringLiteral("局域网全部");

struct EngineEntry
{
    QString caption;
    QString base; // "http://host:port"

    bool operator==(const EngineEntry&) const = default;
};

// lanServices: name -> base of every LAN service that answers. aggregatorBase: where "局域网全部"
// searches; empty when there is no aggregator (the entry is then left out).
std::vector<EngineEntry> engineEntries(const QString& defaultBase, const QString& aggregatorBase,
                                       const std::map<QString, QString>& lanServices);

// The caption of a LAN service's entry: "局域网：" and its name.
QString lanEngineCaption(const QString& name);

} // namespace lanseek::search
