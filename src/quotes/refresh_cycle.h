#pragma once

namespace quoterra {

// The configuration dialog's open flag. While it is set (the dialog or the
// update checker is open) the ticker fetches no quotes. It lives here so it
// can be read and set without loading the dialog.
inline bool ConfigOpen = false;

// The counting rule of the ticker's one-second timer: a fetch is due once
// the counter has reached the interval, so fetches come Interval + 1 ticks
// apart (plus the transfer, during which the timer is off).
class RefreshCycle {
public:
    enum class Step { Counted, Held, Fetch };

    short Interval = 10;
    int tickCounter = 0;
    bool paused = false;

    // One tick. On Fetch the caller fetches, then calls fetched().
    Step tick(bool configOpen)
    {
        if (tickCounter < Interval) {
            ++tickCounter;
            return Step::Counted;
        }
        if (configOpen || paused) {
            tickCounter = 0;
            return Step::Held;
        }
        return Step::Fetch;
    }
    void fetched() { tickCounter = 0; }

    // Returns the caption the pause menu item shows afterwards.
    const char* togglePause()
    {
        paused = !paused;
        return pauseCaption();
    }
    const char* pauseCaption() const { return paused ? "&Resume" : "&Pause"; }
};

} // namespace quoterra
