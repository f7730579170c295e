#pragma once

#include <QString>

namespace quoterra {

// The running program's own file, symbolic links resolved; empty when the
// system does not say.
QString runningProgramPath();

// What switching autostart on or off did, or why it could not, in a
// sentence for the user.
struct AutostartChange {
    bool done = false;
    QString message;
};

// On: writes the entry so that the session starts `program` (an absolute
// path), replacing an earlier entry whole. Off: removes the entry.
AutostartChange setAutostart(bool on, const QString& program);

} // namespace quoterra
