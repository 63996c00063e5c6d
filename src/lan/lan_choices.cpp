#include "lan/lan_choices.h"

#include <algorithm>

namespace lanseek::lan {

std::vector<LanChoice> lanChoices(const QList<LanService>& services)
{
    std::vector<LanChoice> choices;
    for (const LanService& service : services) {
        choices.push_back(
            {LanChoice::Kind::OneService, QStringLiteral("局域网：") + service.name, service.name});
    }
    std::stable_sort(choices.begin(), choices.end(),
                     [](const LanChoice& a, const LanChoice& b) { return a.serviceName < b.serviceName; });
    if (!choices.empty()) {
        choices.push_back({LanChoice::Kind::AllServices, QStringLiteral("局域网全部"), {}});
    }
    return choices;
}

} // namespace lanseek::lan
