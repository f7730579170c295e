#pragma once

#include <QString>

namespace quoterra {

// Opens a web page (http or https) in the desktop's browser, or a mail
// address (mailto:) in its mail program. Anything else is refused: nothing
// the program builds from user text may start another program.
bool openInBrowser(const QString& address);

// The busy pointer over every window while it lives.
class Hourglass {
public:
    Hourglass();
    ~Hourglass();
    Hourglass(const Hourglass&) = delete;
    Hourglass& operator=(const Hourglass&) = delete;
};

} // namespace quoterra
