// The column binding classes that fetch through client descriptors: dates and LOBs.
#include <algorithm>

#include "oracle/fetched_text.h"
#include "oracle/ora_engine.h"
#include "oracle/ora_type.h"
#include "toolkit/log.h"
#include "values/calendar.h"

namespace {

// Characters (CLOB) or bytes (BLOB) asked for per read: each read is a round trip, so the
// pieces are large; a LOB longer than this takes several.
constexpr ub4 lob_piece = 512 * 1024;

}  // namespace

ora_date::ora_date(const ora_column_info& column) : ora_type(column, column.data_type) {
    descriptor_ = static_cast<OCIDateTime*>(oci_calls::instance().alloc_descriptor(OCI_DTYPE_TIMESTAMP));
}

ora_date::~ora_date() {
    if (oci_calls::is_initialized()) oci_calls::instance().free_descriptor(descriptor_, OCI_DTYPE_TIMESTAMP);
}

void ora_date::define(OCIStmt* statement, ub4 position) {
    TK_LOG(2, "ora_date::define(%u)", position);
    // Every date and time-stamp kind is fetched as a plain TIMESTAMP: the server converts, and
    // a time zone is dropped.
    define_ = oci_calls::instance().define(statement, position, &descriptor_, sizeof descriptor_, SQLT_TIMESTAMP,
                                           &indicator_, nullptr);
}

void ora_date::to_variant(ole_variant& value) {
    TK_LOG(1, "ora_date::to_variant");
    const ora_datetime_parts parts = oci_calls::instance().datetime_parts(descriptor_);
    TK_LOG(1, "Got time: %02d:%02d:%02d.%u", parts.hour, parts.minute, parts.second, parts.nanoseconds);
    if (parts.year < 1) {
        // No date value reaches before the year 1: the row keeps the date as its text.
        value.attach_string(canonical_date_text(parts.year, parts.month, parts.day, parts.hour, parts.minute,
                                                parts.second, static_cast<int>(parts.nanoseconds / 1'000'000)));
        return;
    }
    ole_systemtime time;
    time.year = static_cast<std::uint16_t>(parts.year);
    time.month = parts.month;
    time.day = parts.day;
    time.hour = parts.hour;
    time.minute = parts.minute;
    time.second = parts.second;
    time.milliseconds = static_cast<std::uint16_t>(parts.nanoseconds / 1'000'000);
    value = ole_variant(time);
}

ora_lob::ora_lob(const ora_column_info& column) : ora_type(column, column.data_type) {
    locator_ = static_cast<OCILobLocator*>(oci_calls::instance().alloc_descriptor(OCI_DTYPE_LOB));
}

ora_lob::~ora_lob() {
    if (oci_calls::is_initialized()) oci_calls::instance().free_descriptor(locator_, OCI_DTYPE_LOB);
}

void ora_lob::define(OCIStmt* statement, ub4 position) {
    TK_LOG(2, "ora_lob::defind(%u)", position);
    define_ = oci_calls::instance().define(statement, position, &locator_, sizeof locator_, ctype_, &indicator_,
                                           nullptr);
}

void ora_lob::to_variant(ole_variant& value) {
    TK_LOG(1, "ora_lob::to_variant");
    if (ctype_ == SQLT_BLOB && ora_engine::instance().binary_values_off()) {
        value.attach_binary(ole_variant::byte_array());  // the locator says the value is there
        return;
    }
    const ub4 length = oci_calls::instance().lob_length(locator_);
    if (ctype_ == SQLT_CLOB) read_text(value, length);
    else read_bytes(value, length);
}

// Amounts and offsets of a CLOB count UTF-16 units in this environment, so a character
// outside the Basic Multilingual Plane counts two and may straddle two pieces; the pieces
// are joined before the text is converted, so it arrives whole.
void ora_lob::read_text(ole_variant& value, ub4 length) {
    TK_LOG(1, "Got SQLT_CLOB!");
    oci_calls& calls = oci_calls::instance();
    text_.clear();
    text_.reserve(length);
    const ub1 form = length > 0 ? calls.lob_charset_form(locator_) : SQLCS_IMPLICIT;
    std::u16string piece(std::min(length, lob_piece), u'\0');
    for (ub4 offset = 1; text_.size() < length;) {
        ub4 amount = std::min<ub4>(lob_piece, length - static_cast<ub4>(text_.size()));
        const sword status = calls.lob_read(locator_, &amount, offset, piece.data(), amount * 2, OCI_UTF16ID, form);
        TK_LOG(1, "bytes_read=%u", amount * 2);
        if (status == OCI_NEED_DATA)
            throw tk_exception("The Oracle client sent column '" + name_ + "' in pieces that were not asked for.",
                               tk_level_recoverable);
        if (amount == 0) break;  // the LOB ended early: it was shortened since the row was read
        text_.append(piece.data(), amount);
        offset += amount;
    }
    value.attach_string(fetched_text(text_, name_));
}

void ora_lob::read_bytes(ole_variant& value, ub4 length) {
    oci_calls& calls = oci_calls::instance();
    bytes_.resize(length);
    ub4 done = 0;
    while (done < length) {
        ub4 amount = std::min(lob_piece, length - done);
        const sword status =
            calls.lob_read(locator_, &amount, done + 1, bytes_.data() + done, amount, 0, 0);
        TK_LOG(1, "bytes_read=%u", amount);
        if (status == OCI_NEED_DATA)
            throw tk_exception("The Oracle client sent column '" + name_ + "' in pieces that were not asked for.",
                               tk_level_recoverable);
        if (amount == 0) break;
        done += amount;
    }
    bytes_.resize(done);
    value.attach_binary(bytes_);
}
