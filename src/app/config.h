#pragma once

#include "app/context/application.h"
#include "ui/form.h"

#include <array>
#include <optional>

class QLineEdit;
class QRadioButton;

namespace quoterra {

class Program;

// The configuration dialog: refresh interval, ticker size and request
// time-out. OK writes them and reloads the ticker, whose load applies them.
class Config : public Dialog {
    Q_OBJECT
public:
    // The ranges a box must hold; text outside them never reaches the settings.
    static constexpr int kMaxSeconds = 32767;
    static constexpr int kMinInterval = 0;
    static constexpr int kMinTimeout = 1;

    // A whole number of seconds in [min, max], blanks around allowed.
    static std::optional<int> wholeSeconds(const QString& text, int min, int max);

    Config(Application& app, Program& program);

protected:
    void onLoad() override;
    bool onUnload() override;

private:
    void ok();
    void refuse(QLineEdit* box, const QString& message);

    Application& app_;
    Program& program_;
    QLineEdit* txtSeconds;
    QLineEdit* txtTimeout;
    std::array<QRadioButton*, 2> optTickerSize;
    FetchingHold fetching_;
};

} // namespace quoterra
