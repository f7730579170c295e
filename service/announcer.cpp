#include "announcer.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace quoterra::service {

Announcer::Announcer(std::string folder)
    : folder_(std::move(folder))
    , file_(folder_ + '/' + std::string(discovery::kAnnouncementName))
{
}

Announcer::~Announcer()
{
    withdraw();
    if (lock_ >= 0)
        ::close(lock_);
}

Announcer::Claim Announcer::claim(std::string& message)
{
    if (const auto problem = discovery::prepareFolder(folder_)) {
        message = "cannot announce itself: " + *problem;
        return Claim::Failed;
    }
    const std::string path = folder_ + '/' + std::string(discovery::kLockName);
    lock_ = ::open(path.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (lock_ < 0) {
        message = "cannot announce itself: " + path + ": " + std::strerror(errno);
        return Claim::Failed;
    }
    if (::flock(lock_, LOCK_EX | LOCK_NB) == 0)
        return Claim::Claimed;
    const int error = errno;
    ::close(lock_);
    lock_ = -1;
    if (error != EWOULDBLOCK) {
        message = "cannot announce itself: " + path + ": " + std::strerror(error);
        return Claim::Failed;
    }
    // The lock goes with its holder, so whoever holds it is alive.
    const auto other = discovery::readAnnouncement(file_);
    message = "another quoterra-service already serves this user"
        + (other ? " at " + other->origin + " (process " + std::to_string(other->pid) + ")" : std::string())
        + "; see " + file_;
    return Claim::Held;
}

bool Announcer::announce(const discovery::Announcement& a, std::string& message)
{
    if (const auto problem = discovery::writeAnnouncement(file_, a)) {
        message = "cannot announce itself: " + *problem;
        return false;
    }
    return true;
}

void Announcer::withdraw()
{
    if (lock_ < 0)
        return;
    if (const auto mine = discovery::readAnnouncement(file_); mine && mine->pid == ::getpid())
        ::unlink(file_.c_str());
}

} // namespace quoterra::service
