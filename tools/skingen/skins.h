#pragma once

#include <span>
#include <string_view>

namespace quoterra::skins {

// One embedded picture: its resource path and the pixel size the window's
// layout was measured against. Faces and buttons are placed in twips, so a
// picture of another size would push the labels off their places.
struct Picture {
    std::string_view path; // e.g. ":/skins/picDefaultShade.png"
    int width;
    int height;
};

// Every picture embedded by skins.qrc.
std::span<const Picture> pictures();

// The entry for a resource path, or nullptr when there is none.
const Picture* find(std::string_view path);

} // namespace quoterra::skins
