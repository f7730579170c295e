#pragma once

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

namespace quoterra::service {

// Threads for upstream requests, started as the requests need them, so one
// slow source or symbol holds up no other.
class Workers {
public:
    explicit Workers(std::size_t most)
        : most_(most)
    {
    }
    ~Workers() { stop(); }

    void post(std::function<void()> job);
    // Runs what is queued, then ends every thread.
    void stop();

private:
    void run();

    const std::size_t most_;
    std::mutex mutex_;
    std::condition_variable ready_;
    std::deque<std::function<void()>> jobs_;
    std::vector<std::thread> threads_;
    std::size_t idle_ = 0;
    bool stopping_ = false;
};

} // namespace quoterra::service
