// Test support for the Oracle classes: an engine loaded from the emulator's library, over the
// databases of tests/support/emulator.h.
#pragma once

#include <dlfcn.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "../support/emulator.h"
#include "oracle/ora_database.h"
#include "oracle/ora_engine.h"

// An engine over the emulator, connected to a service as SCOTT.
class emulator_session {
public:
    explicit emulator_session(const std::string& service, bool owned_by_user = true) {
        emulator_data_folder();
        engine_ = std::make_unique<ora_engine>(std::vector<std::string>{OCIEMU_LIBRARY});
        engine_->set_owned_by_user(owned_by_user);
        database_ = engine_->open_db(service, "SCOTT", "tiger");
    }
    ~emulator_session() {
        database_.reset();  // recordsets and the database go before the engine
        engine_.reset();
    }

    ora_engine& engine() { return *engine_; }
    ora_database& database() { return *database_; }

private:
    std::unique_ptr<ora_engine> engine_;
    std::unique_ptr<ora_database> database_;
};

// The number of round trips the emulator has counted in this process.
inline unsigned long long emulator_round_trips() {
    using counter = unsigned long long (*)();
    void* library = dlopen(OCIEMU_LIBRARY, RTLD_NOW | RTLD_NOLOAD);
    if (library == nullptr) return 0;
    auto function = reinterpret_cast<counter>(dlsym(library, "ociemu_round_trips"));
    const unsigned long long count = function ? function() : 0;
    dlclose(library);
    return count;
}

// Table names in order, as listings come in no particular one.
inline std::vector<std::string> sorted(std::vector<std::string> names) {
    std::sort(names.begin(), names.end());
    return names;
}
