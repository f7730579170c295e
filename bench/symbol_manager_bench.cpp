// Opening the Symbol Manager on a long list, saving it, and one drag-over
// step, each measured on a list of 10,000 entries.

#include "bench_main.h"

#include "platform/forms.h"
#include "platform/paths.h"
#include "symbols/symbol_editor.h"
#include "symbols/symbol_file.h"

#include <QFile>
#include <QFileInfo>
#include <QTest>
#include <QTreeWidget>

namespace {

using namespace quoterra;

constexpr int kEntries = 10000;

void writeList(int count)
{
    QFile f(applicationDirectory() + QStringLiteral("/stockdata.std"));
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return;
    for (int i = 1; i <= count; ++i)
        f.write(encodeRecord({QStringLiteral("SYM%1").arg(i), QStringLiteral("Company number %1 Incorporated").arg(i)}));
}

SymbolEditor* openEditor()
{
    Forms::registerForm<SymbolEditor>(SymbolEditor::kName);
    makeApplicationDirectoryCurrent();
    auto* editor = qobject_cast<SymbolEditor*>(Forms::show(SymbolEditor::kName));
    // The first frame belongs to opening: rows are laid out and painted.
    QApplication::processEvents();
    return editor;
}

void BM_OpenSymbolManager(benchmark::State& state)
{
    makeApplicationDirectoryCurrent();
    writeList(kEntries);
    for (auto _ : state) {
        SymbolEditor* editor = openEditor();
        if (!editor || editor->ListView1->Count() != kEntries) {
            state.SkipWithError("the Symbol Manager did not open on the whole list");
            break;
        }
        state.PauseTiming();
        Forms::reset();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_OpenSymbolManager)->Unit(benchmark::kMillisecond);

void BM_SaveSymbolManager(benchmark::State& state)
{
    makeApplicationDirectoryCurrent();
    writeList(kEntries);
    SymbolEditor* editor = openEditor();
    for (auto _ : state) {
        if (!editor || !editor->Save()) {
            state.SkipWithError("saving failed");
            break;
        }
    }
    if (QFileInfo(applicationDirectory() + QStringLiteral("/stockdata.std")).size() != qint64(kEntries) * 50)
        state.SkipWithError("the saved file is not the whole list");
    Forms::reset();
}
BENCHMARK(BM_SaveSymbolManager)->Unit(benchmark::kMillisecond);

// A row dragged in the middle of the list, the pointer going back and
// forth between two rows so that every step moves the row one place.
void BM_DragOverStep(benchmark::State& state)
{
    makeApplicationDirectoryCurrent();
    writeList(kEntries);
    SymbolEditor* editor = openEditor();
    if (!editor) {
        state.SkipWithError("the Symbol Manager did not open");
        return;
    }
    ListView* list = editor->ListView1;
    QTreeWidget* tree = list->tree();
    QWidget* viewport = tree->viewport();
    const int start = kEntries / 2;
    tree->scrollToItem(tree->topLevelItem(start - 1), QAbstractItemView::PositionAtTop);
    QApplication::processEvents();
    auto centreOf = [&](int offset) {
        return tree->visualItemRect(tree->topLevelItem(list->GetFirstVisible().Index() - 1 + offset)).center();
    };
    QTest::mousePress(viewport, Qt::LeftButton, {}, centreOf(2));
    QTest::mouseMove(viewport, centreOf(2) + QPoint(2, 0));
    if (!list->isDragging()) {
        state.SkipWithError("the drag did not start");
        return;
    }
    const QPoint upper = centreOf(3);
    const QPoint lower = centreOf(6);
    bool down = true;
    for (auto _ : state) {
        QTest::mouseMove(viewport, down ? lower : upper);
        down = !down;
    }
    // How many steps moved the row: the figure is only worth something
    // when (nearly) every one did.
    int moves = 0;
    for (int i = 0; i < 100; ++i) {
        const int before = list->SelectedItem().Index();
        QTest::mouseMove(viewport, down ? lower : upper);
        down = !down;
        moves += list->SelectedItem().Index() != before;
    }
    state.counters["moving_steps_pct"] = moves;
    QTest::mouseRelease(viewport, Qt::LeftButton, {}, upper);
    Forms::reset();
}
BENCHMARK(BM_DragOverStep)->Unit(benchmark::kMicrosecond);

} // namespace

QUOTERRA_BENCHMARK_MAIN()
