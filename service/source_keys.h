#pragma once

#include <map>
#include <string>
#include <string_view>

// The user's keys for the sources that need one. They live in one file in
// the user's config folder, never on a command line (which every user sees
// in `ps`), and are used only from a file that the user alone can read:
//
//   [csv]
//   key = 0123456789abcdef
namespace quoterra::service {

struct SourceKeys {
    std::string path;    // where the file is, or would be
    std::string problem; // why the file was not used; empty when it was, or when there is none
    std::map<std::string, std::string, std::less<>> keys; // by source name

    std::string key(std::string_view source) const;
    // What a keyed source without its key says in /_status and the table of
    // --check-sources.
    std::string whyNoKey(std::string_view source) const;
};

// $XDG_CONFIG_HOME/Quoterra/sources.ini, else ~/.config/Quoterra/sources.ini.
std::string sourceKeysPath();

// The keys in the file at `path`; none, with the reason, when the file is
// not a regular file of this user's, can be read or changed by others, or
// is too large to be a key file. No file is no keys and no problem.
SourceKeys readSourceKeys(const std::string& path);

} // namespace quoterra::service
