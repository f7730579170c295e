// The symbol list at size: reading it, opening the Symbol Manager on it,
// saving it, and one drag step in the middle of it.
#include "bench_main.h"

#include "window_support.h"

#include "symbols/file/symbol_file.h"
#include "symbols/symbol_editor.h"
#include "symbols/symbol_list.h"

#include <QFileInfo>
#include <QTest>

using namespace quoterra;

namespace {

void writeList(const test::TestProfile& profile, int count)
{
    QList<QPair<QString, QString>> rows;
    rows.reserve(count);
    for (int i = 1; i <= count; ++i)
        rows.append({QStringLiteral("SYM%1").arg(i), QStringLiteral("Company number %1 Incorporated").arg(i)});
    profile.writeSymbols(rows);
}

void ReadEveryEntry(benchmark::State& state)
{
    test::TestProfile profile;
    writeList(profile, int(state.range(0)));
    for (auto _ : state) {
        SymbolCursor cursor;
        cursor.OpenSymbolFile(profile.appDir());
        cursor.ResetCursor();
        for (qint32 i = 1; i < cursor.EntryCount; ++i)
            cursor.NextEntry();
        benchmark::DoNotOptimize(cursor.CurrentSymbol);
    }
}
BENCHMARK(ReadEveryEntry)->Arg(1000)->Arg(100000)->Unit(benchmark::kMillisecond);

// Opened until its first frame is painted.
void OpenTheSymbolManager(benchmark::State& state)
{
    test::TestApp t;
    writeList(t.profile, int(state.range(0)));
    for (auto _ : state) {
        auto* editor = new SymbolEditor(*t.app);
        editor->loadAndShow();
        editor->repaint();
        if (editor->list().count() != state.range(0))
            state.SkipWithError("the Symbol Manager did not open on the whole list");
        state.PauseTiming();
        editor->unload();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        state.ResumeTiming();
    }
}
BENCHMARK(OpenTheSymbolManager)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

void SaveFromTheSymbolManager(benchmark::State& state)
{
    test::TestApp t;
    writeList(t.profile, int(state.range(0)));
    auto* editor = new SymbolEditor(*t.app);
    editor->loadAndShow();
    for (auto _ : state) {
        if (!editor->Save())
            state.SkipWithError("saving failed");
    }
    if (QFileInfo(t.profile.symbolFile()).size() != state.range(0) * kRecordLength)
        state.SkipWithError("the saved file is not the whole list");
}
BENCHMARK(SaveFromTheSymbolManager)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

// A row dragged in the middle of the list, the pointer going back and forth
// between two rows so that every step moves the row one place.
void OneDragStep(benchmark::State& state)
{
    test::TestApp t;
    writeList(t.profile, 10000);
    auto* editor = new SymbolEditor(*t.app);
    editor->loadAndShow();
    SymbolList& list = editor->list();
    list.scrollToItem(list.row(5000), QAbstractItemView::PositionAtTop);
    QApplication::processEvents();
    const int first = list.indexOf(list.firstVisibleRow());
    auto centreOf = [&](int offset) { return list.visualItemRect(list.row(first + offset)).center(); };
    QTest::mousePress(list.viewport(), Qt::LeftButton, {}, centreOf(2));
    QTest::mouseMove(list.viewport(), centreOf(2) + QPoint(2, 0));
    const QPoint upper = centreOf(3);
    const QPoint lower = centreOf(6);
    bool down = true;
    int moved = 0;
    for (auto _ : state) {
        const int before = list.indexOf(list.selectedRow());
        QTest::mouseMove(list.viewport(), down ? lower : upper);
        moved += list.indexOf(list.selectedRow()) != before;
        down = !down;
    }
    // The figure is worth something only when (nearly) every step moved it.
    state.counters["moving_steps_pct"] = 100.0 * moved / double(state.iterations());
    QTest::mouseRelease(list.viewport(), Qt::LeftButton, {}, upper);
}
BENCHMARK(OneDragStep)->Unit(benchmark::kMicrosecond);

} // namespace

QUOTERRA_BENCHMARK_MAIN()
