#pragma once

#include <QtGlobal>

#include <cstdint>

class QWidget;

namespace quoterra {

// Window handles and window procedures for the controls that take part in
// message dispatch (the list view and its header). A handle names one
// widget; each handle has a current window procedure that every message
// sent to it goes through, and which a program may replace and chain
// (subclassing). Message numbers and notification codes are the classic
// ones, so code written against them reads as it always has.
//
// wParam, lParam and results are pointer-sized: notifications pass their
// structures by address in lParam.
using HWND = qint32;
using UINT = quint32;
using WPARAM = std::uintptr_t;
using LPARAM = std::intptr_t;
using LRESULT = std::intptr_t;
using LONG_PTR = std::intptr_t;
using WNDPROC = LRESULT (*)(HWND, UINT, WPARAM, LPARAM);

inline constexpr int GWL_WNDPROC = -4;

inline constexpr UINT WM_NOTIFY = 78;        // 0x4E
inline constexpr UINT WM_NCDESTROY = 130;    // 0x82
inline constexpr UINT LVM_GETHEADER = 4127;  // 0x101F
inline constexpr UINT HDM_HITTEST = 4614;    // 0x1206

// Notification codes carried in NMHDR::code.
inline constexpr int NM_RCLICK = -5;
inline constexpr int HDN_BEGINTRACKA = -306;
inline constexpr int HDN_BEGINTRACKW = -326;

// Where an HDM_HITTEST point lies.
inline constexpr UINT HHT_NOWHERE = 0x1;
inline constexpr UINT HHT_ONHEADER = 0x2;
inline constexpr UINT HHT_ONDIVIDER = 0x4;
inline constexpr UINT HHT_ABOVE = 0x100;
inline constexpr UINT HHT_BELOW = 0x200;
inline constexpr UINT HHT_TORIGHT = 0x400;
inline constexpr UINT HHT_TOLEFT = 0x800;

struct POINT {
    qint32 x = 0;
    qint32 y = 0;
};

// The head of every WM_NOTIFY structure.
struct NMHDR {
    HWND hwndFrom = 0;
    std::uintptr_t idFrom = 0;
    int code = 0;
};

// Header notifications: the head, then the column (from 0) and the button.
struct NMHEADER {
    NMHDR hdr;
    int iItem = -1;
    int iButton = 0;
    void* pitem = nullptr;
};

struct HDHITTESTINFO {
    POINT pt;      // in the header's client pixels
    UINT flags = 0;
    int iItem = -1;
};

// Gives `window` a handle whose procedure is `classProc`. The handle is
// released (after WM_NCDESTROY) by DestroyWindowHandle, or when the widget
// is destroyed without it.
HWND CreateWindowHandle(QWidget* window, WNDPROC classProc);
// Sends WM_NCDESTROY through the handle's current procedure, then forgets
// the handle. Owners call it while they can still answer messages.
void DestroyWindowHandle(HWND hwnd);

bool IsWindow(HWND hwnd);
// The widget behind a handle; nullptr for an unknown or dying one.
QWidget* WidgetFromHandle(HWND hwnd);

// GWL_WNDPROC is the only index; anything else reads and changes nothing.
LONG_PTR GetWindowLong(HWND hwnd, int index);
// Returns the previous value, 0 when the handle is unknown.
LONG_PTR SetWindowLong(HWND hwnd, int index, LONG_PTR newValue);

// Calls `previous` (a value GetWindowLong returned) for the window.
LRESULT CallWindowProc(LONG_PTR previous, HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
// Calls the window's current procedure; 0 for an unknown handle.
LRESULT SendMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
// Answers 0 to everything: the end of every chain.
LRESULT DefWindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

// Screen pixels to the window's client pixels; false for an unknown handle.
bool ScreenToClient(HWND hwnd, POINT* point);

inline LONG_PTR procValue(WNDPROC proc)
{
    return reinterpret_cast<LONG_PTR>(proc);
}

} // namespace quoterra
