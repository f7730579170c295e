#pragma once

#include <QString>

namespace quoterra {

// Every outside address the program uses, kept in one place. Each is a
// scheme and host (no trailing slash); paths and query keys are fixed by
// the callers. QUOTERRA_SERVICE=http://HOST:PORT replaces all of them.
struct ServiceHosts {
    QString quotes;          // comma-separated quotes: /d/quotes.csv
    QString charts;          // one-day and five-day chart images: /t, /v
    QString chartArchive;    // one-year chart images: /c/0b/...
    QString companyPages;    // news, profile, filings, research, insider pages
    QString quotePages;      // chart pages: /q?s=
    QString messageBoards;   // message boards: /?action=q&board=
    QString symbolLookup;    // symbol lookup: /l?s=
    QString dataProvider;    // the quote service's home page
    QString updateSite;      // /currentversion.txt
    QString makerSite;       // the maker's web site (a full address)
    QString makerMail;       // the maker's mail address (no "mailto:")
    QString makerName;       // shown as the contact
};

const ServiceHosts& hosts();

// The built-in hosts with `origin` (scheme://host[:port]) put in place of
// every web host; an empty origin gives the built-in hosts unchanged.
ServiceHosts hostsFor(const QString& origin);

// Checks a QUOTERRA_SERVICE value; returns the origin without a trailing
// slash, or an empty text and a reason when it is not http(s)://HOST[:PORT].
QString validServiceOrigin(const QString& value, QString* reason = nullptr);

} // namespace quoterra
