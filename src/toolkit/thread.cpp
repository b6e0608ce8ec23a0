// Worker thread.
#include "toolkit/thread.h"

#include <chrono>

#include "toolkit/exception.h"
#include "toolkit/log.h"

void tk_thread_functor::operator()() {
    while (!is_done() && !is_stop_requested()) idle();
    on_done();
}

void tk_thread_functor::idle() { std::this_thread::sleep_for(std::chrono::milliseconds(100)); }

tk_thread::~tk_thread() { stop(); }

tk_thread_functor* tk_thread::create_functor() {
    owns_functor_ = true;
    return new tk_thread_functor;
}

void tk_thread::start() {
    TK_LOG(2, "%s", __func__);
    TK_ASSERT(!running_.load());
    release();  // a finished thread is joined before a new one starts
    functor_ = create_functor();
    TK_ASSERT(functor_ != nullptr);
    functor_->clear_stop();
    running_.store(true);
    thread_ = std::thread([this] {
        try {
            (*functor_)();
        } catch (...) {
            // The job reports its own errors; nothing may escape a thread.
            TK_LOG(3, "worker thread ended by an unhandled exception");
        }
        running_.store(false);
    });
}

void tk_thread::stop() noexcept {
    if (functor_ != nullptr && running_.load()) functor_->request_stop();
    release();
}

void tk_thread::join() noexcept {
    if (thread_.joinable()) thread_.join();
}

void tk_thread::release() noexcept {
    join();
    if (owns_functor_) delete functor_;
    functor_ = nullptr;
}
