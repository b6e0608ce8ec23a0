// Test support for the Oracle classes: a session loaded from the emulator's library, over the
// databases of tests/support/emulator.h, and rows read back as comparable texts.
#pragma once

#ifdef _WIN32
#include <windows.h>
#else
#include <dlfcn.h>
#endif

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "../support/emulator.h"
#include "oracle/oracle_session.h"
#include "toolkit/text.h"

// The emulator as the only library candidate, with its data folder set.
inline std::vector<std::string> emulator_library() {
    emulator_data_folder();
    return {OCIEMU_LIBRARY};
}

// A session over the emulator, connected to a service as SCOTT.
class emulator_session {
public:
    explicit emulator_session(const std::string& service, catalogue_scope scope = catalogue_scope::own_tables)
        : session_(emulator_library()) {
        session_.set_catalogue_scope(scope);
        session_.connect({"", "", service, "SCOTT", "tiger"});
    }

    oracle_session& session() { return session_; }
    oracle_session* operator->() { return &session_; }

private:
    oracle_session session_;
};

// One of the emulator's counters, read through the library this process has loaded;
// if_unloaded when it is not loaded, if_missing when it lacks the function.
inline unsigned long long emulator_counter(const char* name, unsigned long long if_unloaded,
                                           unsigned long long if_missing) {
    using counter = unsigned long long (*)();
#ifdef _WIN32
    const HMODULE library = ::GetModuleHandleA("oci.dll");  // the name a loaded module goes by
    if (library == nullptr) return if_unloaded;
    const auto function = reinterpret_cast<counter>(reinterpret_cast<void*>(::GetProcAddress(library, name)));
    return function ? function() : if_missing;
#else
    void* library = dlopen(OCIEMU_LIBRARY, RTLD_NOW | RTLD_NOLOAD);
    if (library == nullptr) return if_unloaded;
    auto function = reinterpret_cast<counter>(dlsym(library, name));
    const unsigned long long count = function ? function() : if_missing;
    dlclose(library);
    return count;
#endif
}

// The number of round trips the emulator has counted in this process.
inline unsigned long long emulator_round_trips() { return emulator_counter("ociemu_round_trips", 0, 0); }

// A value as a text naming its kind, so a whole row compares in one assertion:
// "null", "i:-9", "r:3.25" (shortest exact digits), "d:123...", "u:text" (UTF-16 as UTF-8),
// "t:text", "b:<n bytes>", "dt:2005-12-31 23:59:58.000".
inline std::string described(const cell_value& value) {
    char buffer[64];
    switch (value.kind()) {
    case value_kind::null: return "null";
    case value_kind::integer: return "i:" + std::to_string(value.integer());
    case value_kind::real: {
        const auto end = std::to_chars(buffer, buffer + sizeof buffer, value.real()).ptr;
        return "r:" + std::string(buffer, end);
    }
    case value_kind::decimal_text: return "d:" + std::string(value.text());
    case value_kind::text: return "t:" + std::string(value.text());
    case value_kind::utf16_text: return "u:" + to_utf8(value.utf16());
    case value_kind::bytes: return "b:" + std::to_string(value.bytes().size());
    case value_kind::boolean: return value.boolean() ? "true" : "false";
    case value_kind::date_time: {
        const date_time& d = value.date();
        std::snprintf(buffer, sizeof buffer, "dt:%d-%02d-%02d %02d:%02d:%02d.%03d", d.year, d.month, d.day, d.hour,
                      d.minute, d.second, d.millisecond);
        return buffer;
    }
    }
    return "?";
}

using described_row = std::vector<std::string>;

// Every row of a reader, described; a row error stops the test.
inline std::vector<described_row> read_all(table_reader& reader) {
    std::vector<described_row> rows;
    std::vector<cell_value> row;
    while (reader.next_row(row)) {
        described_row texts;
        for (const cell_value& value : row) texts.push_back(described(value));
        rows.push_back(std::move(texts));
    }
    return rows;
}

// Table names in order, as listings come in no particular one.
inline std::vector<std::string> sorted(std::vector<std::string> names) {
    std::sort(names.begin(), names.end());
    return names;
}
