// The budgeted lookup of distinct cell texts.
#include "excel/cells/string_table.h"

string_table::string_table(std::size_t budget) : budget_(budget) { indexes_.reserve(1024); }

std::optional<string_table::entry> string_table::add(std::string_view key, bool must_add) {
    const std::size_t cost = key.size() + entry_overhead;
    const bool fits = !is_released_ && used_ + cost <= budget_;
    const std::size_t hash = is_released_ ? 0 : key_hash{}(key);
    if (!is_released_ && filter_.may_contain(hash)) {
        if (const auto found = indexes_.find(hashed_key{key, hash}); found != indexes_.end()) {
            ++use_count_;
            return entry{found->second, false, false, {}};
        }
    }
    if (!fits && !must_add) return std::nullopt;
    ++use_count_;
    entry added{unique_count_++, true, fits, {}};
    if (fits) {
        used_ += cost;
        filter_.add(hash);
        added.kept = indexes_.emplace(std::string(key), added.index).first->first;
    }
    return added;
}

void string_table::release_lookup() noexcept {
    is_released_ = true;
    decltype(indexes_)().swap(indexes_);
    filter_.release();
}
