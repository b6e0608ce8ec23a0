// A streaming XML writer that builds text in a buffer and hands it to a byte sink in
// large pieces, so a part of any size never sits in memory.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// Where finished XML bytes go: a ZIP entry, or a string in tests.
class text_sink {
public:
    virtual ~text_sink() = default;
    virtual void write(std::string_view bytes) = 0;  // throws when the bytes are not stored
};

// Collects everything in memory; for small parts and for tests.
class string_sink : public text_sink {
public:
    void write(std::string_view bytes) override { text.append(bytes); }
    std::string text;
};

// Appends text escaped for element content: &, <, > and " as entities, a carriage return
// as a character reference (a raw one would be read back as a line feed), characters XML
// 1.0 cannot hold as _xHHHH_, and an "_x" that would read as such an escape with its
// underscore escaped, so every text reads back as written. In attribute values tab and
// line feed are character references too, since readers turn raw ones into blanks.
void append_escaped_text(std::string& out, std::string_view text);
void append_escaped_attribute(std::string& out, std::string_view text);

class xml_writer {
public:
    explicit xml_writer(text_sink& sink);
    xml_writer(const xml_writer&) = delete;
    xml_writer& operator=(const xml_writer&) = delete;

    // The declaration every part starts with, followed by the only line break written.
    void prolog();
    // Element names must outlive their element: pass string literals.
    void start(std::string_view name);
    void attribute(std::string_view name, std::string_view value);
    void attribute(std::string_view name, std::int64_t value);
    void text(std::string_view value);
    // Well-formed XML that the caller built; closes a pending start tag first.
    void raw(std::string_view xml);
    void end();
    // start + text + end of an element holding only text.
    void element(std::string_view name, std::string_view value);
    // Hands the buffer to the sink; also done on its own once the buffer is large.
    void flush();
    // While held, nothing goes to the sink, so the caller can put other bytes first.
    void hold(bool is_held) { is_held_ = is_held; }
    // Gives the buffer's memory back once nothing more will be written.
    void release() noexcept { std::string().swap(buffer_); }

    std::size_t depth() const noexcept { return open_.size(); }
    // The buffer for callers that format hot-path XML themselves; call close_start_tag
    // first and maybe_flush after.
    std::string& buffer() noexcept { return buffer_; }
    void close_start_tag() {
        if (is_start_tag_open_) {
            buffer_ += '>';
            is_start_tag_open_ = false;
        }
    }
    void maybe_flush() {
        if (buffer_.size() >= flush_threshold && !is_held_) flush();
    }

    static constexpr std::size_t flush_threshold = 256 * 1024;

private:
    text_sink& sink_;
    std::string buffer_;
    std::vector<std::string_view> open_;
    bool is_start_tag_open_ = false;
    bool is_held_ = false;
};

