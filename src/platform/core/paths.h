#pragma once

#include <QString>

namespace quoterra {

// The folder that holds the symbol list and the chart picture:
// $QUOTERRA_HOME, else $XDG_DATA_HOME/Quoterra (~/.local/share/Quoterra),
// created when missing. `problem` says why it cannot be used (a file in its
// place, a folder that cannot be made); nothing is then written anywhere.
struct ApplicationDirectory {
    QString path;
    QString problem;
};
ApplicationDirectory applicationDirectory();

// $XDG_CONFIG_HOME/Quoterra/registry.ini (~/.config/Quoterra/registry.ini).
QString registryFilePath();

// $XDG_STATE_HOME/Quoterra (~/.local/state/Quoterra), where the quote
// service's log goes; not created here.
QString stateDirectory();

} // namespace quoterra
