#include "symbol_manager_fixture.h"

#include "platform/window_messages.h"
#include "symbols/subclass.h"

#include <QHeaderView>
#include <QTest>
#include <QTreeWidget>

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

// A window with a list view and a subclassing control that answers nothing.
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
        Forms::load(this);
        Show();
    }
    ListView* list;
    Subclass* sub;
};

LRESULT beginTrack(const ListView* list, int column)
{
    NMHEADER notice;
    notice.hdr.hwndFrom = list->headerHWnd();
    notice.hdr.code = HDN_BEGINTRACKW;
    notice.iItem = column;
    return SendMessage(list->hWnd(), WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&notice));
}

// Drags (or double-clicks) the resize grip at the right edge of `column`.
void dragGrip(QHeaderView* header, int column, int dx, bool doubleClickIt = false)
{
    const QPoint grip(header->sectionViewportPosition(column) + header->sectionSize(column) - 1, header->height() / 2);
    if (doubleClickIt)
        return doubleClick(header->viewport(), grip);
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
    EXPECT_EQ(WinProc::EntryAt(1).control.data(), &sub);
    // On top of the window's own procedure, never on top of the hook itself.
    EXPECT_EQ(WinProc::EntryAt(1).previous, own);
    EXPECT_EQ(GetWindowLong(hwnd, GWL_WNDPROC), procValue(&WinProc::SubclassWndProc));
    EXPECT_EQ(SendMessage(hwnd, 5, 1, 2), 16);
    EXPECT_EQ(g_calls.size(), 1u);

    sub.setHWnd(0);
    EXPECT_EQ(WinProc::EntryCount(), 0);
    EXPECT_EQ(GetWindowLong(hwnd, GWL_WNDPROC), own);
}

TEST_F(SubclassTest, WatchedMessagesAreAListWithoutDuplicates)
{
    Subclass sub(nullptr, QStringLiteral("Sub"));
    struct Step {
        UINT msg;
        bool watch;
        int count;
    };
    for (const Step& s : {Step{WM_NOTIFY, true, 1}, Step{WM_NOTIFY, true, 1}, Step{HDM_HITTEST, true, 2},
                          Step{WM_NOTIFY, false, 1}, Step{WM_NOTIFY, false, 1}, Step{HDM_HITTEST, false, 0}}) {
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
    for (const Call& c : {Call{hwnd, 5, 7, -9}, Call{hwnd, HDM_HITTEST, 0, 123456789}, Call{hwnd, 0xC000, ~WPARAM(0), -1}}) {
        g_calls.clear();
        EXPECT_EQ(SendMessage(hwnd, c.msg, c.wParam, c.lParam), LRESULT(c.msg) * 3 + 1);
        EXPECT_EQ(g_calls, std::vector<Call>{c});
    }
    // A watched message is the handler's: the window sees it only if passed on.
    g_calls.clear();
    EXPECT_EQ(SendMessage(hwnd, WM_NOTIFY, 3, 4), 42);
    EXPECT_TRUE(g_calls.empty());
    passOn = true;
    EXPECT_EQ(SendMessage(hwnd, WM_NOTIFY, 3, 4), LRESULT(WM_NOTIFY) * 3 + 1);
    EXPECT_EQ(g_calls, (std::vector<Call>{{hwnd, WM_NOTIFY, 3, 4}}));
    sub.setHWnd(0);
}

TEST_F(SubclassTest, ADestroyedWindowIsUnhookedAndCallWndProcReturnsZero)
{
    for (bool listView : {false, true}) {
        SCOPED_TRACE(listView);
        g_calls.clear();
        QWidget* window = listView ? new ListView(nullptr, QStringLiteral("List")) : new QWidget;
        const HWND hwnd = listView ? static_cast<ListView*>(window)->hWnd() : CreateWindowHandle(window, &recordingProc);
        Subclass sub(nullptr, QStringLiteral("Sub"));
        sub.setMessages(WM_NOTIFY, true);
        sub.setHWnd(hwnd);
        ASSERT_EQ(WinProc::EntryCount(), 1);
        delete window;
        EXPECT_FALSE(IsWindow(hwnd));
        EXPECT_EQ(WinProc::EntryCount(), 0);
        EXPECT_EQ(sub.hWnd(), 0);
        EXPECT_EQ(sub.CallWndProc(WM_NOTIFY, 0, 0), 0);
        if (!listView) {
            // The window's own procedure heard of its end, through the hook.
            EXPECT_EQ(g_calls, (std::vector<Call>{{hwnd, WM_NCDESTROY, 0, 0}}));
        }
    }
}

TEST_F(SubclassTest, ControlsOnTwoWindowsWorkAtOnceAndApart)
{
    auto* first = new Host(QStringLiteral("First"));
    auto* second = new Host(QStringLiteral("Second"));
    QStringList heard;
    for (Host* host : {first, second}) {
        host->sub->setMessages(WM_NOTIFY, true);
        host->sub->setHWnd(host->list->hWnd());
        QObject::connect(host->sub, &Subclass::WndProc, host, [&heard, host](UINT&, WPARAM&, LPARAM& l, LRESULT& result) {
            heard << host->Name() + QLatin1Char(':') + QString::number(reinterpret_cast<const NMHEADER*>(l)->iItem);
            result = -1;
        });
    }
    EXPECT_EQ(WinProc::EntryCount(), 2);
    const int before = second->list->header()->sectionSize(1);
    dragGrip(first->list->header(), 0, 30);
    dragGrip(second->list->header(), 1, 30);
    EXPECT_EQ(heard, (QStringList{"First:0", "Second:1"}));
    EXPECT_EQ(second->list->header()->sectionSize(1), before);

    // Letting go of one window leaves the other watched.
    first->sub->setHWnd(0);
    EXPECT_EQ(WinProc::EntryCount(), 1);
    heard.clear();
    EXPECT_EQ(beginTrack(first->list, 1), 0);
    EXPECT_EQ(beginTrack(second->list, 0), -1);
    EXPECT_EQ(heard, QStringList{"Second:0"});
    EXPECT_EQ(SendMessage(second->list->hWnd(), LVM_GETHEADER, 0, 0), second->list->headerHWnd());
}

// ---- The Symbol Manager's header -----------------------------------------

TEST_F(SubclassTest, TheSymbolManagerRefusesEveryColumnResizeAPlainListAllowsIt)
{
    SymbolEditor* e = openEditor(numbered(3));
    ASSERT_NE(e, nullptr);
    auto* plain = new Host(QStringLiteral("Plain"));
    for (ListView* list : {e->ListView1, plain->list}) {
        const bool refused = list == e->ListView1;
        for (int column : {0, 1}) {
            SCOPED_TRACE(testing::Message() << (refused ? "Symbol Manager" : "plain list") << ", column " << column);
            QHeaderView* header = list->header();
            const int before = header->sectionSize(column);
            dragGrip(header, column, 40);
            EXPECT_EQ(header->sectionSize(column), refused ? before : before + 40);
            if (refused) {
                dragGrip(header, column, 0, true);
                EXPECT_EQ(header->sectionSize(column), before);
            }
        }
    }
    // Both begin-track codes are refused for both columns; others pass on.
    struct Case {
        int code;
        int item;
        LRESULT result;
    };
    for (const Case& c : {Case{HDN_BEGINTRACKA, 0, -1}, Case{HDN_BEGINTRACKA, 1, -1}, Case{HDN_BEGINTRACKW, 2, 0},
                          Case{-12, 0, 0}}) {
        NMHEADER notice;
        notice.hdr.hwndFrom = e->ListView1->headerHWnd();
        notice.hdr.code = c.code;
        notice.iItem = c.item;
        EXPECT_EQ(SendMessage(e->ListView1->hWnd(), WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&notice)), c.result)
            << c.code << " " << c.item;
    }
}

TEST_F(SubclassTest, ARightClickOnTheHeaderNamesTheColumnInTheCaption)
{
    SymbolEditor* e = openEditor(numbered(2));
    ASSERT_NE(e, nullptr);
    QHeaderView* header = e->ListView1->header();
    const int end = header->sectionViewportPosition(1) + header->sectionSize(1);
    ASSERT_LT(end + 4, header->viewport()->width()) << "no room right of the columns";
    struct Case {
        int x;
        const char* caption;
    };
    for (const Case& c : {Case{header->sectionSize(0) / 2, "Right Click on Column 0"},
                          Case{header->sectionViewportPosition(1) + 20, "Right Click on Column 1"},
                          Case{end + 3, "Right Click on Column -1"}}) {
        QTest::mouseClick(header->viewport(), Qt::RightButton, {}, QPoint(c.x, header->height() / 2));
        EXPECT_EQ(e->Caption(), QLatin1String(c.caption));
    }
    e->setCaption(QStringLiteral("unchanged"));
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, QPoint(20, header->height() / 2));
    EXPECT_EQ(e->Caption(), QStringLiteral("unchanged")) << "a left click is no right click";
}

} // namespace
} // namespace quoterra::test
