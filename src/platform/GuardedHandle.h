#pragma once

#include <condition_variable>
#include <mutex>
#include <utility>

// A device handle that several threads use at once: the receive thread sits in a wait on it
// while others write, change the speed or close. A handle must not be released while a call is
// still inside the system with it (its number could at once be reused by an unrelated open), so
// retiring refuses new uses, wakes blocked ones and waits for the rest to leave.
template <typename Handle>
class GuardedHandle {
public:
    explicit GuardedHandle(Handle invalid) : invalid_(invalid), handle_(invalid) {}
    GuardedHandle(const GuardedHandle&) = delete;
    GuardedHandle& operator=(const GuardedHandle&) = delete;

    // Keeps the handle installed while it lives; empty when there was none to use.
    class Use {
    public:
        Use(Use&& other) noexcept : owner_(std::exchange(other.owner_, nullptr)), handle_(other.handle_) {}
        Use& operator=(Use&&) = delete;
        ~Use() {
            if (owner_) owner_->Leave();
        }
        explicit operator bool() const { return owner_ != nullptr; }
        Handle get() const { return handle_; }

    private:
        friend GuardedHandle;
        Use(GuardedHandle* owner, Handle handle) : owner_(owner), handle_(handle) {}
        GuardedHandle* owner_;
        Handle handle_;
    };

    bool IsOpen() const {
        std::lock_guard lock(mutex_);
        return handle_ != invalid_ && !retiring_;
    }

    // Installs a freshly opened handle; false when one is installed already.
    bool Install(Handle handle) {
        std::lock_guard lock(mutex_);
        if (handle_ != invalid_ || retiring_) return false;
        handle_ = handle;
        return true;
    }

    Use Acquire() {
        std::lock_guard lock(mutex_);
        if (handle_ == invalid_ || retiring_) return Use(nullptr, invalid_);
        ++uses_;
        return Use(this, handle_);
    }

    // Refuses new uses, calls wake(handle) outside the lock so that blocked uses return, waits
    // until the last use has left and hands the handle back for the caller to release (the
    // invalid value when none was installed).
    template <typename Wake>
    Handle Retire(Wake&& wake) {
        Handle handle;
        {
            std::lock_guard lock(mutex_);
            if (handle_ == invalid_ || retiring_) return invalid_;
            retiring_ = true;
            handle = handle_;
        }
        wake(handle);
        std::unique_lock lock(mutex_);
        idle_.wait(lock, [&] { return uses_ == 0; });
        handle_ = invalid_;
        retiring_ = false;
        return handle;
    }

private:
    void Leave() {
        std::lock_guard lock(mutex_);
        if (--uses_ == 0) idle_.notify_all();
    }

    mutable std::mutex mutex_;
    std::condition_variable idle_;
    const Handle invalid_;
    Handle handle_;
    int uses_ = 0;
    bool retiring_ = false;
};
