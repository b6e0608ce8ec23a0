// A worker thread and the job it runs.
#pragma once

#include <atomic>
#include <memory>
#include <thread>

// A job for a tk_thread. Jobs are never killed: stopping one sets a flag that the job
// checks between units of work.
class tk_thread_functor {
public:
    tk_thread_functor() = default;
    tk_thread_functor(const tk_thread_functor&) = delete;
    tk_thread_functor& operator=(const tk_thread_functor&) = delete;
    virtual ~tk_thread_functor() = default;

    // The base job idles until is_done() and then calls on_done().
    virtual void operator()();
    virtual bool is_done() { return false; }
    virtual void idle();  // sleeps 100 ms
    virtual void on_done() {}

    void request_stop() noexcept { stop_requested_.store(true); }
    void clear_stop() noexcept { stop_requested_.store(false); }
    bool is_stop_requested() const noexcept { return stop_requested_.load(); }

private:
    std::atomic<bool> stop_requested_{false};
};

class tk_thread {
public:
    tk_thread() = default;
    tk_thread(const tk_thread&) = delete;
    tk_thread& operator=(const tk_thread&) = delete;
    virtual ~tk_thread();  // stops and joins

    // Runs the job from create_functor() on a new thread. Starting while a job still runs
    // is an internal assertion.
    void start();
    // Asks the job to stop and waits for it.
    void stop() noexcept;
    // Waits for the job to end by itself.
    void join() noexcept;
    bool is_running() const noexcept { return running_.load(); }

protected:
    // The job to run; the base gives an idle job owned by the thread. Derived classes may
    // return a job they do not own by setting owns_functor to false.
    virtual tk_thread_functor* create_functor();
    bool owns_functor_ = true;

private:
    void release() noexcept;

    std::thread thread_;
    tk_thread_functor* functor_ = nullptr;
    std::atomic<bool> running_{false};
};
