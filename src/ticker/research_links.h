#pragma once

#include <QString>

namespace quoterra {

struct ServiceHosts;

enum class ResearchLink { News, Profile, Filings, Research, Insider, Chart, MessageBoard };

// The address of a research page about `symbol`, exactly as the user
// clicked it: no escaping and no change of case. `chartCode` is the range
// code of a chart link ("&d=1b" ...).
QString researchAddress(const ServiceHosts& hosts, ResearchLink link, const QString& symbol,
                        const QString& chartCode = {});

} // namespace quoterra
