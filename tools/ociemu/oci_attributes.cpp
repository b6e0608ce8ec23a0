// OCIAttrGet and OCIAttrSet, keyed on handle type and attribute, with each attribute's own width.
#include "api_support.h"
#include "database_session.h"

#include <cstring>

using namespace ociemu;

namespace {

[[noreturn]] void illegal_attribute() { throw make_error(ora::illegal_attribute); }

void put_text(const std::string& encoded, void* target, ub4* size) {
    *static_cast<const OraText**>(target) = reinterpret_cast<const OraText*>(encoded.data());
    if (size) *size = static_cast<ub4>(encoded.size());
}

template <typename T>
T read_attribute(const void* source) {
    T value;
    std::memcpy(&value, source, sizeof(T));
    return value;
}

void get_param(param_descriptor& param, void* target, ub4* size, ub4 attribute) {
    const oracle_type& type = param.column.type;
    switch (attribute) {
    case OCI_ATTR_DATA_SIZE: return put_attribute<ub2>(target, size, type.data_size);
    case OCI_ATTR_DATA_TYPE: return put_attribute<ub2>(target, size, type.code);
    case OCI_ATTR_DISP_SIZE: return put_attribute<ub2>(target, size, type.char_size ? type.char_size : type.data_size);
    case OCI_ATTR_PRECISION: return put_attribute<sb2>(target, size, type.precision);
    case OCI_ATTR_SCALE: return put_attribute<sb1>(target, size, type.scale);
    case OCI_ATTR_IS_NULL: return put_attribute<ub1>(target, size, param.column.nullable ? 1 : 0);
    case OCI_ATTR_FSPRECISION: return put_attribute<ub1>(target, size, type.fs_precision);
    case OCI_ATTR_LFPRECISION: return put_attribute<ub1>(target, size, type.lf_precision);
    case OCI_ATTR_CHARSET_ID:
        return put_attribute<ub2>(target, size, type.charset_form == SQLCS_NCHAR ? OCI_AL16UTF16_ID
                                                : type.charset_form ? OCI_AL32UTF8_ID : 0);
    case OCI_ATTR_CHARSET_FORM: return put_attribute<ub1>(target, size, type.charset_form);
    case OCI_ATTR_CHAR_USED: return put_attribute<ub1>(target, size, type.char_used);
    case OCI_ATTR_CHAR_SIZE: return put_attribute<ub2>(target, size, type.char_size);
    case OCI_ATTR_NAME:
        param.encoded_name = param.env->encode(param.column.name);
        return put_text(param.encoded_name, target, size);
    case OCI_ATTR_TYPE_NAME:
        param.encoded_type_name = param.env->encode(type.type_schema.empty() ? "" : type.catalogue_name);
        return put_text(param.encoded_type_name, target, size);
    case OCI_ATTR_SCHEMA_NAME:
        param.encoded_schema_name = param.env->encode(type.type_schema);
        return put_text(param.encoded_schema_name, target, size);
    default: illegal_attribute();
    }
}

void get_statement(statement_handle& statement, void* target, ub4* size, ub4 attribute) {
    switch (attribute) {
    case OCI_ATTR_PARAM_COUNT: return put_attribute<ub4>(target, size, static_cast<ub4>(statement.columns.size()));
    case OCI_ATTR_STMT_TYPE: return put_attribute<ub2>(target, size, statement.statement_type);
    case OCI_ATTR_ROW_COUNT: return put_attribute<ub4>(target, size, static_cast<ub4>(statement.row_count));
    case OCI_ATTR_UB8_ROW_COUNT: return put_attribute<oraub8>(target, size, statement.row_count);
    case OCI_ATTR_ROWS_FETCHED: return put_attribute<ub4>(target, size, statement.rows_fetched);
    case OCI_ATTR_PREFETCH_ROWS: return put_attribute<ub4>(target, size, statement.prefetch_rows);
    case OCI_ATTR_PREFETCH_MEMORY: return put_attribute<ub4>(target, size, statement.prefetch_memory);
    default: illegal_attribute();
    }
}

void get_attribute(handle_base& handle, void* target, ub4* size, ub4 attribute) {
    switch (handle.type) {
    case OCI_HTYPE_ENV: {
        auto& env = static_cast<environment&>(handle);
        if (attribute == OCI_ATTR_ENV_UTF16) return put_attribute<ub1>(target, size, env.utf16 ? 1 : 0);
        if (attribute == OCI_ATTR_CHARSET_ID || attribute == OCI_ATTR_NCHARSET_ID)
            return put_attribute<ub2>(target, size, env.utf16 ? OCI_UTF16ID : OCI_AL32UTF8_ID);
        illegal_attribute();
    }
    case OCI_HTYPE_SVCCTX: {
        auto& service = static_cast<service_context&>(handle);
        if (attribute == OCI_ATTR_SERVER) return put_attribute<void*>(target, size, service.server);
        if (attribute == OCI_ATTR_SESSION) return put_attribute<void*>(target, size, service.session);
        if (attribute == OCI_ATTR_CALL_TIMEOUT) return put_attribute<ub4>(target, size, service.call_timeout_ms);
        illegal_attribute();
    }
    case OCI_HTYPE_SERVER: {
        // known to the client without a round trip: a line is dead once a call met its loss
        auto& server = static_cast<server_handle&>(handle);
        if (attribute == OCI_ATTR_SERVER_STATUS)
            return put_attribute<ub4>(target, size,
                                      server.database && !server.broken ? OCI_SERVER_NORMAL : OCI_SERVER_NOT_CONNECTED);
        illegal_attribute();
    }
    case OCI_HTYPE_SESSION: {
        auto& session = static_cast<session_handle&>(handle);
        if (attribute == OCI_ATTR_USERNAME) {
            session.encoded_user_name = session.env->encode(session.user_name);
            return put_text(session.encoded_user_name, target, size);
        }
        if (attribute == OCI_ATTR_DEFAULT_LOBPREFETCH_SIZE) return put_attribute<ub4>(target, size, session.lob_prefetch_size);
        illegal_attribute();
    }
    case OCI_HTYPE_STMT: return get_statement(static_cast<statement_handle&>(handle), target, size, attribute);
    case OCI_DTYPE_PARAM: return get_param(static_cast<param_descriptor&>(handle), target, size, attribute);
    case OCI_HTYPE_ERROR:
        if (attribute == OCI_ATTR_PARSE_ERROR_OFFSET) return put_attribute<ub2>(target, size, 0);
        illegal_attribute();
    case OCI_HTYPE_DEFINE: {
        auto& define = static_cast<define_handle&>(handle);
        if (attribute == OCI_ATTR_CHARSET_ID) return put_attribute<ub2>(target, size, define.charset_id);
        if (attribute == OCI_ATTR_CHARSET_FORM) return put_attribute<ub1>(target, size, define.charset_form);
        illegal_attribute();
    }
    default: illegal_attribute();
    }
}

void set_attribute(handle_base& handle, void* value, ub4 size, ub4 attribute) {
    switch (handle.type) {
    case OCI_HTYPE_SVCCTX: {
        auto& service = static_cast<service_context&>(handle);
        if (attribute == OCI_ATTR_SERVER) {
            auto* server = find_handle_of<server_handle>(value, OCI_HTYPE_SERVER);
            if (!server) throw make_error(ora::illegal_handle_type);
            service.server = server;
            server->call_timeout_ms = service.call_timeout_ms;
            return;
        }
        if (attribute == OCI_ATTR_SESSION) {
            auto* session = find_handle_of<session_handle>(value, OCI_HTYPE_SESSION);
            if (!session) throw make_error(ora::illegal_handle_type);
            service.session = session;
            return;
        }
        if (attribute == OCI_ATTR_CALL_TIMEOUT) {
            service.call_timeout_ms = read_attribute<ub4>(value);
            if (service.server) service.server->call_timeout_ms = service.call_timeout_ms;
            return;
        }
        illegal_attribute();
    }
    case OCI_HTYPE_SESSION: {
        auto& session = static_cast<session_handle&>(handle);
        if (attribute == OCI_ATTR_USERNAME) { session.user_name = session.env->decode(value, size); return; }
        if (attribute == OCI_ATTR_PASSWORD) { session.password = session.env->decode(value, size); return; }
        if (attribute == OCI_ATTR_DEFAULT_LOBPREFETCH_SIZE) { session.lob_prefetch_size = read_attribute<ub4>(value); return; }
        illegal_attribute();
    }
    case OCI_HTYPE_STMT: {
        auto& statement = static_cast<statement_handle&>(handle);
        if (attribute == OCI_ATTR_PREFETCH_ROWS) { statement.prefetch_rows = read_attribute<ub4>(value); return; }
        if (attribute == OCI_ATTR_PREFETCH_MEMORY) { statement.prefetch_memory = read_attribute<ub4>(value); return; }
        illegal_attribute();
    }
    case OCI_HTYPE_DEFINE: {
        auto& define = static_cast<define_handle&>(handle);
        if (attribute == OCI_ATTR_CHARSET_ID) { define.charset_id = read_attribute<ub2>(value); return; }
        if (attribute == OCI_ATTR_CHARSET_FORM) { define.charset_form = read_attribute<ub1>(value); return; }
        if (attribute == OCI_ATTR_LOBPREFETCH_SIZE) { define.lob_prefetch_size = read_attribute<ub4>(value); return; }
        // a boolean: any width a client passes reads the same in its first byte on this platform
        if (attribute == OCI_ATTR_LOBPREFETCH_LENGTH) { define.lob_prefetch_length = read_attribute<ub1>(value) != 0; return; }
        if (attribute == OCI_ATTR_MAXDATA_SIZE) return;
        illegal_attribute();
    }
    default: illegal_attribute();
    }
}

// A select-list parameter may be addressed as OCI_DTYPE_PARAM or as OCI_HTYPE_DESCRIBE.
handle_base* attribute_target(const void* pointer, ub4 type) {
    handle_base* handle = find_handle(pointer);
    if (!handle) return nullptr;
    if (handle->type == type) return handle;
    if (handle->type == OCI_DTYPE_PARAM && type == OCI_HTYPE_DESCRIBE) return handle;
    return nullptr;
}

}  // namespace

OCIEMU_EXPORT sword OCIAttrGet(const void* trgthndlp, ub4 trghndltyp, void* attributep, ub4* sizep, ub4 attrtype,
                               OCIError* errhp) {
    error_handle* error = error_of(errhp);
    handle_base* handle = attribute_target(trgthndlp, trghndltyp);
    if (!handle) return OCI_INVALID_HANDLE;
    if (!error && handle->type != OCI_HTYPE_ENV) return OCI_INVALID_HANDLE;
    diagnostics& diag = error ? error->diag : handle->env->diag;
    return guarded(diag, [&] {
        if (!attributep) throw make_error(ora::illegal_attribute);
        get_attribute(*handle, attributep, sizep, attrtype);
        return OCI_SUCCESS;
    });
}

OCIEMU_EXPORT sword OCIAttrSet(void* trgthndlp, ub4 trghndltyp, void* attributep, ub4 size, ub4 attrtype, OCIError* errhp) {
    error_handle* error = error_of(errhp);
    handle_base* handle = attribute_target(trgthndlp, trghndltyp);
    if (!handle || !error) return OCI_INVALID_HANDLE;
    return guarded(error->diag, [&] {
        if (!attributep && attrtype != OCI_ATTR_USERNAME && attrtype != OCI_ATTR_PASSWORD)
            throw make_error(ora::illegal_attribute);
        set_attribute(*handle, attributep, size, attrtype);
        return OCI_SUCCESS;
    });
}
