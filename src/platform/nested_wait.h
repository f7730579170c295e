#pragma once

#include <functional>

namespace quoterra {

// Marks a stretch in which a local event loop runs inside an event handler
// (a transfer, a message box). Windows unloaded meanwhile are destroyed only
// once every such wait has returned, so no handler below resumes on a
// destroyed window.
class NestedWait {
public:
    NestedWait();
    ~NestedWait();
    NestedWait(const NestedWait&) = delete;
    NestedWait& operator=(const NestedWait&) = delete;

    // Runs `work` from the event loop once no nested wait is running.
    static void whenIdle(std::function<void()> work);
};

} // namespace quoterra
