// The profile file: one whole conversion job as UTF-8 text of "[section]" headers and
// "key=value" lines.
#pragma once

#include <map>
#include <string>
#include <string_view>
#include <vector>

// Storage of multi-line values: the first line of the value follows "key=" as usual and
// every further line is written on a line of its own that begins with "=". Such a line
// would otherwise be a key line with an empty key, which no job uses, so files without
// multi-line values read exactly as before.
class profile_file {
public:
    using key_map = std::map<std::string, std::string>;  // ordered by plain byte comparison

    static inline const std::string available_queries_section = "Available Queries";
    static inline const std::string selected_tables_section = "Selected Tables";
    static inline const std::string generic_settings_section = "Generic settings";

    // Holds the three empty sections every job has.
    profile_file();

    // Reads a profile file into this one; keys already present keep their values. Throws
    // tk_exception (level 1) when the file does not exist, is not a regular file (a folder,
    // a FIFO, a device), cannot be read (with the system's reason), or a line is not valid
    // UTF-8. False when a key or list line comes before any section.
    bool load(const std::string& path);
    // Writes the profile: a new file of mode 0600 beside the target, renamed into place when
    // complete, so a failed write leaves any earlier file as it was. False when the file
    // cannot be written (the reason is logged). Throws tk_exception (level 1) for a section
    // name or key that could not be read back as written.
    bool store(const std::string& path) const;

    // The value, or an empty text when the section or the key does not exist.
    std::string get_value(std::string_view section, std::string_view key) const;
    // Creates the section if needed; an existing key keeps its value.
    void set_value(const std::string& section, const std::string& key, const std::string& value);
    // The keys of a section; an empty map when there is no such section.
    const key_map& get_section(std::string_view name) const;
    void add_section(const std::string& name);

    const std::map<std::string, key_map, std::less<>>& sections() const noexcept { return sections_; }
    // Moves a section's keys out of the profile (which keeps the section, empty).
    key_map take_section(std::string_view name);
    // The bare names of a section (lines without "="), in file order, repeats included. They
    // are kept apart from the keys, one string each, because a selection may list millions.
    const std::vector<std::string>& names(std::string_view section) const;
    std::vector<std::string> take_names(std::string_view section);

    // A key line whose key its section already had, with its value; the first value is the
    // one kept.
    struct repeated_key {
        std::string section;
        std::string key;
        std::string value;
    };
    const std::vector<repeated_key>& repeated_keys() const noexcept { return repeated_keys_; }

    // The whole file text as store writes it.
    std::string to_text() const;
    // Reads profile text as load does, without the file.
    bool read_text(std::string_view text);

private:
    class text_reader;

    std::map<std::string, key_map, std::less<>> sections_;
    std::map<std::string, std::vector<std::string>, std::less<>> names_;
    std::vector<repeated_key> repeated_keys_;
};
