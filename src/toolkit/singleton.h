// The base through which process-wide objects (converter, error handler, user interface,
// Oracle engine) are registered and reached.
#pragma once

#include "toolkit/exception.h"
#include "toolkit/log.h"

// One registered instance per T. A second registration, or reaching for an instance that
// does not exist, is an internal assertion: both mean the start-up order is broken.
template <class T>
class tk_singleton {
public:
    tk_singleton(const tk_singleton&) = delete;
    tk_singleton& operator=(const tk_singleton&) = delete;

    static T& instance() {
        if (slot_ == nullptr) TK_FAIL();
        return *static_cast<T*>(slot_);
    }
    static bool is_initialized() noexcept { return slot_ != nullptr; }

protected:
    tk_singleton() {
        if (slot_ != nullptr) TK_FAIL();
        slot_ = this;
    }
    ~tk_singleton() {
        // Cannot throw here; an empty slot would mean a double destruction.
        if (slot_ != this) TK_LOG(3, "singleton slot held by another object at destruction");
        else slot_ = nullptr;
    }

private:
    // Written only while the process starts and ends, read from any thread.
    inline static tk_singleton* slot_ = nullptr;
};
