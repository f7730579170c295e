#include "symbol_manager_fixture.h"

#include "platform/listview.h"
#include "platform/window_messages.h"
#include "symbols/subclass.h"

#include <QHeaderView>
#include <QTest>
#include <QTreeWidget>

#include <memory>
#include <vector>

namespace quoterra::test {
namespace {

struct Call {
    HWND hwnd;
    UINT msg;
    WPARAM wParam;
    LPARAM lParam;
    bool operator==(const Call&) const = default;
};

std::vector<Call> g_calls;

// A window's own procedure that remembers what reached it.
LRESULT recordingProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    g_calls.push_back({hwnd, msg, wParam, lParam});
    return LRESULT(msg) * 3 + 1;
}

// A window with a list view and a subclassing control, as the Symbol
// Manager has, but answering nothing by itself.
class Host : public Form {
public:
    explicit Host(const QString& name)
        : Form(name, Window)
    {
        Move(0, 0, 4200, 3000);
        list = new ListView(this, QStringLiteral("List"));
        list->Move(120, 120, 3900, 2400);
        list->addColumnHeader(QStringLiteral("One"));
        list->addColumnHeader(QStringLiteral("Two"));
        list->setColumnWidth(0, 1200);
        list->setColumnWidth(1, 1500);
        sub = new Subclass(this, QStringLiteral("Sub"));
    }
    ListView* list;
    Subclass* sub;
};

Host* showHost(const QString& name)
{
    auto* host = static_cast<Host*>(Forms::load(new Host(name)));
    if (host)
        host->Show();
    return host;
}

LRESULT notify(HWND list, HWND from, int code, int item = -1)
{
    NMHEADER notice;
    notice.hdr.hwndFrom = from;
    notice.hdr.code = code;
    notice.iItem = item;
    return SendMessage(list, WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&notice));
}

// Drags the resize grip at the right edge of `column` by `dx` pixels.
void dragGrip(QHeaderView* header, int column, int dx, bool doubleClick = false)
{
    const int edge = header->sectionViewportPosition(column) + header->sectionSize(column) - 1;
    const QPoint grip(edge, header->height() / 2);
    if (doubleClick) {
        test::doubleClick(header->viewport(), grip);
        return;
    }
    QTest::mousePress(header->viewport(), Qt::LeftButton, {}, grip);
    QTest::mouseMove(header->viewport(), grip + QPoint(dx / 2, 0));
    QTest::mouseMove(header->viewport(), grip + QPoint(dx, 0));
    QTest::mouseRelease(header->viewport(), Qt::LeftButton, {}, grip + QPoint(dx, 0));
}

class SubclassTest : public SymbolManagerTest {
protected:
    void SetUp() override
    {
        SymbolManagerTest::SetUp();
        g_calls.clear();
    }
};

TEST_F(SubclassTest, TheSameHandleTwiceHooksTheWindowOnce)
{
    QWidget window;
    const HWND hwnd = CreateWindowHandle(&window, &recordingProc);
    const LONG_PTR own = GetWindowLong(hwnd, GWL_WNDPROC);
    Subclass sub(nullptr, QStringLiteral("Sub"));

    sub.setHWnd(hwnd);
    sub.setHWnd(hwnd);
    WinProc::HookWindow(hwnd, &sub);
    ASSERT_EQ(WinProc::EntryCount(), 1);
    EXPECT_EQ(WinProc::EntryAt(1).hwnd, hwnd);
    EXPECT_EQ(WinProc::EntryAt(1).control.data(), &sub);
    // Hooked on top of its own procedure, never on top of the hook itself.
    EXPECT_EQ(WinProc::EntryAt(1).previous, own);
    EXPECT_EQ(GetWindowLong(hwnd, GWL_WNDPROC), procValue(&WinProc::SubclassWndProc));
    EXPECT_EQ(SendMessage(hwnd, 5, 1, 2), 16);
    EXPECT_EQ(g_calls.size(), 1u);

    sub.setHWnd(0);
    EXPECT_EQ(WinProc::EntryCount(), 0);
    EXPECT_EQ(GetWindowLong(hwnd, GWL_WNDPROC), own);
    EXPECT_EQ(sub.CallWndProc(5, 0, 0), 0);
}

TEST_F(SubclassTest, WatchedMessagesAreAListWithoutDuplicates)
{
    Subclass sub(nullptr, QStringLiteral("Sub"));
    struct Step {
        UINT msg;
        bool watch;
        int count;
    };
    const Step steps[] = {
        {WM_NOTIFY, true, 1}, {WM_NOTIFY, true, 1}, {HDM_HITTEST, true, 2},
        {WM_NOTIFY, false, 1}, {WM_NOTIFY, false, 1}, {HDM_HITTEST, false, 0},
    };
    for (const Step& s : steps) {
        sub.setMessages(s.msg, s.watch);
        EXPECT_EQ(sub.watchedCount(), s.count);
        EXPECT_EQ(sub.Messages(s.msg), s.watch);
    }
}

TEST_F(SubclassTest, UnwatchedMessagesReachTheWindowExactlyAsSent)
{
    QWidget window;
    const HWND hwnd = CreateWindowHandle(&window, &recordingProc);
    Subclass sub(nullptr, QStringLiteral("Sub"));
    sub.setHWnd(hwnd);
    sub.setMessages(WM_NOTIFY, true);
    bool passOn = false;
    QObject::connect(&sub, &Subclass::WndProc, &sub, [&](UINT& msg, WPARAM& w, LPARAM& l, LRESULT& result) {
        result = passOn ? sub.CallWndProc(msg, w, l) : 42;
    });

    const Call unwatched[] = {{hwnd, 5, 7, -9}, {hwnd, HDM_HITTEST, 0, 123456789}, {hwnd, 0xC000, ~WPARAM(0), -1}};
    for (const Call& c : unwatched) {
        g_calls.clear();
        EXPECT_EQ(SendMessage(hwnd, c.msg, c.wParam, c.lParam), LRESULT(c.msg) * 3 + 1);
        ASSERT_EQ(g_calls.size(), 1u);
        EXPECT_EQ(g_calls[0], c);
    }

    // A watched message is the handler's: the window sees it only if passed on.
    g_calls.clear();
    EXPECT_EQ(SendMessage(hwnd, WM_NOTIFY, 3, 4), 42);
    EXPECT_TRUE(g_calls.empty());
    passOn = true;
    EXPECT_EQ(SendMessage(hwnd, WM_NOTIFY, 3, 4), LRESULT(WM_NOTIFY) * 3 + 1);
    ASSERT_EQ(g_calls.size(), 1u);
    EXPECT_EQ(g_calls[0], (Call{hwnd, WM_NOTIFY, 3, 4}));
    sub.setHWnd(0);
}

TEST_F(SubclassTest, ADestroyedWindowIsUnhookedAndCallWndProcReturnsZero)
{
    struct Case {
        const char* what;
        std::function<std::pair<QWidget*, HWND>()> make;
        bool recorded;
    };
    const Case cases[] = {
        {"a plain window",
         [] {
             auto* w = new QWidget;
             return std::pair<QWidget*, HWND>(w, CreateWindowHandle(w, &recordingProc));
         },
         true},
        {"a list view", [] {
             auto* list = new ListView(nullptr, QStringLiteral("List"));
             return std::pair<QWidget*, HWND>(list, list->hWnd());
         },
         false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        g_calls.clear();
        auto [window, hwnd] = c.make();
        Subclass sub(nullptr, QStringLiteral("Sub"));
        sub.setMessages(WM_NOTIFY, true);
        sub.setHWnd(hwnd);
        ASSERT_EQ(WinProc::EntryCount(), 1);

        delete window;
        EXPECT_FALSE(IsWindow(hwnd));
        EXPECT_EQ(WinProc::EntryCount(), 0);
        EXPECT_EQ(sub.hWnd(), 0);
        EXPECT_EQ(sub.CallWndProc(WM_NOTIFY, 0, 0), 0);
        EXPECT_EQ(SendMessage(hwnd, 5, 0, 0), 0);
        // The window's own procedure heard of its end, through the hook.
        if (c.recorded) {
            ASSERT_EQ(g_calls.size(), 1u);
            EXPECT_EQ(g_calls[0], (Call{hwnd, WM_NCDESTROY, 0, 0}));
        }
    }
}

TEST_F(SubclassTest, ControlsOnTwoWindowsWorkAtOnceAndApart)
{
    Host* first = showHost(QStringLiteral("First"));
    Host* second = showHost(QStringLiteral("Second"));
    ASSERT_TRUE(first && second);
    QStringList heard;
    for (Host* host : {first, second}) {
        host->sub->setMessages(WM_NOTIFY, true);
        host->sub->setHWnd(host->list->hWnd());
        QObject::connect(host->sub, &Subclass::WndProc, host,
                         [&heard, host](UINT&, WPARAM&, LPARAM& l, LRESULT& result) {
                             const auto* n = reinterpret_cast<const NMHEADER*>(l);
                             heard.append(host->Name() + QLatin1Char(':') + QString::number(n->iItem));
                             result = -1;
                         });
    }
    EXPECT_EQ(WinProc::EntryCount(), 2);

    const int widthBefore = second->list->header()->sectionSize(1);
    dragGrip(first->list->header(), 0, 30);
    dragGrip(second->list->header(), 1, 30);
    EXPECT_EQ(heard, (QStringList{"First:0", "Second:1"}));
    EXPECT_EQ(second->list->header()->sectionSize(1), widthBefore);

    // Letting go of one window leaves the other watched.
    first->sub->setHWnd(0);
    EXPECT_EQ(WinProc::EntryCount(), 1);
    heard.clear();
    EXPECT_EQ(notify(first->list->hWnd(), first->list->headerHWnd(), HDN_BEGINTRACKW, 1), 0);
    EXPECT_EQ(notify(second->list->hWnd(), second->list->headerHWnd(), HDN_BEGINTRACKW, 0), -1);
    EXPECT_EQ(heard, QStringList{"Second:0"});
    // The list answers its own messages through the hook.
    EXPECT_EQ(SendMessage(second->list->hWnd(), LVM_GETHEADER, 0, 0), second->list->headerHWnd());
}

// ---- The Symbol Manager's header -----------------------------------------

TEST_F(SubclassTest, TheSymbolManagerRefusesEveryColumnResizeAPlainListAllowsIt)
{
    SymbolEditor* e = openEditor(numbered(3));
    ASSERT_NE(e, nullptr);
    Host* plain = showHost(QStringLiteral("Plain"));
    ASSERT_NE(plain, nullptr);
    struct Case {
        const char* what;
        ListView* list;
        bool refused;
    };
    for (const Case& c : {Case{"Symbol Manager", e->ListView1, true}, Case{"plain list", plain->list, false}}) {
        for (int column : {0, 1}) {
            SCOPED_TRACE(QStringLiteral("%1, column %2").arg(QLatin1String(c.what)).arg(column).toStdString());
            QHeaderView* header = c.list->header();
            const int before = header->sectionSize(column);
            dragGrip(header, column, 40);
            EXPECT_EQ(header->sectionSize(column), c.refused ? before : before + 40);
            dragGrip(header, column, 0, true);
            if (c.refused) {
                EXPECT_EQ(header->sectionSize(column), before);
            }
        }
    }
}

TEST_F(SubclassTest, TheSymbolManagerAnswersHeaderNotificationsAndPassesOnTheRest)
{
    SymbolEditor* e = openEditor(numbered(2));
    ASSERT_NE(e, nullptr);
    const HWND list = e->ListView1->hWnd();
    const HWND header = e->ListView1->headerHWnd();
    struct Case {
        int code;
        int item;
        LRESULT result;
    };
    const Case cases[] = {
        {HDN_BEGINTRACKA, 0, -1}, {HDN_BEGINTRACKW, 0, -1}, {HDN_BEGINTRACKA, 1, -1},
        {HDN_BEGINTRACKW, 1, -1}, {HDN_BEGINTRACKW, 2, 0},  {-12, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.code);
        EXPECT_EQ(notify(list, header, c.code, c.item), c.result);
    }
    EXPECT_EQ(e->Caption(), QStringLiteral("Quoterra - Symbol Manager"));
}

TEST_F(SubclassTest, ARightClickOnTheHeaderNamesTheColumnInTheCaption)
{
    SymbolEditor* e = openEditor(numbered(2));
    ASSERT_NE(e, nullptr);
    QHeaderView* header = e->ListView1->header();
    const int end = header->sectionViewportPosition(1) + header->sectionSize(1);
    ASSERT_LT(end + 4, header->viewport()->width()) << "no room to the right of the columns";
    struct Case {
        int x;
        const char* caption;
    };
    const Case cases[] = {
        {header->sectionViewportPosition(0) + header->sectionSize(0) / 2, "Right Click on Column 0"},
        {header->sectionViewportPosition(1) + header->sectionSize(1) / 2, "Right Click on Column 1"},
        {end + 3, "Right Click on Column -1"},
        {2, "Right Click on Column 0"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.caption);
        QTest::mouseClick(header->viewport(), Qt::RightButton, {}, QPoint(c.x, header->height() / 2));
        EXPECT_EQ(e->Caption(), QLatin1String(c.caption));
    }
    // A left click is no right click.
    e->setCaption(QStringLiteral("unchanged"));
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, QPoint(20, header->height() / 2));
    EXPECT_EQ(e->Caption(), QStringLiteral("unchanged"));
}

TEST_F(SubclassTest, TheHeaderHitTestTellsWhereAPointLies)
{
    Host* host = showHost(QStringLiteral("Host"));
    ASSERT_NE(host, nullptr);
    QHeaderView* header = host->list->header();
    const int second = header->sectionViewportPosition(1) + 10;
    const int beyond = header->sectionViewportPosition(1) + header->sectionSize(1) + 10;
    struct Case {
        POINT pt;
        int item;
        UINT flags;
    };
    const Case cases[] = {
        {{10, 5}, 0, HHT_ONHEADER},
        {{second, 5}, 1, HHT_ONHEADER},
        {{header->sectionSize(0) - 1, 5}, 0, HHT_ONDIVIDER},
        {{beyond, 5}, -1, HHT_NOWHERE},
        {{-3, 5}, -1, HHT_TOLEFT},
        {{10, -2}, -1, HHT_ABOVE},
        {{10, header->height() + 2}, -1, HHT_BELOW},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.pt.x << "," << c.pt.y);
        HDHITTESTINFO hit;
        hit.pt = c.pt;
        EXPECT_EQ(SendMessage(host->list->headerHWnd(), HDM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)), c.item);
        EXPECT_EQ(hit.iItem, c.item);
        EXPECT_EQ(hit.flags, c.flags);
    }
}

} // namespace
} // namespace quoterra::test
