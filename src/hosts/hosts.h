#pragma once

#include <QString>

#include <optional>

namespace quoterra {

// Every outside address the program uses, in one place: each a scheme and
// host (no trailing slash); the paths and query keys are the callers'. They
// all lead to the bundled quote service on this machine, unless
// QUOTERRA_SERVICE=http://HOST:PORT names another origin.
struct ServiceHosts {
    QString quotes;        // comma-separated quotes: /d/quotes.csv
    QString charts;        // one-day and five-day chart images: /t, /v
    QString chartArchive;  // one-year chart images: /c/0b/...
    QString companyPages;  // news, profile, filings, research, insider pages
    QString quotePages;    // chart pages: /q?s=
    QString messageBoards; // message boards: /?action=q&board=
    QString symbolLookup;  // symbol lookup: /l?s=
    QString dataProvider;  // the quote service's home page
    QString updateSite;    // /currentversion.txt
    QString makerSite;     // the maker's web site (a full address)
    QString makerMail;     // the maker's mail address (no "mailto:")
    QString makerName;     // shown as the contact

    // Every web host on `origin`.
    static ServiceHosts at(const QString& origin);
};

// A QUOTERRA_SERVICE value as an origin ("http://HOST[:PORT]", IPv6 hosts
// in brackets), or why it is not one.
struct ServiceOrigin {
    QString origin;
    QString problem;
};
ServiceOrigin serviceOrigin(const QString& value);

// The origin QUOTERRA_SERVICE names, or nothing when it is not set;
// `problem` is set when it names no usable origin.
std::optional<QString> namedService(QString* problem = nullptr);

} // namespace quoterra
