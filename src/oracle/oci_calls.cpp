// The engine's checked wrappers of the client calls that statements, columns and LOBs use.
#include "oracle/ora_engine.h"
#include "toolkit/log.h"
#include "toolkit/text.h"

OCIStmt* ora_engine::alloc_statement() {
    void* handle = nullptr;
    check_err(fn_->OCIHandleAlloc(environment_, &handle, OCI_HTYPE_STMT, 0, nullptr), "allocate statement");
    return static_cast<OCIStmt*>(handle);
}

void ora_engine::free_statement(OCIStmt* statement) noexcept {
    // The statement's define handles go with it.
    fn_->OCIHandleFree(statement, OCI_HTYPE_STMT);
}

void ora_engine::prepare(OCIStmt* statement, std::string_view sql) {
    TK_LOG(1, "prepare: %.*s", static_cast<int>(sql.size()), sql.data());
    const std::u16string wide = to_unicode(sql);
    check_err(fn_->OCIStmtPrepare(statement, error_, reinterpret_cast<const OraText*>(wide.data()),
                                  static_cast<ub4>(wide.size() * 2), OCI_NTV_SYNTAX, OCI_DEFAULT),
              "prepare a statement");
}

void ora_engine::require_query(OCIStmt* statement) {
    ub2 type = 0;
    check_err(fn_->OCIAttrGet(statement, OCI_HTYPE_STMT, &type, nullptr, OCI_ATTR_STMT_TYPE, error_),
              "read the statement type");
    if (type == OCI_STMT_SELECT) return;
    TK_LOG(3, "statement of type %u refused as a query", type);
    throw tk_exception(ora_not_a_query_text, tk_level_serious);
}

void ora_engine::set_prefetch(OCIStmt* statement, ub4 rows, ub4 memory_bytes) {
    check_err(fn_->OCIAttrSet(statement, OCI_HTYPE_STMT, &rows, sizeof rows, OCI_ATTR_PREFETCH_ROWS, error_),
              "set prefetch rows");
    check_err(fn_->OCIAttrSet(statement, OCI_HTYPE_STMT, &memory_bytes, sizeof memory_bytes,
                              OCI_ATTR_PREFETCH_MEMORY, error_),
              "set prefetch memory");
}

sword ora_engine::execute(OCIStmt* statement, ub4 iterations, ub4 mode) {
    refuse_if_broken_off();
    return check_err(fn_->OCIStmtExecute(service_, statement, error_, iterations, 0, nullptr, nullptr, mode),
                     "execute a statement");
}

sword ora_engine::fetch(OCIStmt* statement) {
    refuse_if_broken_off();
    return check_err(fn_->OCIStmtFetch2(statement, error_, 1, OCI_FETCH_NEXT, 0, OCI_DEFAULT), "fetch a row");
}

ub4 ora_engine::param_count(OCIStmt* statement) {
    ub4 count = 0;
    check_err(fn_->OCIAttrGet(statement, OCI_HTYPE_STMT, &count, nullptr, OCI_ATTR_PARAM_COUNT, error_),
              "count the columns");
    return count;
}

ora_column_info ora_engine::describe_column(OCIStmt* statement, ub4 position) {
    void* param = nullptr;
    check_err(fn_->OCIParamGet(statement, OCI_HTYPE_STMT, error_, &param, position), "describe a column");
    ora_column_info info;
    // Each attribute is read into a variable of its own width: the client writes exactly that.
    check_err(fn_->OCIAttrGet(param, OCI_DTYPE_PARAM, &info.data_type, nullptr, OCI_ATTR_DATA_TYPE, error_),
              "read a column type");
    check_err(fn_->OCIAttrGet(param, OCI_DTYPE_PARAM, &info.data_size, nullptr, OCI_ATTR_DATA_SIZE, error_),
              "read a column size");
    check_err(fn_->OCIAttrGet(param, OCI_DTYPE_PARAM, &info.precision, nullptr, OCI_ATTR_PRECISION, error_),
              "read a column precision");
    check_err(fn_->OCIAttrGet(param, OCI_DTYPE_PARAM, &info.scale, nullptr, OCI_ATTR_SCALE, error_),
              "read a column scale");
    ub1 is_null = 1;
    check_err(fn_->OCIAttrGet(param, OCI_DTYPE_PARAM, &is_null, nullptr, OCI_ATTR_IS_NULL, error_),
              "read a column's nullability");
    info.nullable = is_null != 0;
    // Only character columns have a form; it tells NVARCHAR2, NCHAR and NCLOB apart.
    if (info.data_type == SQLT_CHR || info.data_type == SQLT_AFC || info.data_type == SQLT_CLOB)
        check_err(fn_->OCIAttrGet(param, OCI_DTYPE_PARAM, &info.charset_form, nullptr, OCI_ATTR_CHARSET_FORM,
                                  error_),
                  "read a column's character set form");
    OraText* name = nullptr;
    ub4 name_bytes = 0;
    check_err(fn_->OCIAttrGet(param, OCI_DTYPE_PARAM, &name, &name_bytes, OCI_ATTR_NAME, error_),
              "read a column name");
    // The name is UTF-16 of name_bytes bytes, not terminated; copy it before the
    // descriptor goes.
    if (name != nullptr)
        info.name = to_utf8(std::u16string_view(reinterpret_cast<const char16_t*>(name), name_bytes / 2));
    // An object column says which type it holds: only XMLTYPE can be read as text.
    if (info.data_type == SQLT_NTY) {
        OraText* type_name = nullptr;
        ub4 type_name_bytes = 0;
        check_err(fn_->OCIAttrGet(param, OCI_DTYPE_PARAM, &type_name, &type_name_bytes, OCI_ATTR_TYPE_NAME, error_),
                  "read a column's type name");
        if (type_name != nullptr)
            info.type_name =
                to_utf8(std::u16string_view(reinterpret_cast<const char16_t*>(type_name), type_name_bytes / 2));
    }
    fn_->OCIDescriptorFree(param, OCI_DTYPE_PARAM);
    TK_LOG(1, "column #%u '%s': type=%u size=%u precision=%d scale=%d nullable=%d form=%u", position,
           info.name.c_str(), info.data_type, info.data_size, info.precision, info.scale, info.nullable ? 1 : 0,
           info.charset_form);
    return info;
}

OCIDefine* ora_engine::define(OCIStmt* statement, ub4 position, void* value, sb4 value_size, ub2 type,
                              sb2* indicator, ub2* returned_length, ub2* return_code) {
    OCIDefine* handle = nullptr;
    check_err(fn_->OCIDefineByPos(statement, &handle, error_, position, value, value_size, type, indicator,
                                  returned_length, return_code, OCI_DEFAULT),
              "define a fetch buffer");
    return handle;
}

void ora_engine::set_define_charset(OCIDefine* define_handle, ub2 charset_id) {
    check_err(fn_->OCIAttrSet(define_handle, OCI_HTYPE_DEFINE, &charset_id, sizeof charset_id, OCI_ATTR_CHARSET_ID,
                              error_),
              "set a column's character set");
}

void* ora_engine::alloc_descriptor(ub4 type) {
    void* descriptor = nullptr;
    check_err(fn_->OCIDescriptorAlloc(environment_, &descriptor, type, 0, nullptr), "allocate a descriptor");
    return descriptor;
}

void ora_engine::free_descriptor(void* descriptor, ub4 type) noexcept {
    if (descriptor != nullptr) fn_->OCIDescriptorFree(descriptor, type);
}

ub4 ora_engine::lob_length(OCILobLocator* locator) {
    ub4 length = 0;
    refuse_if_broken_off();
    check_err(fn_->OCILobGetLength(service_, error_, locator, &length), "read a LOB length");
    return length;
}

ub1 ora_engine::lob_charset_form(OCILobLocator* locator) {
    ub1 form = SQLCS_IMPLICIT;
    check_err(fn_->OCILobCharSetForm(environment_, error_, locator, &form), "read a LOB character set form");
    TK_LOG(1, "Got charset form: %d", form);
    return form;
}

sword ora_engine::lob_read(OCILobLocator* locator, ub4* amount, ub4 offset, void* buffer, ub4 buffer_bytes,
                           ub2 charset_id, ub1 charset_form) {
    TK_LOG(1, "ora_lob::read_lob(%u,%u)", offset, *amount);
    refuse_if_broken_off();
    return check_err(fn_->OCILobRead(service_, error_, locator, amount, offset, buffer, buffer_bytes, nullptr,
                                     nullptr, charset_id, charset_form),
                     "read a LOB");
}

ora_datetime_parts ora_engine::datetime_parts(OCIDateTime* value) {
    ora_datetime_parts parts;
    check_err(fn_->OCIDateTimeGetDate(environment_, error_, value, &parts.year, &parts.month, &parts.day),
              "read a date");
    check_err(fn_->OCIDateTimeGetTime(environment_, error_, value, &parts.hour, &parts.minute, &parts.second,
                                      &parts.nanoseconds),
              "read a time");
    return parts;
}
