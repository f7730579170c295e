#include "nested_wait.h"

#include <QTimer>

#include <vector>

namespace quoterra {

namespace {

int g_depth = 0;
std::vector<std::function<void()>> g_pending;

void schedule()
{
    QTimer::singleShot(0, [] {
        if (g_depth != 0)
            return;
        auto work = std::move(g_pending);
        g_pending.clear();
        for (auto& w : work)
            w();
    });
}

} // namespace

NestedWait::NestedWait()
{
    ++g_depth;
}

NestedWait::~NestedWait()
{
    if (--g_depth == 0 && !g_pending.empty())
        schedule();
}

void NestedWait::whenIdle(std::function<void()> work)
{
    g_pending.push_back(std::move(work));
    if (g_depth == 0 && g_pending.size() == 1)
        schedule();
}

} // namespace quoterra
