// Reading and writing profile files.
#include "records/profile_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <algorithm>
#include <iterator>
#include <utility>

#include "toolkit/exception.h"
#include "toolkit/files.h"
#include "toolkit/log.h"
#include "toolkit/text.h"

namespace {

constexpr std::string_view line_end = "\r\n";
constexpr std::string_view utf8_byte_order_mark = "\xEF\xBB\xBF";
constexpr char continuation_mark = '=';  // first character of each further line of a value

const profile_file::key_map no_keys;

bool is_section_header(std::string_view line) {
    return line.size() >= 2 && line.front() == '[' && line.back() == ']';
}

// The next line of text as it stands, with its CR LF or LF removed; text moves past it.
// Lines are taken one at a time, so reading costs no memory per line.
std::string_view next_line(std::string_view& text) {
    const auto feed = text.find('\n');
    std::string_view line = text.substr(0, feed);
    text.remove_prefix(feed == std::string_view::npos ? text.size() : feed + 1);
    if (feed != std::string_view::npos && !line.empty() && line.back() == '\r') line.remove_suffix(1);
    return line;
}

// trim without the copy: a query line may be as long as the file.
std::string_view trim_view(std::string_view text) {
    const auto first = text.find_first_not_of(' ');
    if (first == std::string_view::npos) return {};
    return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

void require_utf8(std::string_view text, const char* prefix, const std::string& where) {
    if (!is_valid_utf8(text)) throw tk_exception(prefix + where, tk_level_serious);
}

// A key is written before "=" (or alone), so it must read back as the same key.
void require_writable_key(const std::string& section, const std::string& key) {
    const bool readable = !key.empty() && key.find_first_of("=\n") == std::string::npos &&
                          key.front() != ' ' && key.back() != ' ' && !is_section_header(key);
    if (!readable)
        throw tk_exception("The name \"" + key + "\" of the profile section \"" + section +
                               "\" cannot be saved: a name there may not be empty, contain \"=\" or a line "
                               "break, begin or end with a blank, or be enclosed in brackets.",
                           tk_level_serious);
}

void append_key_line(std::string& out, const std::string& key, const std::string& value, bool bare_if_empty) {
    // "[a" with "b]" would come back as a section header.
    const std::string first_line = trim(key + "=" + value.substr(0, value.find('\n')));
    if (is_section_header(first_line))
        throw tk_exception("The entry \"" + first_line + "\" cannot be saved in a profile: it would read as a section.",
                           tk_level_serious);
    out += key;
    if (!(bare_if_empty && value.empty())) {
        out += '=';
        // Each line feed of the value starts a new line that carries the mark instead.
        for (const char c : value) {
            if (c == '\n') {
                out += line_end;
                out += continuation_mark;
            } else {
                out += c;
            }
        }
    }
    out += line_end;
}

// What the reader needs to know about the key line just read, for the lines that continue it.
struct open_value {
    std::string* value = nullptr;  // null when the key already held its first value
    std::string_view raw_first_line;
    bool is_continued = false;
};

}  // namespace

class profile_file::text_reader {
public:
    explicit text_reader(profile_file& profile) : profile_(profile) {}

    // False when a key or list line comes before any section.
    bool read(std::string_view text) {
        if (text.starts_with(utf8_byte_order_mark)) text.remove_prefix(utf8_byte_order_mark.size());
        int number = 0;
        while (!text.empty()) {
            const std::string_view line = next_line(text);
            rest_ = text;
            ++number;
            require_utf8(line, "Cannot convert to UNICODE string: invalid UTF-8 in line ",
                         std::to_string(number) + " of the profile.");
            if (!read_line(line)) {
                TK_LOG(3, "Profile line %d comes before any section", number);
                return false;
            }
        }
        return true;
    }

private:
    bool read_line(std::string_view line) {
        if (in_value_ && !line.empty() && line.front() == continuation_mark) {
            continue_value(line.substr(1));
            return true;
        }
        in_value_ = false;
        const std::string_view text = trim_view(line);
        if (is_section_header(text)) {
            section_ = std::string(text.substr(1, text.size() - 2));
            profile_.add_section(section_);
            has_section_ = true;
            return true;
        }
        if (text.empty()) return true;
        if (!has_section_) return false;
        if (const auto equals = text.find('='); equals != std::string_view::npos) {
            read_key_line(line, text, equals);
        } else {
            add_name(text);
        }
        return true;
    }

    void add_name(std::string_view name) {
        std::vector<std::string>& names = profile_.names_[section_];
        // room for every line still to come at the first name: growing a list of millions of
        // short names by doubling would hold half as much again
        if (names.capacity() == 0) names.reserve(2 + std::count(rest_.begin(), rest_.end(), '\n'));
        names.emplace_back(name);
    }

    void read_key_line(std::string_view line, std::string_view text, std::size_t equals) {
        const std::string key(trim_view(text.substr(0, equals)));
        auto& keys = profile_.sections_[section_];
        // The value keeps its blanks: a password may begin or end with one.
        const std::string_view value = line.substr(line.find('=') + 1);
        const auto [entry, inserted] = keys.emplace(key, std::string(value));
        value_ = open_value{inserted ? &entry->second : nullptr, value, false};
        if (!inserted) profile_.repeated_keys_.push_back({section_, key, std::string(value)});
        in_value_ = true;
    }

    // A multi-line value keeps every blank of every line, the first line's trailing ones too.
    void continue_value(std::string_view rest) {
        if (value_.value == nullptr) return;
        if (!value_.is_continued) {
            value_.value->assign(value_.raw_first_line);
            value_.is_continued = true;
        }
        value_.value->append(1, '\n').append(rest);
    }

    profile_file& profile_;
    std::string_view rest_;  // the text after the line being read
    std::string section_;
    bool has_section_ = false;
    bool in_value_ = false;
    open_value value_;
};

namespace {

// Writes the whole text to a new file beside path and renames it into place; the file is
// created with mode 0600 because it holds a password.
bool write_file_atomically(const std::string& path, const std::string& text) {
    std::string temporary = path + ".XXXXXX";
    const int fd = ::mkstemp(temporary.data());
    if (fd < 0) {
        TK_LOG(3, "Cannot create the profile %s: %s", path.c_str(), std::strerror(errno));
        return false;
    }
    std::size_t written = 0;
    while (written < text.size()) {
        const ssize_t n = ::write(fd, text.data() + written, text.size() - written);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        written += static_cast<std::size_t>(n);
    }
    const bool complete = written == text.size() && ::fsync(fd) == 0;
    const int saved_errno = errno;
    const bool closed = ::close(fd) == 0;
    if (!complete || !closed || ::rename(temporary.c_str(), path.c_str()) != 0) {
        TK_LOG(3, "Cannot write the profile %s: %s", path.c_str(),
               std::strerror(!complete ? saved_errno : errno));
        ::unlink(temporary.c_str());
        return false;
    }
    return true;
}

}  // namespace

profile_file::profile_file() {
    add_section(available_queries_section);
    add_section(selected_tables_section);
    add_section(generic_settings_section);
}

namespace {

// What a path that is not a regular file is, in the words of the refusal.
const char* kind_of_file(mode_t mode) {
    if (S_ISDIR(mode)) return "a folder";
    if (S_ISFIFO(mode)) return "a FIFO (named pipe)";
    if (S_ISCHR(mode) || S_ISBLK(mode)) return "a device";
    if (S_ISSOCK(mode)) return "a socket";
    return "not a regular file";
}

[[noreturn]] void refuse_unreadable(const std::string& path, int error_number) {
    throw tk_exception_ex(error_number, "The profile " + path + " cannot be read: ", tk_level_serious);
}

}  // namespace

bool profile_file::load(const std::string& path) {
    TK_LOG(2, "%s(%s)", __func__, path.c_str());
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) {
        if (errno == ENOENT || errno == ENOTDIR || path.empty())
            throw tk_exception("Profile does not exist. Please verify the correct path/name was given.",
                               tk_level_serious);
        refuse_unreadable(path, errno);
    }
    // Refused at once: reading a FIFO would wait for a writer forever, a device never ends.
    if (!S_ISREG(info.st_mode))
        throw tk_exception("The profile " + path + " is " + kind_of_file(info.st_mode) + ", not a profile file.",
                           tk_level_serious);
    // O_NONBLOCK: the name may have become a FIFO since the check above
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) refuse_unreadable(path, errno);
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        throw tk_exception("The profile " + path + " is " + kind_of_file(info.st_mode) + ", not a profile file.",
                           tk_level_serious);
    }
    std::string text;
    // the whole size at once: growing by doubling would hold up to three times the file
    text.reserve(static_cast<std::size_t>(info.st_size));
    char buffer[65536];
    for (;;) {
        const ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) {
            const int error_number = errno;
            ::close(fd);
            refuse_unreadable(path, error_number);
        }
        if (got == 0) break;
        text.append(buffer, static_cast<std::size_t>(got));
    }
    ::close(fd);
    return read_text(text);
}

bool profile_file::read_text(std::string_view text) { return text_reader(*this).read(text); }

bool profile_file::store(const std::string& path) const {
    TK_LOG(2, "%s(%s)", __func__, path.c_str());
    if (path.empty()) return false;
    return write_file_atomically(path, to_text());
}

std::string profile_file::to_text() const {
    std::string out;
    for (const auto& [name, keys] : sections_) {
        require_utf8(name, "Cannot convert to UTF8 string: invalid text in the profile section name ", name);
        if (name.find('\n') != std::string::npos)
            throw tk_exception("A profile section name cannot hold a line break.", tk_level_serious);
        out.append("[").append(name).append("]").append(line_end);
        const bool is_selection = name == selected_tables_section;
        for (const auto& [key, value] : keys) {
            require_writable_key(name, key);
            require_utf8(key + value, "Cannot convert to UTF8 string: invalid text in the profile entry ", key);
            append_key_line(out, key, value, is_selection);
        }
        for (const std::string& bare : names(name)) append_key_line(out, bare, {}, true);  // read as they stand
        out += line_end;
    }
    return out;
}

std::string profile_file::get_value(std::string_view section, std::string_view key) const {
    const auto& keys = get_section(section);
    const auto found = keys.find(std::string(key));
    return found == keys.end() ? std::string() : found->second;
}

void profile_file::set_value(const std::string& section, const std::string& key, const std::string& value) {
    sections_[section].emplace(key, value);
}

const profile_file::key_map& profile_file::get_section(std::string_view name) const {
    const auto found = sections_.find(name);
    return found == sections_.end() ? no_keys : found->second;
}

profile_file::key_map profile_file::take_section(std::string_view name) {
    const auto found = sections_.find(name);
    return found == sections_.end() ? key_map() : std::exchange(found->second, key_map());
}

const std::vector<std::string>& profile_file::names(std::string_view section) const {
    static const std::vector<std::string> none;
    const auto found = names_.find(section);
    return found == names_.end() ? none : found->second;
}

std::vector<std::string> profile_file::take_names(std::string_view section) {
    const auto found = names_.find(section);
    return found == names_.end() ? std::vector<std::string>() : std::exchange(found->second, {});
}

void profile_file::add_section(const std::string& name) { sections_.try_emplace(name); }
