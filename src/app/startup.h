#pragma once

#include <QString>

namespace quoterra {

inline const QString kFontSizeMessage = QStringLiteral(
    "Quoterra must be run in either Small or Large Font mode. You are not using either of these. "
    "If you would like to use Quoterra, please adjust your Font Size.");

// Makes every window known to the forms kit by name.
void registerForms();

// The program's first code: settings keys, the font-size check, the ticker,
// and the welcome text for a user without symbols. False when the program
// must end at once (unsupported font size).
bool StartUp();

} // namespace quoterra
