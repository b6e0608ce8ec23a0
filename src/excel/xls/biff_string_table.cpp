// Shared strings of BIFF8 workbooks.
#include "excel/xls/biff_string_table.h"

#include <algorithm>
#include <functional>

#include "excel/xls/biff_records.h"
#include "toolkit/text.h"

namespace {

constexpr std::uint32_t min_strings_per_bucket = 8;
constexpr std::uint32_t max_buckets = 128;

}  // namespace

biff_string_table::biff_string_table(std::size_t budget, const std::filesystem::path& spool_beside)
    : table_(budget), texts_(spool_beside) {}

std::optional<std::uint32_t> biff_string_table::add(std::u16string_view text) {
    // the lookup keys a text by its units' bytes; only the spooled copy is read back
    const std::string_view key(reinterpret_cast<const char*>(text.data()), text.size() * sizeof(char16_t));
    const std::optional<string_table::entry> entry = table_.add(key, text.size() > max_label_units);
    if (!entry) return std::nullopt;
    if (entry->is_new) {
        scratch_.clear();
        scratch_.u16(static_cast<std::uint32_t>(text.size()));
        for (const char16_t unit : text) scratch_.u16(unit);
        texts_.append(scratch_.view());
    }
    return entry->index;
}

namespace {

// Reads the spooled entries back one text at a time, whatever pieces the spool hands out.
class text_reader : public byte_sink {
public:
    explicit text_reader(std::function<void(std::u16string_view)> take) : take_(std::move(take)) {}
    void write(std::span<const std::byte> bytes) override {
        for (const std::byte b : bytes) {
            const auto byte = std::to_integer<unsigned>(b);
            if (!has_low_) {
                low_ = byte;
                has_low_ = true;
                continue;
            }
            has_low_ = false;
            const auto unit = static_cast<char16_t>(low_ | byte << 8);
            if (left_ < 0) {
                left_ = unit;
            } else {
                text_.push_back(unit);
                --left_;
            }
            if (left_ == 0) {
                take_(text_);
                text_.clear();
                left_ = -1;
            }
        }
        position_ += bytes.size();
    }
    std::uint64_t position() const override { return position_; }

private:
    std::function<void(std::u16string_view)> take_;
    std::u16string text_;
    long left_ = -1;  // units still to come of the current text; -1 before its count
    unsigned low_ = 0;
    bool has_low_ = false;
    std::uint64_t position_ = 0;
};

// Counts what would be written.
class size_sink : public byte_sink {
public:
    void write(std::span<const std::byte> bytes) override { size_ += bytes.size(); }
    std::uint64_t position() const override { return size_; }

private:
    std::uint64_t size_ = 0;
};

}  // namespace

std::uint64_t biff_string_table::size() {
    size_sink counted;
    return write(counted, 0);
}

// Records are built one at a time and leave for out as soon as they are complete.
std::uint64_t biff_string_table::write(byte_sink& out, std::uint64_t stream_offset) {
    const std::uint32_t count = table_.unique_count();
    const std::uint32_t per_bucket = std::max(min_strings_per_bucket, (count + max_buckets - 1) / max_buckets);
    struct bucket { std::uint64_t position; std::uint32_t offset_in_record; };
    std::vector<bucket> buckets;
    std::uint64_t written = 0;
    biff_buffer record;
    auto next_record = [&] {
        record.end();
        out.write(record.view());
        written += record.size();
        record.clear();
        record.begin(biff_type::continue_record);
    };

    record.begin(biff_type::sst);
    record.u32(static_cast<std::uint32_t>(table_.use_count()));
    record.u32(count);
    std::uint32_t i = 0;
    text_reader reader([&](std::u16string_view text) {
        const bool compressed = biff_fits_in_bytes(text);
        const std::size_t char_size = compressed ? 1 : 2;
        // the count and flags never part from the first character
        if (record.open_body_size() + 3 + (text.empty() ? 0 : char_size) > biff_max_record_body) next_record();
        if (i++ % per_bucket == 0)
            buckets.push_back({stream_offset + written + record.size(), static_cast<std::uint32_t>(record.size())});
        record.u16(static_cast<std::uint32_t>(text.size()));
        record.u8(compressed ? 0 : 1);
        std::size_t done = 0;
        while (done < text.size()) {
            const std::size_t room = (biff_max_record_body - record.open_body_size()) / char_size;
            if (room == 0) {
                next_record();
                record.u8(compressed ? 0 : 1);  // a continued string repeats its flags
                continue;
            }
            const std::size_t piece = std::min(room, text.size() - done);
            write_unicode_chars(record, text.substr(done, piece), compressed);
            done += piece;
        }
    });
    texts_.copy_to(reader);
    record.end();

    record.begin(biff_type::ext_sst);
    record.u16(per_bucket);
    for (const bucket& b : buckets) {
        record.u32(static_cast<std::uint32_t>(b.position));
        record.u16(b.offset_in_record);
        record.u16(0);
    }
    record.end();
    out.write(record.view());
    return written + record.size();
}
