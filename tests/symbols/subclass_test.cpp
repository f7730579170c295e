#include "symbol_manager_fixture.h"

#include "platform/window_messages.h"
#include "symbols/subclass.h"

#include <QHeaderView>
#include <QTest>

#include <memory>
#include <tuple>
#include <vector>

namespace quoterra::test {
namespace {

using Call = std::tuple<HWND, UINT, WPARAM, LPARAM>;
std::vector<Call> g_calls;

// A window's own procedure that remembers what reached it.
LRESULT recordingProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    g_calls.emplace_back(hwnd, msg, wParam, lParam);
    return LRESULT(msg) * 3 + 1;
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

using SubclassTest = SymbolManagerTest;

TEST_F(SubclassTest, TheSameHandleOrMessageTwiceCountsOnce)
{
    QWidget window;
    const HWND hwnd = CreateWindowHandle(&window, &recordingProc);
    const LONG_PTR own = GetWindowLong(hwnd, GWL_WNDPROC);
    Subclass sub(nullptr, QStringLiteral("Sub"));
    sub.setHWnd(hwnd);
    sub.setHWnd(hwnd);
    WinProc::HookWindow(hwnd, &sub);
    ASSERT_EQ(WinProc::EntryCount(), 1);
    // On top of the window's own procedure, never on top of the hook itself.
    EXPECT_EQ(WinProc::EntryAt(1).previous, own);
    g_calls.clear();
    EXPECT_EQ(SendMessage(hwnd, 5, 1, 2), 16);
    EXPECT_EQ(g_calls.size(), 1u);
    sub.setHWnd(0);
    EXPECT_EQ(WinProc::EntryCount(), 0);
    EXPECT_EQ(GetWindowLong(hwnd, GWL_WNDPROC), own);

    for (const auto& [msg, watch, count] : {std::tuple{WM_NOTIFY, true, 1}, std::tuple{WM_NOTIFY, true, 1},
                                            std::tuple{HDM_HITTEST, true, 2}, std::tuple{WM_NOTIFY, false, 1}}) {
        sub.setMessages(msg, watch);
        EXPECT_EQ(sub.watchedCount(), count);
        EXPECT_EQ(sub.Messages(msg), watch);
    }
}

// What the control leaves alone goes on untouched; what it watches is its
// handler's (the Symbol Manager's header tests below answer and pass on).
TEST_F(SubclassTest, UnwatchedMessagesReachTheWindowExactlyAsSent)
{
    QWidget window;
    const HWND hwnd = CreateWindowHandle(&window, &recordingProc);
    Subclass sub(nullptr, QStringLiteral("Sub"));
    sub.setHWnd(hwnd);
    sub.setMessages(WM_NOTIFY, true);
    for (const Call& c : {Call{hwnd, 5, 7, -9}, Call{hwnd, HDM_HITTEST, 0, 123456789}, Call{hwnd, 0xC000, ~WPARAM(0), -1}}) {
        g_calls.clear();
        EXPECT_EQ(SendMessage(hwnd, std::get<1>(c), std::get<2>(c), std::get<3>(c)), LRESULT(std::get<1>(c)) * 3 + 1);
        EXPECT_EQ(g_calls, std::vector<Call>{c});
    }
    g_calls.clear();
    SendMessage(hwnd, WM_NOTIFY, 3, 4);
    EXPECT_TRUE(g_calls.empty()) << "a watched message went past the control";
    sub.setHWnd(0);
}

TEST_F(SubclassTest, ADestroyedListIsUnhookedAndCallWndProcReturnsZero)
{
    auto* list = new ListView(nullptr, QStringLiteral("List"));
    Subclass sub(nullptr, QStringLiteral("Sub"));
    sub.setMessages(WM_NOTIFY, true);
    sub.setHWnd(list->hWnd());
    ASSERT_EQ(WinProc::EntryCount(), 1);
    delete list;
    EXPECT_EQ(WinProc::EntryCount(), 0);
    EXPECT_EQ(sub.hWnd(), 0);
    EXPECT_EQ(sub.CallWndProc(WM_NOTIFY, 0, 0), 0);
}

// The Symbol Manager and a plain list are hooked at once: one refuses
// every column resize (a double click on the grip too), the other passes
// its notices on and resizes as ever.
TEST_F(SubclassTest, TheSymbolManagerRefusesColumnResizesAPlainListBesideItAllowsThem)
{
    SymbolEditor* e = openEditor(numbered(3));
    const auto plain = std::make_unique<ListView>(nullptr, QStringLiteral("Plain"));
    plain->resize(300, 200);
    plain->addColumnHeader(QStringLiteral("One"));
    plain->addColumnHeader(QStringLiteral("Two"));
    plain->show();
    Subclass sub(nullptr, QStringLiteral("Sub"));
    sub.setMessages(WM_NOTIFY, true);
    sub.setHWnd(plain->hWnd());
    QList<int> heard;
    QObject::connect(&sub, &Subclass::WndProc, &sub, [&](UINT& msg, WPARAM& w, LPARAM& l, LRESULT& result) {
        heard << reinterpret_cast<const NMHEADER*>(l)->iItem;
        result = sub.CallWndProc(msg, w, l);
    });
    ASSERT_EQ(WinProc::EntryCount(), 2);
    for (ListView* list : {e->ListView1, plain.get()}) {
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
    EXPECT_EQ(heard, (QList<int>{0, 1}));

    // Letting go of one window leaves the other hooked.
    sub.setHWnd(0);
    EXPECT_EQ(WinProc::EntryCount(), 1);
    const int before = e->ListView1->header()->sectionSize(0);
    dragGrip(e->ListView1->header(), 0, 40);
    EXPECT_EQ(e->ListView1->header()->sectionSize(0), before);
}

TEST_F(SubclassTest, ARightClickOnTheHeaderNamesTheColumnInTheCaption)
{
    SymbolEditor* e = openEditor(numbered(2));
    QHeaderView* header = e->ListView1->header();
    const int end = header->sectionViewportPosition(1) + header->sectionSize(1);
    ASSERT_LT(end + 4, header->viewport()->width()) << "no room right of the columns";
    for (const auto& [x, caption] : {std::pair{header->sectionSize(0) / 2, "Right Click on Column 0"},
                                     std::pair{header->sectionViewportPosition(1) + 20, "Right Click on Column 1"},
                                     std::pair{end + 3, "Right Click on Column -1"}}) {
        QTest::mouseClick(header->viewport(), Qt::RightButton, {}, QPoint(x, header->height() / 2));
        EXPECT_EQ(e->Caption(), QLatin1String(caption));
    }
    e->setCaption(QStringLiteral("unchanged"));
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, QPoint(20, header->height() / 2));
    EXPECT_EQ(e->Caption(), QStringLiteral("unchanged")) << "a left click is no right click";
}

} // namespace
} // namespace quoterra::test
