#include "research_links.h"

#include "hosts/hosts.h"

namespace quoterra {

QString researchAddress(const ServiceHosts& h, ResearchLink link, const QString& symbol, const QString& chartCode)
{
    const QString first = symbol.left(1);
    auto companyPage = [&](const char* prefix) {
        return h.companyPages + QLatin1String(prefix) + first + u'/' + symbol + QStringLiteral(".html");
    };
    switch (link) {
    case ResearchLink::News:
        return companyPage("/n/");
    case ResearchLink::Profile:
        return companyPage("/p/");
    case ResearchLink::Filings:
        return companyPage("/e/l/");
    case ResearchLink::Research:
        return companyPage("/z/a/");
    case ResearchLink::Insider:
        return companyPage("/t/");
    case ResearchLink::Chart:
        return h.quotePages + QStringLiteral("/q?s=") + symbol + chartCode;
    case ResearchLink::MessageBoard:
        return h.messageBoards + QStringLiteral("/?action=q&board=") + symbol;
    }
    return {};
}

} // namespace quoterra
