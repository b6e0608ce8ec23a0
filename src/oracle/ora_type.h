// The column binding classes: one object per select-list column, chosen by the column's
// Oracle data type, that defines the fetch buffer and turns each fetched value into an
// ole_variant.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "oracle/oci_calls.h"
#include "records/udb_field.h"

class ora_type {
public:
    ora_type(const ora_column_info& column, ub2 ctype);
    virtual ~ora_type();
    ora_type(const ora_type&) = delete;
    ora_type& operator=(const ora_type&) = delete;

    // The ole_variant tag of this column's values.
    virtual vartype get_vartype() const;
    // A new descriptor of the column.
    virtual std::unique_ptr<t_ftd> get_ftd() const;
    // The value fetched last; called only when it is not NULL.
    virtual void to_variant(ole_variant& value) = 0;
    // Binds the fetch buffer to the column at position (from 1).
    virtual void define(OCIStmt* statement, ub4 position) = 0;

    bool is_null() const noexcept { return indicator_ == OCI_IND_NULL; }
    const std::string& name() const noexcept { return name_; }
    std::int32_t size() const noexcept { return size_; }
    void set_size(std::int32_t size) noexcept { size_ = size; }
    ub2 ctype() const noexcept { return ctype_; }

protected:
    OCIDefine* define_ = nullptr;  // freed with the statement
    std::string name_;
    bool nullable_;
    std::int32_t size_ = 0;
    ub2 ctype_;
    sb2 indicator_ = OCI_IND_NOTNULL;
};

// The binding object for a described column (the whole type dispatch).
std::unique_ptr<ora_type> gen_co_by_type(const ora_column_info& column);

// The tag a NUMBER of this precision and scale is read as. precision may be raised (NUMBER(5,5)
// needs 6 digits as a decimal); a scale of -127 marks a FLOAT or an unconstrained NUMBER.
vartype get_refined_num_type(std::int32_t& precision, std::int32_t scale);

// Text columns: CHAR, VARCHAR2 and their national forms.
class ora_string : public ora_type {
public:
    explicit ora_string(const ora_column_info& column);
    void to_variant(ole_variant& value) override;
    void define(OCIStmt* statement, ub4 position) override;

private:
    std::u16string buffer_;
    ub2 returned_bytes_ = 0;
};

// NUMBER and FLOAT, fetched as Oracle's own text and read into the refined tag.
class ora_number : public ora_type {
public:
    explicit ora_number(const ora_column_info& column);
    vartype get_vartype() const override { return refined_; }
    std::unique_ptr<t_ftd> get_ftd() const override;
    void to_variant(ole_variant& value) override;
    void define(OCIStmt* statement, ub4 position) override;

private:
    std::int32_t precision_;
    std::int32_t scale_;
    vartype refined_;
    char16_t buffer_[255] = {};
};

// BINARY_FLOAT and BINARY_DOUBLE: numbers; NaN and the infinities have no cell number and
// stay as the server's text.
class ora_float : public ora_type {
public:
    explicit ora_float(const ora_column_info& column);
    vartype get_vartype() const override;
    void to_variant(ole_variant& value) override;
    void define(OCIStmt* statement, ub4 position) override;

private:
    char16_t buffer_[64] = {};
};

// Columns read through their text form: LONG, LONG RAW (hexadecimal), ROWID, intervals and
// named types such as XMLTYPE.
class ora_str_repr : public ora_type {
public:
    explicit ora_str_repr(const ora_column_info& column);
    void to_variant(ole_variant& value) override;
    void define(OCIStmt* statement, ub4 position) override;

private:
    std::u16string buffer_;
    // A LONG RAW whose value is not wanted: a buffer too small for any value, whose
    // truncation the return code accepts, so only the indicator tells NULL from not NULL.
    bool is_presence_only_ = false;
    ub2 return_code_ = 0;
};

// DATE and every TIMESTAMP kind, through a date-time descriptor; a time zone is dropped.
class ora_date : public ora_type {
public:
    explicit ora_date(const ora_column_info& column);
    ~ora_date() override;
    void to_variant(ole_variant& value) override;
    void define(OCIStmt* statement, ub4 position) override;

private:
    OCIDateTime* descriptor_ = nullptr;
};

// RAW: the bytes as fetched, of their real length.
class ora_binary : public ora_type {
public:
    explicit ora_binary(const ora_column_info& column);
    void to_variant(ole_variant& value) override;
    void define(OCIStmt* statement, ub4 position) override;

private:
    ole_variant::byte_array buffer_;
    ub2 returned_length_ = 0;
};

// CLOB, NCLOB and BLOB, read whole through the locator in large pieces.
class ora_lob : public ora_type {
public:
    explicit ora_lob(const ora_column_info& column);
    ~ora_lob() override;
    void to_variant(ole_variant& value) override;
    void define(OCIStmt* statement, ub4 position) override;

private:
    void read_text(ole_variant& value, ub4 length);
    void read_bytes(ole_variant& value, ub4 length);

    OCILobLocator* locator_ = nullptr;
    std::u16string text_;
    ole_variant::byte_array bytes_;
};

// A column no class can read (BFILE, object types): the placeholder text in every row.
class ora_dummy : public ora_type {
public:
    explicit ora_dummy(const ora_column_info& column);
    void to_variant(ole_variant& value) override;
    void define(OCIStmt*, ub4) override {}  // nothing is fetched for it
};

// The text shown instead of a value no class can read.
inline constexpr const char* ora_unsupported_text = "<unsupported type>";
