#pragma once

#include <QString>

namespace quoterra {

// The application directory holds the symbol list and the chart picture:
// $QUOTERRA_HOME, else $XDG_DATA_HOME/Quoterra (~/.local/share/Quoterra).
// Created when missing.
QString applicationDirectory();

// Makes the application directory the current directory; false when it
// cannot be made or entered.
bool makeApplicationDirectoryCurrent();

// $XDG_CONFIG_HOME/Quoterra/registry.ini (~/.config/Quoterra/registry.ini).
QString registryFilePath();

} // namespace quoterra
