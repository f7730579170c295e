#pragma once

#include "options.h"

#include <ostream>

namespace quoterra::service {

// quoterra-service --check-sources [SYMBOL]: asks every source once for the
// symbol, as the live market would, and prints a table of what each said
// and how long it took. 0 when at least one source answered, else 1.
int checkSources(const Options& options, std::ostream& out);

} // namespace quoterra::service
