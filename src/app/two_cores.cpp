#include "app/two_cores.h"

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <thread>

namespace {

class Helper {
public:
    Helper() : thread_([this] { Loop(); }) {}
    ~Helper() {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            quit_ = true;
        }
        wake_.notify_all();
        thread_.join();
    }
    // One caller at a time; the others (a nested call too) do their work alone.
    bool TryTake() { return !busy_.exchange(true, std::memory_order_acquire); }
    void Give() { busy_.store(false, std::memory_order_release); }

    void Start(const std::function<void()>* job) {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            job_ = job;
        }
        wake_.notify_all();
    }
    void Wait() {
        std::unique_lock<std::mutex> lock(mutex_);
        wake_.wait(lock, [this] { return job_ == nullptr; });
    }

private:
    void Loop() {
        std::unique_lock<std::mutex> lock(mutex_);
        for (;;) {
            wake_.wait(lock, [this] { return quit_ || job_ != nullptr; });
            if (quit_) return;
            lock.unlock();
            (*job_)();
            lock.lock();
            job_ = nullptr;
            wake_.notify_all();
        }
    }

    std::atomic<bool> busy_{false};
    std::mutex mutex_;
    std::condition_variable wake_;
    const std::function<void()>* job_ = nullptr;
    bool quit_ = false;
    std::thread thread_;  // last: it starts once the rest is made
};

}  // namespace

void SplitOverTwoCores(int count, int grain, const std::function<void(int, int)>& work) {
    grain = grain < 1 ? 1 : grain;
    static const bool twoCores = std::thread::hardware_concurrency() > 1;
    if (!twoCores || count < 2 * grain) {
        work(0, count);
        return;
    }
    static Helper helper;
    if (!helper.TryTake()) {
        work(0, count);
        return;
    }
    const int split = (count / 2 + grain - 1) / grain * grain;
    const std::function<void()> second = [&] { work(split, count); };
    helper.Start(&second);
    work(0, split);
    helper.Wait();
    helper.Give();
}
