#pragma once

#include <QByteArray>
#include <QString>

namespace quoterra {

// Why the quote service had no quote, in one line for the price's tool tip,
// from the body of its GET /_status: which live sources fail and how
// ("No quote source answers: chart-JSON 429, quote-JSON time-out"). An
// empty or foreign body means the service itself did not answer.
QString noQuoteReason(const QByteArray& statusBody);

// Said instead when another program answers in the quote service's place.
inline const QString kNotTheQuoteService =
    QStringLiteral("Another program answers in place of Quoterra's quote service");

} // namespace quoterra
