#pragma once

#include <optional>
#include <string>
#include <string_view>

// How a ticker finds its user's own quote service: the service writes where
// it listens, its process id and a token into a file in the user's private
// runtime folder, and puts the token into every answer. Another user cannot
// write there, so cannot pose as the service. No Qt: the service links this.
namespace quoterra::discovery {

// The header that carries the token in every answer of the service.
inline constexpr std::string_view kTokenHeader = "X-Quoterra-Token";
// The announcement, and the lock one service holds for its life, in the folder.
inline constexpr std::string_view kAnnouncementName = "service";
inline constexpr std::string_view kLockName = "service.lock";

struct Announcement {
    std::string origin; // "http://127.0.0.1:PORT"
    long pid = 0;
    std::string token; // 32 lowercase hex digits
    friend bool operator==(const Announcement&, const Announcement&) = default;
};

// $XDG_RUNTIME_DIR/quoterra; without that variable $XDG_CACHE_HOME/quoterra/run
// (~/.cache/quoterra/run). Relative values of the variables are ignored.
// Neither made nor checked here.
std::string announcementFolder();
// The announcement file in that folder.
std::string announcementFile();

// Why a folder cannot hold an announcement (not a folder, not the user's
// own, open to group or others), or nothing when it can.
std::optional<std::string> folderProblem(const std::string& folder);
// Makes the folder (0700, and its missing parents) unless it exists, then
// checks it as folderProblem does.
std::optional<std::string> prepareFolder(const std::string& folder);

// The three lines of an announcement, exactly:
//   origin=http://HOST:PORT
//   pid=PID
//   token=TOKEN
std::string announcementText(const Announcement& a);
std::optional<Announcement> parseAnnouncement(std::string_view text);

// The announcement a file holds, when its folder passes folderProblem and
// the file is the user's own, closed to others and three good lines.
std::optional<Announcement> readAnnouncement(const std::string& path);
// Replaces the file at once (never half written), readable by the user
// alone. Why it could not, or nothing.
std::optional<std::string> writeAnnouncement(const std::string& path, const Announcement& a);

// 32 lowercase hex digits from the system's random source.
std::string newToken();

} // namespace quoterra::discovery
