#pragma once

// The engine chooser's entries for the LAN, as plain values: one "局域网：NAME" per service that answers,
// in order of name, and "局域网全部" after them once there is at least one. The window puts them after
// "默认mp3搜索引擎" and finds the service of a chosen entry by its name, never by its position.

#include "lan/service_directory.h"

#include <QList>
#include <QString>

#include <vector>

namespace lanseek::lan {

struct LanChoice
{
    enum class Kind { OneService, AllServices };
    Kind kind = Kind::OneService;
    QString caption;     // what the chooser shows
    QString serviceName; // the service's name for OneService; empty for AllServices
};

std::vector<LanChoice> lanChoices(const QList<LanService>& services);

} // namespace lanseek::lan
