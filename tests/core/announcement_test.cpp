// The announcement a ticker reads to find its user's own quote service:
// only three good lines, in a file and a folder no one else can touch.
#include "test_support.h"

#include "discovery/announcement.h"

#include <sys/stat.h>
#include <unistd.h>

namespace quoterra::discovery {
namespace {

const std::string kToken = "0123456789abcdef0123456789abcdef";

TEST(Announcement, OnlyThreeGoodLinesAreAnAnnouncement)
{
    const Announcement good{"http://127.0.0.1:40123", 4242, kToken};
    ASSERT_EQ(parseAnnouncement(announcementText(good)), good);
    EXPECT_EQ(parseAnnouncement("origin=http://[::1]:8642\npid=1\ntoken=" + kToken + "\n"),
              (Announcement{"http://[::1]:8642", 1, kToken}));

    const std::pair<const char*, std::string> bad[] = {
        {"nothing", ""},
        {"no last line end", "origin=http://127.0.0.1:1\npid=1\ntoken=" + kToken},
        {"Windows line ends", "origin=http://127.0.0.1:1\r\npid=1\r\ntoken=" + kToken + "\r\n"},
        {"a fourth line", announcementText(good) + "extra=1\n"},
        {"lines in another order", "pid=1\norigin=http://127.0.0.1:1\ntoken=" + kToken + "\n"},
        {"https", "origin=https://127.0.0.1:1\npid=1\ntoken=" + kToken + "\n"},
        {"a path", "origin=http://127.0.0.1:1/x\npid=1\ntoken=" + kToken + "\n"},
        {"a user", "origin=http://me@127.0.0.1:1\npid=1\ntoken=" + kToken + "\n"},
        {"no port", "origin=http://127.0.0.1\npid=1\ntoken=" + kToken + "\n"},
        {"port 0", "origin=http://127.0.0.1:0\npid=1\ntoken=" + kToken + "\n"},
        {"port 65536", "origin=http://127.0.0.1:65536\npid=1\ntoken=" + kToken + "\n"},
        {"pid 0", "origin=http://127.0.0.1:1\npid=0\ntoken=" + kToken + "\n"},
        {"a pid written with a zero first", "origin=http://127.0.0.1:1\npid=042\ntoken=" + kToken + "\n"},
        {"a negative pid", "origin=http://127.0.0.1:1\npid=-5\ntoken=" + kToken + "\n"},
        {"a pid past any process", "origin=http://127.0.0.1:1\npid=99999999999\ntoken=" + kToken + "\n"},
        {"a short token", "origin=http://127.0.0.1:1\npid=1\ntoken=" + kToken.substr(1) + "\n"},
        {"an upper-case token", "origin=http://127.0.0.1:1\npid=1\ntoken=0123456789ABCDEF0123456789ABCDEF\n"},
        {"a space after the token", "origin=http://127.0.0.1:1\npid=1\ntoken=" + kToken + " \n"},
    };
    for (const auto& [what, text] : bad)
        EXPECT_FALSE(parseAnnouncement(text)) << what;
    EXPECT_NE(newToken(), newToken());
    EXPECT_TRUE(parseAnnouncement("origin=http://127.0.0.1:1\npid=1\ntoken=" + newToken() + "\n"));
}

// Another user who can write a file or a folder along the way could point
// the ticker at a server of theirs.
TEST(Announcement, AFileOrFolderOthersCanReachIsNotBelieved)
{
    const Announcement good{"http://127.0.0.1:40123", 4242, kToken};
    struct Case {
        const char* what;
        std::function<void(const std::string& folder, const std::string& file)> change;
        bool believed;
    };
    const Case cases[] = {
        {"as written", [](const std::string&, const std::string&) {}, true},
        {"a file the group may read", [](auto&, auto& file) { ::chmod(file.c_str(), 0640); }, false},
        {"a file others may read", [](auto&, auto& file) { ::chmod(file.c_str(), 0604); }, false},
        {"a folder the group may enter", [](auto& folder, auto&) { ::chmod(folder.c_str(), 0710); }, false},
        {"a folder others may enter", [](auto& folder, auto&) { ::chmod(folder.c_str(), 0701); }, false},
        {"a link to the file",
         [](auto&, auto& file) {
             ::rename(file.c_str(), (file + ".real").c_str());
             ::symlink((file + ".real").c_str(), file.c_str());
         },
         false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        QTemporaryDir root;
        const std::string folder = root.path().toStdString() + "/deep/quoterra", file = folder + "/service";
        ASSERT_FALSE(prepareFolder(folder));
        ASSERT_FALSE(writeAnnouncement(file, good));
        c.change(folder, file);
        EXPECT_EQ(readAnnouncement(file).has_value(), c.believed);
    }
}

} // namespace
} // namespace quoterra::discovery
