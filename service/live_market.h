#pragma once

#include "backend.h"
#include "options.h"

#include <memory>
#include <string>

namespace quoterra::service {

// The live market: a gateway that answers the ticker's addresses from public
// quote sources, tried in order, each with a health state and a back-off.
// Answers are cached per symbol and span; however many clients ask, one
// upstream request per symbol and span is under way at a time. It never
// makes up a number: without a source it answers the quote path with an
// empty body (status 503) and says why in the log, once a minute.
class LiveMarket : public Backend {
public:
    // Its sources, research site, version text and upstream time-out.
    explicit LiveMarket(const Options& options);
    ~LiveMarket() override; // ends upstream requests in flight
    void answer(std::string_view target, Respond respond) override;
    std::string status() const override;

private:
    struct Impl;
    std::unique_ptr<Impl> d;
};

} // namespace quoterra::service
