// The streaming XML writer and the escaping of text for element content and attributes.
#include "excel/xlsx/xml_writer.h"

#include <charconv>

#include "toolkit/exception.h"

namespace {

constexpr char hex_digits[] = "0123456789ABCDEF";

bool is_hex(char c) {
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

void append_code_escape(std::string& out, unsigned code) {
    out += "_x";
    out += hex_digits[(code >> 12) & 0xF];
    out += hex_digits[(code >> 8) & 0xF];
    out += hex_digits[(code >> 4) & 0xF];
    out += hex_digits[code & 0xF];
    out += '_';
}

// "_x0041_" in the data would be decoded by Excel as "A"; its underscore must be escaped.
bool looks_like_code_escape(std::string_view text, std::size_t at) {
    return at + 7 <= text.size() && text[at + 1] == 'x' && is_hex(text[at + 2]) &&
           is_hex(text[at + 3]) && is_hex(text[at + 4]) && is_hex(text[at + 5]) &&
           text[at + 6] == '_';
}

bool needs_escape(unsigned char c) {
    return c < 0x20 || c == '&' || c == '<' || c == '>' || c == '"' || c == '_' || c == 0xEF;
}

void append_escaped(std::string& out, std::string_view text, bool is_attribute) {
    std::size_t plain_from = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (!needs_escape(c)) continue;
        // U+FFFE and U+FFFF (EF BF BE / EF BF BF) are not XML characters.
        const bool is_non_character = c == 0xEF && i + 2 < text.size() &&
                                      static_cast<unsigned char>(text[i + 1]) == 0xBF &&
                                      (static_cast<unsigned char>(text[i + 2]) & 0xFE) == 0xBE;
        if (c == 0xEF && !is_non_character) continue;
        if (c == '_' && !looks_like_code_escape(text, i)) continue;
        out.append(text.substr(plain_from, i - plain_from));
        plain_from = i + 1;
        switch (c) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '"': out += "&quot;"; break;
        case '_': out += "_x005F_"; break;
        case '\r': out += "&#13;"; break;
        case '\t': out += is_attribute ? "&#9;" : "\t"; break;
        case '\n': out += is_attribute ? "&#10;" : "\n"; break;
        case 0xEF:
            append_code_escape(out, static_cast<unsigned char>(text[i + 2]) == 0xBE ? 0xFFFE : 0xFFFF);
            plain_from = i + 3;
            i += 2;
            break;
        default: append_code_escape(out, c); break;
        }
    }
    out.append(text.substr(plain_from));
}

}  // namespace

void append_escaped_text(std::string& out, std::string_view text) { append_escaped(out, text, false); }

void append_escaped_attribute(std::string& out, std::string_view text) { append_escaped(out, text, true); }

xml_writer::xml_writer(text_sink& sink) : sink_(sink) {
    buffer_.reserve(flush_threshold + 4096);
    open_.reserve(16);
}

void xml_writer::prolog() {
    TK_ASSERT(buffer_.empty() && open_.empty());
    buffer_ += "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n";
}

void xml_writer::start(std::string_view name) {
    close_start_tag();
    buffer_ += '<';
    buffer_ += name;
    open_.push_back(name);
    is_start_tag_open_ = true;
}

void xml_writer::attribute(std::string_view name, std::string_view value) {
    TK_ASSERT(is_start_tag_open_);
    buffer_ += ' ';
    buffer_ += name;
    buffer_ += "=\"";
    append_escaped_attribute(buffer_, value);
    buffer_ += '"';
}

void xml_writer::attribute(std::string_view name, std::int64_t value) {
    char digits[24];
    const auto result = std::to_chars(digits, digits + sizeof digits, value);
    attribute(name, std::string_view(digits, static_cast<std::size_t>(result.ptr - digits)));
}

void xml_writer::text(std::string_view value) {
    close_start_tag();
    append_escaped_text(buffer_, value);
    maybe_flush();
}

void xml_writer::raw(std::string_view xml) {
    close_start_tag();
    buffer_ += xml;
    maybe_flush();
}

void xml_writer::end() {
    TK_ASSERT(!open_.empty());
    if (is_start_tag_open_) {
        buffer_ += "/>";
        is_start_tag_open_ = false;
    } else {
        buffer_ += "</";
        buffer_ += open_.back();
        buffer_ += '>';
    }
    open_.pop_back();
    maybe_flush();
}

void xml_writer::element(std::string_view name, std::string_view value) {
    start(name);
    text(value);
    end();
}

void xml_writer::flush() {
    if (buffer_.empty()) return;
    sink_.write(buffer_);
    buffer_.clear();
}

