#include "announcement.h"

#include <fcntl.h>
#include <pwd.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <stdexcept>

namespace quoterra::discovery {

namespace {

constexpr std::size_t kTokenDigits = 32;
constexpr std::size_t kLargestFile = 512; // three short lines

// An absolute path without its final slashes, or nothing.
std::optional<std::string> absoluteVariable(const char* name)
{
    const char* value = std::getenv(name);
    if (!value || value[0] != '/')
        return std::nullopt;
    std::string path = value;
    while (path.size() > 1 && path.back() == '/')
        path.pop_back();
    return path == "/" ? std::string() : path;
}

std::string homeFolder()
{
    if (auto home = absoluteVariable("HOME"))
        return *home;
    const passwd* user = getpwuid(geteuid());
    return user && user->pw_dir ? user->pw_dir : "";
}

std::string parentOf(const std::string& path)
{
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
}

std::string because(const std::string& what)
{
    return what + ": " + std::strerror(errno);
}

bool allOf(std::string_view text, bool (*good)(char))
{
    return !text.empty() && std::all_of(text.begin(), text.end(), good);
}

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

bool isLowerHex(char c)
{
    return isDigit(c) || (c >= 'a' && c <= 'f');
}

bool isHostCharacter(char c)
{
    return isDigit(c) || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '.' || c == '-';
}

bool isAddress6Character(char c)
{
    return isLowerHex(c) || (c >= 'A' && c <= 'F') || c == ':' || c == '.';
}

// "http://HOST:PORT", HOST a name, a dotted address or a bracketed IPv6 one.
bool goodOrigin(std::string_view origin)
{
    if (!origin.starts_with("http://"))
        return false;
    origin.remove_prefix(7);
    const std::size_t colon = origin.rfind(':');
    if (colon == std::string_view::npos)
        return false;
    const std::string_view host = origin.substr(0, colon), port = origin.substr(colon + 1);
    const bool hostGood = host.starts_with('[')
        ? host.size() > 2 && host.ends_with(']') && allOf(host.substr(1, host.size() - 2), isAddress6Character)
        : allOf(host, isHostCharacter);
    unsigned number = 0;
    const auto [end, ec] = std::from_chars(port.data(), port.data() + port.size(), number);
    return hostGood && allOf(port, isDigit) && port.size() <= 5 && ec == std::errc() && end == port.end()
        && number >= 1 && number <= 65535;
}

} // namespace

std::string announcementFolder()
{
    if (const auto runtime = absoluteVariable("XDG_RUNTIME_DIR"))
        return *runtime + "/quoterra";
    const auto cache = absoluteVariable("XDG_CACHE_HOME");
    return (cache ? *cache : homeFolder() + "/.cache") + "/quoterra/run";
}

std::string announcementFile()
{
    return announcementFolder() + '/' + std::string(kAnnouncementName);
}

std::optional<std::string> folderProblem(const std::string& folder)
{
    struct stat st {};
    if (::lstat(folder.c_str(), &st) != 0)
        return because(folder);
    if (!S_ISDIR(st.st_mode))
        return folder + " is not a folder";
    if (st.st_uid != ::geteuid())
        return folder + " belongs to another user; the service announces itself only in a folder of your own";
    if ((st.st_mode & 077) != 0) {
        char mode[8];
        std::snprintf(mode, sizeof mode, "%04o", unsigned(st.st_mode & 07777));
        return folder + " is open to other users (mode " + mode + "); make it private with: chmod 700 " + folder;
    }
    return std::nullopt;
}

std::optional<std::string> prepareFolder(const std::string& folder)
{
    struct stat st {};
    if (::lstat(folder.c_str(), &st) != 0 && errno == ENOENT) {
        for (std::size_t slash = folder.find('/', 1);; slash = folder.find('/', slash + 1)) {
            const std::string part = folder.substr(0, slash);
            if (::mkdir(part.c_str(), 0700) != 0 && errno != EEXIST)
                return because("cannot make " + part);
            if (slash == std::string::npos)
                break;
        }
        ::chmod(folder.c_str(), 0700); // whatever the umask took away
    }
    return folderProblem(folder);
}

std::string announcementText(const Announcement& a)
{
    return "origin=" + a.origin + "\npid=" + std::to_string(a.pid) + "\ntoken=" + a.token + '\n';
}

std::optional<Announcement> parseAnnouncement(std::string_view text)
{
    std::string_view lines[3];
    for (std::string_view& line : lines) {
        const std::size_t end = text.find('\n');
        if (end == std::string_view::npos)
            return std::nullopt;
        line = text.substr(0, end);
        text.remove_prefix(end + 1);
    }
    if (!text.empty() || !lines[0].starts_with("origin=") || !lines[1].starts_with("pid=")
        || !lines[2].starts_with("token="))
        return std::nullopt;
    Announcement a;
    a.origin = lines[0].substr(7);
    const std::string_view pid = lines[1].substr(4);
    const auto [end, ec] = std::from_chars(pid.data(), pid.data() + pid.size(), a.pid);
    a.token = lines[2].substr(6);
    if (!goodOrigin(a.origin) || !allOf(pid, isDigit) || pid.front() == '0' || ec != std::errc() || end != pid.end()
        || a.pid <= 0
        || a.pid > 0x7FFFFFFF || a.token.size() != kTokenDigits || !allOf(a.token, isLowerHex))
        return std::nullopt;
    return a;
}

std::optional<Announcement> readAnnouncement(const std::string& path)
{
    if (folderProblem(parentOf(path)))
        return std::nullopt;
    const int fd = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return std::nullopt;
    struct stat st {};
    char bytes[kLargestFile + 1];
    ssize_t size = -1;
    if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_uid == ::geteuid() && (st.st_mode & 077) == 0)
        size = ::read(fd, bytes, sizeof bytes);
    ::close(fd);
    if (size < 0 || std::size_t(size) > kLargestFile)
        return std::nullopt;
    return parseAnnouncement(std::string_view(bytes, std::size_t(size)));
}

std::optional<std::string> writeAnnouncement(const std::string& path, const Announcement& a)
{
    std::string temporary = parentOf(path) + "/." + std::string(kAnnouncementName) + ".XXXXXX";
    const int fd = ::mkostemp(temporary.data(), O_CLOEXEC); // made 0600
    if (fd < 0)
        return because("cannot write in " + parentOf(path));
    const std::string text = announcementText(a);
    const bool written = ::fchmod(fd, 0600) == 0 && ::write(fd, text.data(), text.size()) == ssize_t(text.size());
    const bool closed = ::close(fd) == 0;
    if (written && closed && ::rename(temporary.c_str(), path.c_str()) == 0)
        return std::nullopt;
    const std::string why = because("cannot write " + path);
    ::unlink(temporary.c_str());
    return why;
}

std::string newToken()
{
    unsigned char random[kTokenDigits / 2];
    std::size_t got = 0;
    while (got < sizeof random) {
        const ssize_t n = ::getrandom(random + got, sizeof random - got, 0);
        if (n < 0 && errno != EINTR)
            throw std::runtime_error(because("no random numbers from the system"));
        got += std::size_t(std::max<ssize_t>(n, 0));
    }
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string token;
    for (const unsigned char byte : random) {
        token += kDigits[byte >> 4];
        token += kDigits[byte & 15];
    }
    return token;
}

} // namespace quoterra::discovery
