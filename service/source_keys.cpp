#include "source_keys.h"

#include "net/text.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace quoterra::service {

namespace {

constexpr off_t kLargestKeyFile = 64 * 1024;

std::string octal(mode_t mode)
{
    char text[8];
    std::snprintf(text, sizeof text, "%04o", unsigned(mode & 07777));
    return text;
}

// The file's text, or the reason it may not be used.
bool readPrivately(const std::string& path, std::string& text, std::string& problem)
{
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (fd < 0) {
        if (errno != ENOENT)
            problem = "cannot read the key file " + path + ": " + std::strerror(errno);
        return false;
    }
    struct stat st { };
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode))
        problem = "the key file " + path + " is not a regular file";
    else if (st.st_uid != ::geteuid())
        problem = "the key file " + path + " belongs to another user";
    else if ((st.st_mode & 077) != 0)
        problem = "the key file " + path + " can be read or changed by others (mode " + octal(st.st_mode)
            + "); its keys are used only when you alone can read it: chmod 600 " + path;
    else if (st.st_size > kLargestKeyFile)
        problem = "the key file " + path + " is larger than a key file can be";
    if (problem.empty()) {
        char buffer[4096];
        for (ssize_t n; (n = ::read(fd, buffer, sizeof buffer)) > 0 && text.size() <= std::size_t(kLargestKeyFile);)
            text.append(buffer, std::size_t(n));
    }
    ::close(fd);
    return problem.empty();
}

} // namespace

std::string SourceKeys::key(std::string_view source) const
{
    const auto it = keys.find(source);
    return it == keys.end() ? std::string() : it->second;
}

std::string SourceKeys::whyNoKey(std::string_view source) const
{
    return problem.empty() ? "no key: put one in " + path + " under [" + std::string(source) + "]" : problem;
}

std::string sourceKeysPath()
{
    if (const char* config = std::getenv("XDG_CONFIG_HOME"); config && *config == '/')
        return std::string(config) + "/Quoterra/sources.ini";
    const char* home = std::getenv("HOME");
    return std::string(home && *home ? home : "") + "/.config/Quoterra/sources.ini";
}

SourceKeys readSourceKeys(const std::string& path)
{
    SourceKeys result;
    result.path = path;
    std::string text;
    if (!readPrivately(path, text, result.problem))
        return result;
    std::string section;
    for (std::string_view line : net::splitOn(text, '\n')) {
        line = net::trimmed(line);
        if (line.starts_with('[') && line.ends_with(']')) {
            section = net::lowerAscii(net::trimmed(line.substr(1, line.size() - 2)));
            continue;
        }
        const std::size_t eq = line.find('=');
        if (section.empty() || eq == std::string_view::npos || line.starts_with('#') || line.starts_with(';'))
            continue;
        const std::string_view value = net::trimmed(line.substr(eq + 1));
        if (net::equalsIgnoringCase(net::trimmed(line.substr(0, eq)), "key") && !value.empty())
            result.keys[section] = std::string(value);
    }
    return result;
}

} // namespace quoterra::service
