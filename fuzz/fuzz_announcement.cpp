// The announcement file a ticker reads to find its service: whatever it
// holds, reading never fails, and what reads as an announcement is exactly
// the text such an announcement is written as.
#include "discovery/announcement.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const auto announcement = quoterra::discovery::parseAnnouncement(text);
    if (announcement && quoterra::discovery::announcementText(*announcement) != text)
        std::abort();
    return 0;
}
