#pragma once

#include <QPoint>
#include <QRect>

#include <optional>

namespace quoterra {

// The screen as the program sees it: dots per inch, twips per pixel per
// axis, the work area (desktop minus panels) and the cursor, in pixels.
// Tests install a screen of their own with setScreen().
class Screen {
public:
    virtual ~Screen() = default;
    virtual int dpiX() const = 0;
    virtual int dpiY() const = 0;
    virtual QRect workArea() const = 0;
    virtual QPoint systemCursorPos() const = 0;

    float twipsPerPixelX() const { return 1440.0f / float(dpiX() > 0 ? dpiX() : 96); }
    float twipsPerPixelY() const { return 1440.0f / float(dpiY() > 0 ? dpiY() : 96); }

    // While a mouse event is handled, the cursor is where that event
    // happened: events can queue up behind a slow step, and the system's
    // cursor has moved on by the time a queued one is handled.
    QPoint cursorPos() const { return eventCursor_ ? *eventCursor_ : systemCursorPos(); }

    class EventCursor {
    public:
        EventCursor(Screen& screen, QPoint globalPos);
        ~EventCursor();
        EventCursor(const EventCursor&) = delete;
        EventCursor& operator=(const EventCursor&) = delete;

    private:
        Screen& screen_;
        std::optional<QPoint> previous_;
    };

private:
    std::optional<QPoint> eventCursor_;
};

// The primary screen of the running desktop.
class SystemScreen : public Screen {
public:
    int dpiX() const override;
    int dpiY() const override;
    QRect workArea() const override;
    QPoint systemCursorPos() const override;
};

Screen& screen();
// Installs `s` (not owned) as the program's screen; nullptr restores the system's.
void setScreen(Screen* s);

// The screen's horizontal logical dots per inch: 96 (small fonts) and 120
// (large fonts) are the only ones the program supports.
int DPI();

} // namespace quoterra
