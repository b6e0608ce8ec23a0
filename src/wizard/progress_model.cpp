// The progress page's formula and the run's worker.
#include "wizard/progress_model.h"

#include <cmath>

#include "convert/sprandel_convertor.h"
#include "toolkit/text.h"

std::uint32_t progress_percent(std::uint32_t table_count, std::uint32_t table_index, std::uint32_t record_total,
                               std::uint32_t record_current) {
    if (table_count == 0) return 0;
    std::uint32_t percent = table_index * 100u / table_count;
    if (record_total != 0) percent += record_current * 100u / record_total / table_count;
    return percent;
}

int formatting_percent(std::uint32_t tick) {
    return static_cast<int>(std::atan(tick / 10.0) * 100.0 / std::asin(1.0));
}

progress_view progress_model::on_timer(const udb_converter& converter) {
    progress_view view;
    if (converter.finished.load()) {
        view.finished = true;
        view.bar = 100;
        return view;
    }
    const std::uint32_t percent = progress_percent(
        static_cast<std::uint32_t>(converter.table_count.load()), static_cast<std::uint32_t>(converter.table_index.load()),
        static_cast<std::uint32_t>(converter.record_total.load()),
        static_cast<std::uint32_t>(converter.record_current.load()));
    if (percent < 100) {
        view.bar = static_cast<int>(percent);
        const std::string name = converter.current_name();
        if (!name.empty()) {
            const std::string line = "Processing table '" + name + "'";
            view.status = std::string(utf16_prefix(line, 255));  // the status line holds 255 characters
        }
        return view;
    }
    view.status = formatting_status_text;
    view.bar = formatting_percent(formatting_ticks_++);
    return view;
}

tk_thread_functor* conversion_thread::create_functor() {
    owns_functor_ = false;
    return &converter_;
}
