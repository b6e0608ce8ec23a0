// Exported OCI calls that read LOB locators and datetime descriptors filled by a fetch.
#include "api_support.h"
#include "round_trips.h"
#include "text_codec.h"

#include <algorithm>
#include <cstring>

using namespace ociemu;

namespace {

const lob_value& contents_of(const lob_locator& locator) {
    if (!locator.value) throw make_error(ora::invalid_lob_locator);
    return *locator.value;
}

std::uint64_t length_of(const lob_value& value) { return value.character ? value.text.size() : value.bytes.size(); }

// An NCLOB read without the national form arrives through the database character set.
bool reads_narrowed(const lob_value& value, ub1 csfrm) { return value.form == SQLCS_NCHAR && csfrm != SQLCS_NCHAR; }

// The line of a service context that is connected and not broken.
server_handle& require_live_service(OCISvcCtx* svchp) {
    auto* service = find_handle_of<service_context>(svchp, OCI_HTYPE_SVCCTX);
    if (!service || !service->server || !find_handle_of<server_handle>(service->server, OCI_HTYPE_SERVER) ||
        !service->server->database || service->server->broken)
        throw make_error(ora::not_connected);
    return *service->server;
}

struct piece {
    std::uint64_t units = 0;  // characters (UTF-16 code units) or bytes
    std::uint64_t bytes = 0;
};

// Copies from unit `start` (0-based) at most `max_units` into the buffer, as much as fits.
// Character data goes out as UTF-16 or, with a UTF-8 character set, as UTF-8 that never splits a character.
piece copy_piece(const lob_value& value, bool narrowed, std::uint64_t start, std::uint64_t max_units, void* buffer,
                 std::uint64_t buffer_bytes, bool utf16_out) {
    piece out;
    const std::u16string& text = narrowed ? value.database_text : value.text;
    const std::uint64_t length = value.character ? text.size() : value.bytes.size();
    if (start >= length) return out;
    const std::uint64_t available = std::min(max_units, length - start);
    auto* target = static_cast<unsigned char*>(buffer);
    if (!value.character) {
        out.units = out.bytes = std::min(available, buffer_bytes);
        std::memcpy(target, value.bytes.data() + start, out.bytes);
        return out;
    }
    if (utf16_out) {
        out.units = std::min(available, buffer_bytes / 2);
        // a surrogate pair is never split between pieces
        if (out.units > 0 && out.units < available && (text[start + out.units - 1] & 0xFC00) == 0xD800) --out.units;
        out.bytes = out.units * 2;
        std::memcpy(target, text.data() + start, out.bytes);
        return out;
    }
    while (out.units < available) {
        std::size_t width = (text[start + out.units] & 0xFC00) == 0xD800 && out.units + 1 < available ? 2 : 1;
        const std::string encoded = utf16_to_utf8(std::u16string_view(text).substr(start + out.units, width));
        if (out.bytes + encoded.size() > buffer_bytes) break;
        std::memcpy(target + out.bytes, encoded.data(), encoded.size());
        out.bytes += encoded.size();
        out.units += width;
    }
    return out;
}

bool wants_utf16(const lob_locator& locator, ub2 csid) {
    return csid == OCI_UTF16ID || (csid == 0 && locator.env->utf16);
}

struct read_request {
    std::uint64_t offset;       // 1-based
    std::uint64_t amount;       // 0: to the end
    void* buffer;
    std::uint64_t buffer_bytes;
    bool utf16;
    bool continue_stream;       // a polling read is under way: go on where it stopped
    ub1 csfrm;                  // the character set form the client asked for
};

struct read_result {
    piece copied;
    bool more;  // OCI_NEED_DATA: the stream has further pieces
};

// One call of a polling read: a single piece, and whether the requested range has more.
read_result read_once(lob_locator& locator, const read_request& request) {
    const lob_value& value = contents_of(locator);
    if (request.offset == 0) throw make_error(ora::illegal_lob_parameter);
    const bool narrowed = reads_narrowed(value, request.csfrm);
    const std::uint64_t length = narrowed ? value.database_text.size() : length_of(value);
    if (!request.continue_stream) {
        const std::uint64_t start = request.offset - 1;
        const std::uint64_t end = request.amount == 0 ? length : std::min(length, start + request.amount);
        locator.stream_offset = start + 1;
        locator.stream_end = std::max(start, end);
    }
    const std::uint64_t start = locator.stream_offset - 1;
    const piece copied = copy_piece(value, narrowed, start, locator.stream_end > start ? locator.stream_end - start : 0,
                                    request.buffer, request.buffer_bytes, request.utf16);
    const bool more = start + copied.units < locator.stream_end;
    locator.stream_offset = more ? start + copied.units + 1 : 0;
    return {copied, more};
}

// A read that starts a stream and ends within what came with the fetch, in one piece, needs no
// round trip.
bool served_by_prefetch(const lob_locator& locator, const read_request& request) {
    if (request.continue_stream || request.offset == 0 || !locator.value || locator.prefetched_units == 0) return false;
    if (reads_narrowed(*locator.value, request.csfrm)) return false;
    const lob_value& value = *locator.value;
    const std::uint64_t length = length_of(value);
    const std::uint64_t start = request.offset - 1;
    const std::uint64_t end = request.amount == 0 ? length : std::min(length, start + request.amount);
    if (end > locator.prefetched_units) return false;
    const std::uint64_t bytes_needed = !value.character ? end - start : request.utf16 ? (end - start) * 2 : 0;
    // UTF-8 out: assume the worst width of a character so a split read is never called free
    return (value.character && !request.utf16 ? (end - start) * 3 : bytes_needed) <= request.buffer_bytes;
}

}  // namespace

OCIEMU_EXPORT sword OCILobRead(OCISvcCtx* svchp, OCIError* errhp, OCILobLocator* locp, ub4* amtp, ub4 offset, void* bufp,
                               ub4 bufl, void* ctxp, OCICallbackLobRead cbfp, ub2 csid, ub1 csfrm) {
    error_handle* error = error_of(errhp);
    auto* locator = static_cast<lob_locator*>(find_handle(locp));
    if (!error || !locator || (locator->type != OCI_DTYPE_LOB && locator->type != OCI_DTYPE_FILE)) return OCI_INVALID_HANDLE;
    return guarded(error->diag, [&]() -> sword {
        server_handle& server = require_live_service(svchp);
        if (!amtp || !bufp) throw make_error(ora::illegal_lob_parameter);
        read_request request{offset, *amtp, bufp, bufl, wants_utf16(*locator, csid), locator->stream_offset != 0, csfrm};
        if (!served_by_prefetch(*locator, request)) count_round_trip(server);
        if (!cbfp) {
            const read_result result = read_once(*locator, request);
            *amtp = static_cast<ub4>(result.copied.units);
            return result.more ? OCI_NEED_DATA : OCI_SUCCESS;
        }
        // Callback mode: every piece goes to the callback; the last one is marked as such.
        std::uint64_t total = 0;
        request.continue_stream = false;
        for (bool first = true;; first = false) {
            const read_result result = read_once(*locator, request);
            total += result.copied.units;
            const ub1 piece_kind = !result.more ? (first ? OCI_ONE_PIECE : OCI_LAST_PIECE) : (first ? OCI_FIRST_PIECE : OCI_NEXT_PIECE);
            if (cbfp(ctxp, bufp, static_cast<ub4>(result.copied.bytes), piece_kind) != OCI_CONTINUE) {
                locator->stream_offset = 0;
                break;
            }
            if (!result.more) break;
            request.continue_stream = true;
        }
        *amtp = static_cast<ub4>(total);
        return OCI_SUCCESS;
    });
}

OCIEMU_EXPORT sword OCILobRead2(OCISvcCtx* svchp, OCIError* errhp, OCILobLocator* locp, oraub8* byte_amtp, oraub8* char_amtp,
                                oraub8 offset, void* bufp, oraub8 bufl, ub1 piece_kind, void*, OCICallbackLobRead2 cbfp,
                                ub2 csid, ub1 csfrm) {
    error_handle* error = error_of(errhp);
    auto* locator = static_cast<lob_locator*>(find_handle(locp));
    if (!error || !locator || (locator->type != OCI_DTYPE_LOB && locator->type != OCI_DTYPE_FILE)) return OCI_INVALID_HANDLE;
    return guarded(error->diag, [&]() -> sword {
        server_handle& server = require_live_service(svchp);
        if (!bufp || !byte_amtp) throw make_error(ora::illegal_lob_parameter);
        if (cbfp) throw make_error(ora::illegal_lob_parameter, "");
        const lob_value& value = contents_of(*locator);
        const bool utf16 = wants_utf16(*locator, csid);
        // Characters count for CLOBs unless only a byte amount is given; bytes count for BLOBs.
        std::uint64_t amount = *byte_amtp;
        if (value.character)
            amount = char_amtp && *char_amtp ? *char_amtp : (utf16 ? *byte_amtp / 2 : *byte_amtp);
        const bool continuing = piece_kind == OCI_NEXT_PIECE && locator->stream_offset != 0;
        const read_request request{offset, amount, bufp, bufl, utf16, continuing, csfrm};
        if (!served_by_prefetch(*locator, request)) count_round_trip(server);
        const read_result result = read_once(*locator, request);
        *byte_amtp = result.copied.bytes;
        if (char_amtp && value.character) *char_amtp = result.copied.units;
        return result.more ? OCI_NEED_DATA : OCI_SUCCESS;
    });
}

OCIEMU_EXPORT sword OCILobCharSetForm(OCIEnv* envhp, OCIError* errhp, const OCILobLocator* locp, ub1* csfrm) {
    error_handle* error = error_of(errhp);
    auto* locator = static_cast<lob_locator*>(find_handle(locp));
    if (!find_handle_of<environment>(envhp, OCI_HTYPE_ENV) || !error || !locator ||
        (locator->type != OCI_DTYPE_LOB && locator->type != OCI_DTYPE_FILE))
        return OCI_INVALID_HANDLE;
    return guarded(error->diag, [&] {
        if (!csfrm) throw make_error(ora::illegal_lob_parameter);
        *csfrm = contents_of(*locator).character ? contents_of(*locator).form : ub1{0};
        return OCI_SUCCESS;
    });
}

OCIEMU_EXPORT sword OCILobGetLength2(OCISvcCtx* svchp, OCIError* errhp, OCILobLocator* locp, oraub8* lenp) {
    error_handle* error = error_of(errhp);
    auto* locator = static_cast<lob_locator*>(find_handle(locp));
    if (!error || !locator || (locator->type != OCI_DTYPE_LOB && locator->type != OCI_DTYPE_FILE)) return OCI_INVALID_HANDLE;
    return guarded(error->diag, [&] {
        server_handle& server = require_live_service(svchp);
        if (!lenp) throw make_error(ora::illegal_lob_parameter);
        const lob_value& value = contents_of(*locator);
        if (!locator->length_prefetched) count_round_trip(server);
        *lenp = length_of(value);
        return OCI_SUCCESS;
    });
}

OCIEMU_EXPORT sword OCILobGetLength(OCISvcCtx* svchp, OCIError* errhp, OCILobLocator* locp, ub4* lenp) {
    oraub8 length = 0;
    const sword status = OCILobGetLength2(svchp, errhp, locp, lenp ? &length : nullptr);
    if (status == OCI_SUCCESS) *lenp = static_cast<ub4>(length);
    return status;
}

namespace {

const date_time& value_of(const void* descriptor) {
    auto* handle = find_handle(descriptor);
    if (!handle || (handle->type != OCI_DTYPE_TIMESTAMP && handle->type != OCI_DTYPE_TIMESTAMP_TZ &&
                    handle->type != OCI_DTYPE_TIMESTAMP_LTZ && handle->type != OCI_DTYPE_DATE))
        throw make_error(ora::datetime_internal);
    const auto& value = static_cast<datetime_descriptor*>(handle)->value;
    if (!value) throw make_error(ora::datetime_internal);
    return *value;
}

}  // namespace

OCIEMU_EXPORT sword OCIDateTimeGetDate(void* hndl, OCIError* err, const OCIDateTime* date, sb2* yr, ub1* mnth, ub1* dy) {
    error_handle* error = error_of(err);
    if (!error || !find_handle(hndl)) return OCI_INVALID_HANDLE;
    return guarded(error->diag, [&] {
        const date_time& value = value_of(date);
        if (yr) *yr = static_cast<sb2>(value.year);
        if (mnth) *mnth = static_cast<ub1>(value.month);
        if (dy) *dy = static_cast<ub1>(value.day);
        return OCI_SUCCESS;
    });
}

OCIEMU_EXPORT sword OCIDateTimeGetTime(void* hndl, OCIError* err, OCIDateTime* datetime, ub1* hr, ub1* mm, ub1* ss, ub4* fsec) {
    error_handle* error = error_of(err);
    if (!error || !find_handle(hndl)) return OCI_INVALID_HANDLE;
    return guarded(error->diag, [&] {
        const date_time& value = value_of(datetime);
        if (hr) *hr = static_cast<ub1>(value.hour);
        if (mm) *mm = static_cast<ub1>(value.minute);
        if (ss) *ss = static_cast<ub1>(value.second);
        if (fsec) *fsec = value.nanosecond;
        return OCI_SUCCESS;
    });
}

OCIEMU_EXPORT sword OCILobFreeTemporary(OCISvcCtx* svchp, OCIError* errhp, OCILobLocator* locp) {
    error_handle* error = error_of(errhp);
    auto* locator = static_cast<lob_locator*>(find_handle(locp));
    if (!error || !locator || locator->type != OCI_DTYPE_LOB) return OCI_INVALID_HANDLE;
    return guarded(error->diag, [&] {
        server_handle& server = require_live_service(svchp);
        // freeing a LOB that is not temporary changes nothing
        if (!locator->value || !locator->value->temporary) return OCI_SUCCESS;
        count_round_trip(server);
        free_temporary_lob(locator->value.get());
        locator->value.reset();  // the locator no longer points to anything
        return OCI_SUCCESS;
    });
}

OCIEMU_EXPORT sword OCILobIsTemporary(OCIEnv* envp, OCIError* errhp, OCILobLocator* locp, int* is_temporary) {
    error_handle* error = error_of(errhp);
    auto* locator = static_cast<lob_locator*>(find_handle(locp));
    if (!find_handle_of<environment>(envp, OCI_HTYPE_ENV) || !error || !locator ||
        (locator->type != OCI_DTYPE_LOB && locator->type != OCI_DTYPE_FILE))
        return OCI_INVALID_HANDLE;
    return guarded(error->diag, [&] {
        if (!is_temporary) throw make_error(ora::illegal_lob_parameter);
        *is_temporary = locator->value && locator->value->temporary ? 1 : 0;
        return OCI_SUCCESS;
    });
}

// Temporary LOBs the server keeps alive for all sessions, for tests to hold to a budget.
OCIEMU_EXPORT unsigned long long ociemu_temporary_lobs(void) { return temporary_lobs_alive(); }
