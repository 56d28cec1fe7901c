#pragma once
// For tests of calls that must never block nor flood memory: runs the call on a thread of its own
// and watches it up to a deadline. A call still running then (blocked on a named pipe), or one
// that makes this program grow by more than a bound meanwhile (reading a device without end),
// cannot be stopped, so the test program reports the failure and ends at once instead of hanging
// or running the machine out of memory.

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <future>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <unistd.h>

namespace lumarel::test {

// The resident memory of this process, in bytes.
inline long long residentBytes()
{
    long long pages = 0, resident = 0;
    if (std::FILE* statm = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(statm, "%lld %lld", &pages, &resident) != 2)
            resident = 0;
        std::fclose(statm);
    }
    return resident * static_cast<long long>(::sysconf(_SC_PAGESIZE));
}

template <class Call>
auto withinDeadline(const std::string& what, Call call, std::chrono::milliseconds deadline = std::chrono::seconds(2),
                    long long maxGrowthBytes = 256ll << 20)
{
    using Result = decltype(call());
    auto promise = std::make_shared<std::promise<Result>>();
    std::future<Result> done = promise->get_future();
    const long long startBytes = residentBytes();
    const auto start = std::chrono::steady_clock::now();
    std::thread([promise, call]() mutable { promise->set_value(call()); }).detach();
    while (done.wait_for(std::chrono::milliseconds(5)) != std::future_status::ready) {
        const char* failure = nullptr;
        if (residentBytes() - startBytes > maxGrowthBytes)
            failure = "grows without bound: it reads without end";
        else if (std::chrono::steady_clock::now() - start > deadline)
            failure = "did not return in time: it blocks";
        if (failure) {
            std::fprintf(stderr, "FAILED: %s %s (after %lld ms, %lld MB more)\n", what.c_str(), failure,
                         static_cast<long long>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                                    std::chrono::steady_clock::now() - start).count()),
                         (residentBytes() - startBytes) >> 20);
            std::fflush(stderr);
            std::_Exit(1);
        }
    }
    return done.get();
}

// The same watch over a stretch of code that has to run on the calling thread (a widget's
// handler): from construction to destruction it may take up to deadline and grow this program by
// up to maxGrowthBytes, or the program ends with a failure naming what.
class Deadline {
public:
    explicit Deadline(std::string what, std::chrono::milliseconds deadline = std::chrono::seconds(2),
                      long long maxGrowthBytes = 256ll << 20)
        : watcher_([this, what = std::move(what), deadline, maxGrowthBytes] {
              const long long startBytes = residentBytes();
              const auto end = std::chrono::steady_clock::now() + deadline;
              std::unique_lock lock(mutex_);
              while (!finished_) {
                  const char* failure = nullptr;
                  if (residentBytes() - startBytes > maxGrowthBytes)
                      failure = "grows without bound: it reads without end";
                  else if (std::chrono::steady_clock::now() > end)
                      failure = "did not return in time: it blocks";
                  if (failure) {
                      std::fprintf(stderr, "FAILED: %s %s\n", what.c_str(), failure);
                      std::fflush(stderr);
                      std::_Exit(1);
                  }
                  wake_.wait_for(lock, std::chrono::milliseconds(5));
              }
          })
    {
    }
    Deadline(const Deadline&) = delete;
    Deadline& operator=(const Deadline&) = delete;
    ~Deadline()
    {
        {
            std::lock_guard lock(mutex_);
            finished_ = true;
        }
        wake_.notify_one();
        watcher_.join();
    }

private:
    std::mutex mutex_;
    std::condition_variable wake_;
    bool finished_ = false;
    std::thread watcher_;  // last: it starts once the members it uses exist
};

}  // namespace lumarel::test
