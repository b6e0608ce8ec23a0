// conversion_run: one run of a job: every selected table and query becomes one worksheet
// of the destination workbook.
#pragma once

#include <atomic>
#include <memory>
#include <string>
#include <vector>

#include "convert/job.h"
#include "convert/run_errors.h"
#include "convert/run_progress.h"
#include "convert/workbook_set.h"
#include "toolkit/thread.h"

class error_handler;
class table_source;
class user_interface;

class conversion_run : public tk_thread_functor {
public:
    // Everything the run uses is handed to it. face may be null (nobody to ask: errors are
    // listed and the run goes on); make_writer opens each workbook.
    conversion_run(job work, table_source& source, error_handler& handler, user_interface* face,
                   writer_factory make_writer = make_workbook_writer);

    // The destination's lock that the caller took to keep other runs away until this one
    // starts; the run holds it from there, without a moment between.
    void take_over_lock(std::unique_ptr<tk_destination_lock> lock) noexcept { held_lock_ = std::move(lock); }

    // The run, on the worker thread: every item into the destination; afterwards the
    // progress is finished, whatever happened. Errors reach the user through the handler.
    void operator()() override;

    const job& work() const noexcept { return work_; }
    const run_progress& progress() const noexcept { return progress_; }
    const run_error_list& errors() const noexcept { return errors_; }
    // After the run: the workbooks it put in place, main workbook first; empty when the
    // destination was left as it was.
    const std::vector<std::string>& written_workbooks() const noexcept { return written_; }
    // Items whose every row was read (failed rows are listed).
    int items_converted() const noexcept { return items_converted_.load(); }
    // The run ended before its last item.
    bool was_stopped() const noexcept { return stopped_.load(); }

private:
    void convert_all(workbook_set& books);
    void publish(workbook_set& books);

    job work_;
    std::vector<job_item> items_;
    table_source& source_;
    error_handler& handler_;
    user_interface* face_;
    writer_factory make_writer_;
    std::unique_ptr<tk_destination_lock> held_lock_;
    run_progress progress_;
    run_error_list errors_;
    std::vector<std::string> written_;
    std::atomic<int> items_converted_{0};
    std::atomic<bool> stopped_{false};
};
