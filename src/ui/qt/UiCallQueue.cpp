#include "ui/qt/UiCallQueue.h"

#include <sys/eventfd.h>
#include <unistd.h>

UiCallQueue::UiCallQueue() : uiThread_(std::this_thread::get_id()), eventFd_(eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)) {
    notifier_ = std::make_unique<QSocketNotifier>(eventFd_, QSocketNotifier::Read);
    QObject::connect(notifier_.get(), &QSocketNotifier::activated, [this] {
        uint64_t count = 0;
        [[maybe_unused]] const ssize_t got = read(eventFd_, &count, sizeof count);
        ServeWaiting();
    });
}

UiCallQueue::~UiCallQueue() {
    notifier_.reset();
    close(eventFd_);
}

void UiCallQueue::Call(const std::function<void()>& call) {
    if (OnUiThread()) {
        call();
        return;
    }
    bool done = false;
    Enqueue({{}, &call, &done});
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [&] { return done; });
}

void UiCallQueue::Post(std::function<void()> call) { Enqueue({std::move(call), nullptr, nullptr}); }

void UiCallQueue::Enqueue(Waiting item) {
    {
        std::lock_guard lock(mutex_);
        waiting_.push_back(std::move(item));
        ++generation_;
    }
    changed_.notify_all();
    const uint64_t one = 1;
    [[maybe_unused]] const ssize_t put = write(eventFd_, &one, sizeof one);
}

bool UiCallQueue::ServeWaiting() {
    bool served = false;
    for (;;) {
        Waiting item;
        {
            std::lock_guard lock(mutex_);
            if (waiting_.empty()) return served;
            item = std::move(waiting_.front());
            waiting_.pop_front();
        }
        served = true;
        if (item.called) {
            (*item.called)();
            {
                std::lock_guard lock(mutex_);
                *item.done = true;
            }
            changed_.notify_all();
        } else {
            item.posted();
        }
    }
}

void UiCallQueue::ServeUntil(const std::function<bool()>& finished) {
    for (;;) {
        uint64_t seen = 0;
        {
            std::lock_guard lock(mutex_);
            seen = generation_;
        }
        ServeWaiting();
        if (finished()) return;
        std::unique_lock lock(mutex_);
        changed_.wait(lock, [&] { return generation_ != seen; });
    }
}

void UiCallQueue::Wake() {
    {
        std::lock_guard lock(mutex_);
        ++generation_;
    }
    changed_.notify_all();
}
