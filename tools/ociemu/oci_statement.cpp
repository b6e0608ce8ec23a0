// Exported OCI calls that prepare, execute, describe, define and fetch statements.
#include "api_support.h"
#include "result_cursor.h"
#include "sql_statement.h"
#include "statement_execution.h"
#include "define_transfer.h"
#include "text_codec.h"

using namespace ociemu;

namespace {

// Preparing is local in OCI: only the text and its kind are kept; errors surface at execute.
void prepare(statement_handle& statement, const std::string& text) {
    statement.text = text;
    statement.prepared = true;
    statement.executed = false;
    statement.described = false;
    statement.cursor.reset();
    statement.buffered.clear();
    statement.columns.clear();
    statement.statement_type = 0;
    try {
        const auto tokens = tokenize(text);
        if (!tokens.empty()) {
            const std::string first = to_upper_ascii(tokens[0].text);
            if (first == "SELECT" || first == "WITH" || tokens[0].text == "(") statement.statement_type = OCI_STMT_SELECT;
            else if (first == "UPDATE") statement.statement_type = OCI_STMT_UPDATE;
            else if (first == "DELETE") statement.statement_type = OCI_STMT_DELETE;
            else if (first == "INSERT") statement.statement_type = OCI_STMT_INSERT;
            else if (first == "CREATE") statement.statement_type = OCI_STMT_CREATE;
            else if (first == "DROP") statement.statement_type = OCI_STMT_DROP;
            else if (first == "ALTER") statement.statement_type = OCI_STMT_ALTER;
            else if (first == "BEGIN") statement.statement_type = OCI_STMT_BEGIN;
            else if (first == "DECLARE") statement.statement_type = OCI_STMT_DECLARE;
            else if (first == "MERGE") statement.statement_type = OCI_STMT_MERGE;
        }
    } catch (const oracle_error&) {
        // reported by the execute, as a server would
    }
}

define_handle& define_for(statement_handle& statement, ub4 position) {
    for (auto& define : statement.defines)
        if (define->position == position) return *define;  // redefining reuses the handle
    statement.defines.push_back(std::make_unique<define_handle>(statement.env, &statement));
    define_handle& define = *statement.defines.back();
    define.position = position;
    register_handle(&define);
    return define;
}

bind_handle& bind_for(statement_handle& statement, ub4 position, const std::string& name) {
    for (auto& bind : statement.binds)
        if (bind->position == position && bind->name == name) return *bind;  // binding again replaces
    statement.binds.push_back(std::make_unique<bind_handle>(statement.env, &statement));
    bind_handle& bind = *statement.binds.back();
    bind.position = position;
    bind.name = name;
    register_handle(&bind);
    return bind;
}

// Text and integer inputs are what the catalogue queries need; other types are refused.
bool is_supported_bind_type(ub2 type) {
    return type == SQLT_CHR || type == SQLT_STR || type == SQLT_AFC || type == SQLT_AVC || type == SQLT_INT ||
           type == SQLT_UIN;
}

sword bind(statement_handle& statement, OCIBind** bindp, ub4 position, const std::string& name, void* valuep,
           sb4 value_sz, ub2 dty, void* indp, ub2* alenp, ub4 maxarr_len, ub4 mode) {
    if (mode != OCI_DEFAULT || maxarr_len != 0) throw make_error(ora::bad_mode);
    if (!is_supported_bind_type(dty))
        throw make_error(ora::inconsistent_datatypes, "unsupported bind type " + std::to_string(dty));
    if ((dty == SQLT_INT || dty == SQLT_UIN) && value_sz != 1 && value_sz != 2 && value_sz != 4 && value_sz != 8)
        throw make_error(ora::inconsistent_datatypes, "integer bind of " + std::to_string(value_sz) + " bytes");
    bind_handle& target = bind_for(statement, position, name);
    target.value = valuep;
    target.value_size = value_sz;
    target.data_type = dty;
    target.indicator = static_cast<sb2*>(indp);
    target.length = alenp;
    *bindp = reinterpret_cast<OCIBind*>(&target);
    return OCI_SUCCESS;
}

}  // namespace

OCIEMU_EXPORT sword OCIBindByPos(OCIStmt* stmtp, OCIBind** bindp, OCIError* errhp, ub4 position, void* valuep,
                                 sb4 value_sz, ub2 dty, void* indp, ub2* alenp, ub2*, ub4 maxarr_len, ub4*, ub4 mode) {
    auto* statement = find_handle_of<statement_handle>(stmtp, OCI_HTYPE_STMT);
    error_handle* error = error_of(errhp);
    if (!statement || !error || !bindp) return OCI_INVALID_HANDLE;
    return guarded(error->diag, [&] {
        if (position == 0) throw make_error(ora::bad_mode);
        return bind(*statement, bindp, position, {}, valuep, value_sz, dty, indp, alenp, maxarr_len, mode);
    });
}

OCIEMU_EXPORT sword OCIBindByName(OCIStmt* stmtp, OCIBind** bindp, OCIError* errhp, const OraText* placeholder,
                                  sb4 placeh_len, void* valuep, sb4 value_sz, ub2 dty, void* indp, ub2* alenp, ub2*,
                                  ub4 maxarr_len, ub4*, ub4 mode) {
    auto* statement = find_handle_of<statement_handle>(stmtp, OCI_HTYPE_STMT);
    error_handle* error = error_of(errhp);
    if (!statement || !error || !bindp) return OCI_INVALID_HANDLE;
    return guarded(error->diag, [&] {
        std::string name = placeholder && placeh_len > 0
                               ? statement->env->decode(placeholder, static_cast<std::size_t>(placeh_len))
                               : std::string();
        if (!name.empty() && name.front() == ':') name.erase(0, 1);
        if (name.empty()) throw make_error(ora::bad_mode);
        return bind(*statement, bindp, 0, to_upper_ascii(name), valuep, value_sz, dty, indp, alenp, maxarr_len, mode);
    });
}

OCIEMU_EXPORT sword OCIStmtPrepare(OCIStmt* stmtp, OCIError* errhp, const OraText* stmt, ub4 stmt_len, ub4 language, ub4 mode) {
    auto* statement = find_handle_of<statement_handle>(stmtp, OCI_HTYPE_STMT);
    error_handle* error = error_of(errhp);
    if (!statement || !error) return OCI_INVALID_HANDLE;
    return guarded(error->diag, [&] {
        if (language != OCI_NTV_SYNTAX && language != 2 && language != 3) throw make_error(ora::bad_mode);
        if (mode != OCI_DEFAULT) throw make_error(ora::bad_mode);
        if (!stmt) throw make_error(ora::invalid_sql_statement);
        prepare(*statement, statement->env->decode(stmt, stmt_len));
        return OCI_SUCCESS;
    });
}

OCIEMU_EXPORT sword OCIStmtPrepare2(OCISvcCtx* svchp, OCIStmt** stmtp, OCIError* errhp, const OraText* stmt, ub4 stmt_len,
                                    const OraText*, ub4, ub4 language, ub4 mode) {
    auto* service = find_handle_of<service_context>(svchp, OCI_HTYPE_SVCCTX);
    error_handle* error = error_of(errhp);
    if (!service || !error || !stmtp) return OCI_INVALID_HANDLE;
    *stmtp = nullptr;
    return guarded(error->diag, [&] {
        if (language != OCI_NTV_SYNTAX && language != 2 && language != 3) throw make_error(ora::bad_mode);
        if (mode != OCI_DEFAULT) throw make_error(ora::bad_mode);
        if (!stmt) throw make_error(ora::invalid_sql_statement);
        auto statement = std::make_unique<statement_handle>(service->env);
        statement->from_cache = true;
        prepare(*statement, service->env->decode(stmt, stmt_len));
        register_handle(statement.get());
        *stmtp = reinterpret_cast<OCIStmt*>(statement.release());
        return OCI_SUCCESS;
    });
}

OCIEMU_EXPORT sword OCIStmtRelease(OCIStmt* stmtp, OCIError* errhp, const OraText*, ub4, ub4 mode) {
    auto* statement = find_handle_of<statement_handle>(stmtp, OCI_HTYPE_STMT);
    error_handle* error = error_of(errhp);
    if (!statement || !error) return OCI_INVALID_HANDLE;
    return guarded(error->diag, [&] {
        if (mode != OCI_DEFAULT && mode != OCI_STRLS_CACHE_DELETE) throw make_error(ora::bad_mode);
        if (!statement->from_cache) throw make_error(ora::internal_error, "statement was not made by OCIStmtPrepare2");
        destroy_handle(statement);
        return OCI_SUCCESS;
    });
}

OCIEMU_EXPORT sword OCIStmtExecute(OCISvcCtx* svchp, OCIStmt* stmtp, OCIError* errhp, ub4 iters, ub4, const OCISnapshot*,
                                   OCISnapshot*, ub4 mode) {
    auto* service = find_handle_of<service_context>(svchp, OCI_HTYPE_SVCCTX);
    auto* statement = find_handle_of<statement_handle>(stmtp, OCI_HTYPE_STMT);
    error_handle* error = error_of(errhp);
    if (!service || !statement || !error) return OCI_INVALID_HANDLE;
    return guarded(error->diag, [&] { return execute_statement(*service, *statement, error->diag, iters, mode); });
}

OCIEMU_EXPORT sword OCIStmtFetch2(OCIStmt* stmtp, OCIError* errhp, ub4 nrows, ub2 orientation, sb4, ub4 mode) {
    auto* statement = find_handle_of<statement_handle>(stmtp, OCI_HTYPE_STMT);
    error_handle* error = error_of(errhp);
    if (!statement || !error) return OCI_INVALID_HANDLE;
    return guarded(error->diag, [&] {
        if (mode != OCI_DEFAULT) throw make_error(ora::bad_mode);
        return fetch_rows(*statement, error->diag, nrows, orientation);
    });
}

OCIEMU_EXPORT sword OCIStmtFetch(OCIStmt* stmtp, OCIError* errhp, ub4 nrows, ub2 orientation, ub4 mode) {
    return OCIStmtFetch2(stmtp, errhp, nrows, orientation, 0, mode);
}

OCIEMU_EXPORT sword OCIDefineByPos(OCIStmt* stmtp, OCIDefine** defnp, OCIError* errhp, ub4 position, void* valuep,
                                   sb4 value_sz, ub2 dty, void* indp, ub2* rlenp, ub2* rcodep, ub4 mode) {
    auto* statement = find_handle_of<statement_handle>(stmtp, OCI_HTYPE_STMT);
    error_handle* error = error_of(errhp);
    if (!statement || !error || !defnp) return OCI_INVALID_HANDLE;
    return guarded(error->diag, [&] {
        if (mode != OCI_DEFAULT) throw make_error(ora::bad_mode);
        if (position == 0) throw make_error(ora::variable_not_in_select_list);
        if (!is_supported_define_type(dty))
            throw make_error(ora::inconsistent_datatypes, "unsupported external type " + std::to_string(dty));
        define_handle& define = define_for(*statement, position);
        define.value = valuep;
        define.value_size = value_sz;
        define.data_type = dty;
        define.indicators = static_cast<sb2*>(indp);
        define.lengths = rlenp;
        define.codes = rcodep;
        *defnp = reinterpret_cast<OCIDefine*>(&define);
        return OCI_SUCCESS;
    });
}

OCIEMU_EXPORT sword OCIParamGet(const void* hndlp, ub4 htype, OCIError* errhp, void** parmdpp, ub4 pos) {
    auto* statement = find_handle_of<statement_handle>(hndlp, OCI_HTYPE_STMT);
    error_handle* error = error_of(errhp);
    if (!statement || htype != OCI_HTYPE_STMT || !error || !parmdpp) return OCI_INVALID_HANDLE;
    *parmdpp = nullptr;
    return guarded(error->diag, [&] {
        if (!statement->described) throw make_error(ora::statement_not_executed);
        if (pos == 0 || pos > statement->columns.size()) throw make_error(ora::no_descriptor_for_position);
        statement->params.push_back(
            std::make_unique<param_descriptor>(statement->env, statement, statement->columns[pos - 1]));
        register_handle(statement->params.back().get());
        *parmdpp = statement->params.back().get();
        return OCI_SUCCESS;
    });
}
