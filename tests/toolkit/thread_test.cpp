// Worker thread: stops on request, refuses a second start. (The base class's
// idle job is used by no program: both the console and the wizard give their own.)
#include "toolkit/thread.h"

#include <gtest/gtest.h>

#include <atomic>

#include "toolkit/exception.h"

namespace {

class counting_job : public tk_thread_functor {
public:
    void operator()() override {
        while (!is_stop_requested()) {
            ++rounds;
            std::this_thread::yield();
        }
        done = true;
    }
    std::atomic<int> rounds{0};
    std::atomic<bool> done{false};
};

class job_thread : public tk_thread {
public:
    counting_job job;

protected:
    tk_thread_functor* create_functor() override {
        owns_functor_ = false;
        return &job;
    }
};

}  // namespace

// A job run to its end: every end-to-end run (the console runs its conversion on this thread).
TEST(worker_thread, stop_asks_the_job_to_end_and_waits_and_a_second_start_is_refused) {
    job_thread thread;
    thread.start();
    while (thread.job.rounds.load() == 0) std::this_thread::yield();
    EXPECT_THROW(thread.start(), tk_assertion_failure);
    thread.stop();
    EXPECT_TRUE(thread.job.done.load());
    EXPECT_FALSE(thread.is_running());
}
