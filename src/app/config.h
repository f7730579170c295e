#pragma once

#include "platform/controls.h"
#include "platform/forms.h"

#include <array>
#include <optional>

namespace quoterra {

// The configuration dialog: refresh interval, ticker size and request
// time-out. OK writes them and reloads the ticker, whose load applies them.
class Config : public Form {
    Q_OBJECT
public:
    static inline const QString kName = QStringLiteral("Config");

    // The ranges a box must hold; text outside them never reaches the settings.
    static constexpr int kMaxSeconds = 32767;
    static constexpr int kMinInterval = 0;
    static constexpr int kMinTimeout = 1;

    static QString intervalMessage();
    static QString timeoutMessage();

    // A whole number of seconds in [min, max], blanks around allowed.
    static std::optional<int> wholeSeconds(const QString& text, int min, int max);

    // The dialog's open flag; shared with the update checker and read by
    // the ticker's refresh, so it lives outside the dialog.
    static bool open();
    static void setOpen(bool on);

    Config();
    ~Config() override;

    Frame* Frame3;
    Label* Label3;
    TextBox* txtSeconds;
    Label* Label4;

    Frame* Frame4;
    std::array<OptionButton*, 2> optTickerSize;

    Frame* Frame5;
    Label* Label2;
    TextBox* txtTimeout;
    Label* Label5;

    CommandButton* Command1;
    CommandButton* Command2;

protected:
    void Form_Load() override;
    void Form_Unload(int& cancel) override;

private:
    void ok();
    void cancel();
    void refuse(TextBox* box, const QString& message);

    bool holding_ = false; // loaded and not yet unloaded
};

} // namespace quoterra
