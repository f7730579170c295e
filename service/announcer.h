#pragma once

#include "discovery/announcement.h"

#include <string>

namespace quoterra::service {

// The service that announces itself to its user's tickers: one a user,
// held by a lock for its life; its announcement goes when it ends, unless
// another has taken its place.
class Announcer {
public:
    explicit Announcer(std::string folder = discovery::announcementFolder());
    ~Announcer(); // withdraws, and lets go of the lock
    Announcer(const Announcer&) = delete;
    Announcer& operator=(const Announcer&) = delete;

    enum class Claim {
        Claimed, // the lock is ours
        Held,    // another live service holds it; `message` says where it serves
        Failed,  // the folder cannot be used; `message` says why
    };
    Claim claim(std::string& message);
    // Writes the announcement; false with the reason.
    bool announce(const discovery::Announcement& a, std::string& message);
    // Removes the announcement if it still names this process.
    void withdraw();

private:
    std::string folder_;
    std::string file_;
    int lock_ = -1;
};

} // namespace quoterra::service
