#include "window_messages.h"

#include <QHash>
#include <QObject>
#include <QPointer>
#include <QWidget>

namespace quoterra {

namespace {

struct Window {
    QPointer<QWidget> widget;
    WNDPROC proc = nullptr;
    QMetaObject::Connection watch;
};

struct Windows {
    QHash<HWND, Window> byHandle;
    HWND next = 0x10000;
};

Windows& windows()
{
    static Windows w;
    return w;
}

Window* find(HWND hwnd)
{
    auto it = windows().byHandle.find(hwnd);
    return it == windows().byHandle.end() ? nullptr : &*it;
}

} // namespace

HWND CreateWindowHandle(QWidget* window, WNDPROC classProc)
{
    Windows& w = windows();
    const HWND hwnd = w.next;
    // Even numbers, as handles tend to be; never 0, never reused in a run.
    w.next += 2;
    Window entry;
    entry.widget = window;
    entry.proc = classProc ? classProc : &DefWindowProc;
    // A widget that dies without saying so still tells its chain.
    entry.watch = QObject::connect(window, &QObject::destroyed, [hwnd] { DestroyWindowHandle(hwnd); });
    w.byHandle.insert(hwnd, entry);
    return hwnd;
}

void DestroyWindowHandle(HWND hwnd)
{
    Window* entry = find(hwnd);
    if (!entry)
        return;
    QObject::disconnect(entry->watch);
    SendMessage(hwnd, WM_NCDESTROY, 0, 0);
    windows().byHandle.remove(hwnd);
}

bool IsWindow(HWND hwnd)
{
    return find(hwnd) != nullptr;
}

QWidget* WidgetFromHandle(HWND hwnd)
{
    Window* entry = find(hwnd);
    return entry ? entry->widget.data() : nullptr;
}

LONG_PTR GetWindowLong(HWND hwnd, int index)
{
    Window* entry = find(hwnd);
    if (!entry || index != GWL_WNDPROC)
        return 0;
    return procValue(entry->proc);
}

LONG_PTR SetWindowLong(HWND hwnd, int index, LONG_PTR newValue)
{
    Window* entry = find(hwnd);
    if (!entry || index != GWL_WNDPROC || newValue == 0)
        return 0;
    const LONG_PTR previous = procValue(entry->proc);
    entry->proc = reinterpret_cast<WNDPROC>(newValue);
    return previous;
}

LRESULT CallWindowProc(LONG_PTR previous, HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (previous == 0)
        return 0;
    return reinterpret_cast<WNDPROC>(previous)(hwnd, msg, wParam, lParam);
}

LRESULT SendMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    Window* entry = find(hwnd);
    if (!entry)
        return 0;
    // Copied: the procedure may rehook the window or destroy it.
    const WNDPROC proc = entry->proc;
    return proc(hwnd, msg, wParam, lParam);
}

LRESULT DefWindowProc(HWND, UINT, WPARAM, LPARAM)
{
    return 0;
}

bool ScreenToClient(HWND hwnd, POINT* point)
{
    QWidget* widget = WidgetFromHandle(hwnd);
    if (!widget || !point)
        return false;
    const QPoint local = widget->mapFromGlobal(QPoint(point->x, point->y));
    point->x = local.x();
    point->y = local.y();
    return true;
}

} // namespace quoterra
