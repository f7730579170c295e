#include "subclass.h"

#include <vector>

namespace quoterra {

namespace {

// What the control measures at design time; it never shows at run time.
constexpr int kIconPixels = 32;

std::vector<WinProc::Entry>& table()
{
    static std::vector<WinProc::Entry> entries;
    return entries;
}

} // namespace

// ---- Subclass -------------------------------------------------------------

Subclass::Subclass(QWidget* container, const QString& name)
    : Control(container, name)
{
    setVisible(false);
    adoptPixelSize(QSize(kIconPixels, kIconPixels));
}

Subclass::~Subclass()
{
    if (hwnd_ != 0)
        WinProc::UnhookWindow(hwnd_);
}

bool Subclass::Messages(UINT msg) const
{
    return messages_.contains(msg);
}

void Subclass::setMessages(UINT msg, bool watch)
{
    const bool watched = messages_.contains(msg);
    if (watch && !watched)
        messages_.append(msg);
    else if (!watch && watched)
        messages_.removeOne(msg);
}

void Subclass::setHWnd(HWND hwnd)
{
    if (hwnd == hwnd_)
        return;
    if (hwnd_ != 0)
        WinProc::UnhookWindow(hwnd_);
    hwnd_ = hwnd;
    if (hwnd_ != 0)
        WinProc::HookWindow(hwnd_, this);
}

LRESULT Subclass::CallWndProc(UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (hwnd_ == 0)
        return 0;
    return WinProc::CallPreviousProc(hwnd_, msg, wParam, lParam);
}

void Subclass::resizeEvent(QResizeEvent* event)
{
    Control::resizeEvent(event);
    if (size() != QSize(kIconPixels, kIconPixels))
        adoptPixelSize(QSize(kIconPixels, kIconPixels));
}

// ---- WinProc --------------------------------------------------------------

namespace WinProc {

void HookWindow(HWND hwnd, Subclass* control)
{
    if (hwnd == 0)
        return;
    UnhookWindow(hwnd);
    table().push_back(Entry{hwnd, control, GetWindowLong(hwnd, GWL_WNDPROC)});
    SetWindowLong(hwnd, GWL_WNDPROC, procValue(&SubclassWndProc));
}

void UnhookWindow(HWND hwnd)
{
    auto& entries = table();
    if (entries.empty())
        return;
    for (auto it = entries.begin(); it != entries.end(); ++it) {
        if (it->hwnd != hwnd)
            continue;
        SetWindowLong(hwnd, GWL_WNDPROC, it->previous);
        entries.erase(it);
        return;
    }
}

LRESULT CallPreviousProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    for (const Entry& e : table()) {
        if (e.hwnd == hwnd)
            return CallWindowProc(e.previous, hwnd, msg, wParam, lParam);
    }
    return 0;
}

LRESULT SubclassWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    // Only the entries there when the message came: a handler may hook more.
    const auto& entries = table();
    const std::size_t count = entries.size();
    std::size_t found = count;
    for (std::size_t i = 0; i < count; ++i) {
        if (entries[i].hwnd == hwnd) {
            found = i;
            break;
        }
    }
    if (found == count)
        return 0;
    const QPointer<Subclass> control = entries[found].control;
    const LONG_PTR previous = entries[found].previous;

    LRESULT result = 0;
    if (control && control->Messages(msg)) {
        UINT m = msg;
        WPARAM w = wParam;
        LPARAM l = lParam;
        try {
            emit control->WndProc(m, w, l, result);
        } catch (...) {
            // A failing handler must not take the window down with it.
        }
    } else {
        result = CallWindowProc(previous, hwnd, msg, wParam, lParam);
    }

    if (msg == WM_NCDESTROY) {
        if (control)
            control->setHWnd(0);
        else
            UnhookWindow(hwnd);
    }
    return result;
}

qint16 EntryCount()
{
    return qint16(table().size());
}

Entry EntryAt(int index)
{
    if (index < 1 || index > int(table().size()))
        return {};
    return table()[std::size_t(index - 1)];
}

} // namespace WinProc

} // namespace quoterra
