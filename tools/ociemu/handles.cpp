// The handle registry, text encoding of an environment, and handle destruction.
#include "handles.h"

#include "result_cursor.h"
#include "text_codec.h"

#include <algorithm>
#include <map>
#include <mutex>
#include <unordered_set>

namespace ociemu {
namespace {

std::mutex& registry_mutex() {
    static std::mutex mutex;
    return mutex;
}

std::unordered_set<const void*>& registry() {
    static std::unordered_set<const void*> handles;
    return handles;
}

bool is_child_kind(const handle_base* handle) {
    return handle->type == OCI_HTYPE_DEFINE || handle->type == OCI_HTYPE_BIND || handle->type == OCI_DTYPE_PARAM;
}

}  // namespace

std::string environment::decode(const void* text, std::size_t bytes) const {
    if (!text || bytes == 0) return {};
    if (!utf16) return std::string(static_cast<const char*>(text), bytes);
    std::u16string units(bytes / 2, u'\0');
    std::copy_n(static_cast<const unsigned char*>(text), units.size() * 2, reinterpret_cast<unsigned char*>(units.data()));
    return utf16_to_utf8(units);
}

std::string environment::encode(const std::string& utf8) const {
    if (!utf16) return utf8;
    const std::u16string units = utf8_to_utf16(utf8);
    return std::string(reinterpret_cast<const char*>(units.data()), units.size() * 2);
}

statement_handle::statement_handle(environment* owner) : handle_base(OCI_HTYPE_STMT, owner) {}

statement_handle::~statement_handle() {
    for (const auto& define : defines) unregister_handle(define.get());
    for (const auto& bind : binds) unregister_handle(bind.get());
    for (const auto& param : params) unregister_handle(param.get());
}

void register_handle(handle_base* handle) {
    std::lock_guard lock(registry_mutex());
    registry().insert(handle);
}

void unregister_handle(handle_base* handle) {
    std::lock_guard lock(registry_mutex());
    registry().erase(handle);
}

handle_base* find_handle(const void* pointer) {
    if (!pointer) return nullptr;
    std::lock_guard lock(registry_mutex());
    if (!registry().count(pointer)) return nullptr;
    return static_cast<handle_base*>(const_cast<void*>(pointer));
}

void forget_references_to(const handle_base* handle) {
    std::lock_guard lock(registry_mutex());
    for (const void* pointer : registry()) {
        auto* other = static_cast<handle_base*>(const_cast<void*>(pointer));
        if (other->type == OCI_HTYPE_SVCCTX) {
            auto* service = static_cast<service_context*>(other);
            if (service->server == handle) service->server = nullptr;
            if (service->session == handle) service->session = nullptr;
        } else if (other->type == OCI_HTYPE_SESSION) {
            auto* session = static_cast<session_handle*>(other);
            if (session->server == handle) {
                session->server = nullptr;
                session->authenticated = false;
            }
        }
    }
}

namespace {

std::mutex& temporaries_mutex() {
    static std::mutex mutex;
    return mutex;
}

std::map<const lob_value*, const session_handle*>& temporaries() {
    static std::map<const lob_value*, const session_handle*> alive;
    return alive;
}

}  // namespace

void register_temporary_lob(const lob_value* value, const session_handle* owner) {
    std::lock_guard lock(temporaries_mutex());
    temporaries()[value] = owner;
}

bool free_temporary_lob(const lob_value* value) {
    std::lock_guard lock(temporaries_mutex());
    return temporaries().erase(value) > 0;
}

void free_temporary_lobs_of(const session_handle* owner) {
    std::lock_guard lock(temporaries_mutex());
    std::erase_if(temporaries(), [&](const auto& entry) { return entry.second == owner; });
}

std::size_t temporary_lobs_alive() {
    std::lock_guard lock(temporaries_mutex());
    return temporaries().size();
}

void end_sessions_of(const server_handle* server) {
    std::lock_guard lock(registry_mutex());
    for (const void* pointer : registry()) {
        auto* other = static_cast<handle_base*>(const_cast<void*>(pointer));
        if (other->type != OCI_HTYPE_SESSION) continue;
        auto* session = static_cast<session_handle*>(other);
        if (session->server == server) {
            free_temporary_lobs_of(session);
            session->server = nullptr;
            session->authenticated = false;
        }
    }
}

void destroy_handle(handle_base* handle) {
    // No handle may keep pointing at one that is gone: a later call then fails cleanly.
    if (handle->type == OCI_HTYPE_SESSION) free_temporary_lobs_of(static_cast<const session_handle*>(handle));
    if (handle->type == OCI_HTYPE_SERVER || handle->type == OCI_HTYPE_SESSION) forget_references_to(handle);
    if (handle->type == OCI_HTYPE_ENV) {
        // Freeing an environment frees what was allocated from it: statements first, since
        // they own their defines and parameters.
        std::vector<handle_base*> statements, others;
        {
            std::lock_guard lock(registry_mutex());
            for (const void* pointer : registry()) {
                auto* child = static_cast<handle_base*>(const_cast<void*>(pointer));
                if (child == handle || child->env != handle || is_child_kind(child)) continue;
                (child->type == OCI_HTYPE_STMT ? statements : others).push_back(child);
            }
        }
        for (auto* child : statements) destroy_handle(child);
        for (auto* child : others) destroy_handle(child);
    }
    if (handle->type == OCI_DTYPE_PARAM) {
        auto* param = static_cast<param_descriptor*>(handle);
        if (param->statement) {
            auto& owned = param->statement->params;
            const auto found = std::find_if(owned.begin(), owned.end(), [&](const auto& p) { return p.get() == param; });
            if (found != owned.end()) {
                unregister_handle(param);
                found->release();
                owned.erase(found);
            }
        }
    }
    if (handle->type == OCI_HTYPE_BIND) {
        auto* bind = static_cast<bind_handle*>(handle);
        auto& owned = bind->statement->binds;
        const auto found = std::find_if(owned.begin(), owned.end(), [&](const auto& b) { return b.get() == bind; });
        unregister_handle(bind);
        if (found != owned.end()) owned.erase(found);  // deletes it
        return;
    }
    if (handle->type == OCI_HTYPE_DEFINE) {
        auto* define = static_cast<define_handle*>(handle);
        auto& owned = define->statement->defines;
        const auto found = std::find_if(owned.begin(), owned.end(), [&](const auto& d) { return d.get() == define; });
        unregister_handle(define);
        if (found != owned.end()) owned.erase(found);  // deletes it
        return;
    }
    unregister_handle(handle);
    delete handle;
}

}  // namespace ociemu
