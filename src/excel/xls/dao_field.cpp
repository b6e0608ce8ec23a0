// Field type maps of the .xls driver.
#include "excel/xls/dao_field.h"

#include "toolkit/log.h"
#include "values/ole_variant.h"

int dao_field::get_native_type(const t_ftd& descriptor) {
    TK_LOG(2, "dao_field::get_native_type(%d)", descriptor.vartype);
    const bool short_size = descriptor.size >= 1 && descriptor.size <= dao_max_text_size;
    switch (descriptor.vartype) {
        case VT_I2:
        case VT_I1: return dao_type::integer;
        case VT_I4:
        case VT_UI2: return dao_type::long_integer;
        case VT_R4: return dao_type::single;
        case VT_R8:
        case VT_DECIMAL:
        case VT_UI4:
        case VT_I8:
        case VT_UI8: return dao_type::double_number;
        case VT_CY: return dao_type::currency;
        case VT_DATE: return dao_type::date;
        case VT_BSTR: return short_size ? dao_type::text : dao_type::memo;
        case VT_BOOL: return dao_type::boolean;
        case VT_UI1: return dao_type::byte;
        case VT_BLOB:
        case VT_BLOB_OBJECT:
        case VT_BINARY: return short_size ? dao_type::binary : dao_type::long_binary;
        default: throw ole_type_exception();
    }
}

vartype dao_field::get_vartype(int dao_field_type) noexcept {
    TK_LOG(2, "dao_field::get_vartype(%d)", dao_field_type);
    switch (dao_field_type) {
        case dao_type::boolean: return VT_BOOL;
        case dao_type::byte: return VT_UI1;
        case dao_type::integer: return VT_I2;
        case dao_type::long_integer: return VT_I4;
        case dao_type::currency: return VT_CY;
        case dao_type::single: return VT_R4;
        case dao_type::double_number:
        case 19:  // big integer
        case 20:  // numeric
        case 21:  // decimal
            return VT_R8;
        case dao_type::date:
        case 22:  // time stamp
            return VT_DATE;
        case dao_type::text:
        case dao_type::memo: return VT_BSTR;
        default: return VT_BLOB;
    }
}
