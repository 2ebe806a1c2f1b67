#pragma once

#include <functional>
#include <stop_token>
#include <thread>

namespace lumaru {

// A worker thread with a stop request. The routine gets the stop token and checks it between
// requests and rows; fetches given the token abort a transfer in flight when it is requested.
// Destroying the worker requests the stop and waits for the routine to return (std::jthread),
// which the stop request makes prompt.
class Worker final {
public:
    using Routine = std::function<void(std::stop_token)>;

    explicit Worker(Routine routine);
    Worker(const Worker&) = delete;
    Worker& operator=(const Worker&) = delete;

    void RequestStop() { thread_.request_stop(); }
    std::stop_token StopToken() const { return thread_.get_stop_token(); }
    std::thread::id Id() const { return thread_.get_id(); }

private:
    std::jthread thread_;
};

}  // namespace lumaru
