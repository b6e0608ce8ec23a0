// ole_variant: the value of every cell, a tagged union with the semantics of the OLE VARIANT,
// plus exact 64-bit integers, dates that keep their milliseconds and byte arrays.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "toolkit/exception.h"
#include "values/ole_types.h"

// A conversion between two tags that cannot be made for this value.
class ole_cast_exception : public tk_exception {
public:
    ole_cast_exception();  // "Cannot cast from source type to destination type", level 0
};

// A target tag that text cannot be turned into.
class ole_type_exception : public tk_exception {
public:
    ole_type_exception();  // "The operating type is not supported yet", level 0
};

// Text is UTF-8: VT_BSTR, VT_LPSTR and VT_LPWSTR all hold UTF-8 text, so the narrow and
// wide forms of an operation are one. A value owns its text and byte array; nothing else
// is allocated, so copying a numeric value never touches the heap.
class ole_variant {
public:
    using byte_array = std::vector<std::uint8_t>;

    ole_variant() noexcept;                             // VT_EMPTY
    explicit ole_variant(const ole_systemtime& time);   // VT_DATE, milliseconds kept
    explicit ole_variant(ole_currency value) noexcept;  // VT_CY
    explicit ole_variant(const ole_decimal& value) noexcept;  // VT_DECIMAL
    ole_variant(bool value) noexcept;                   // VT_BOOL, -1 or 0
    ole_variant(char value) noexcept;                   // VT_I1
    ole_variant(signed char value) noexcept;            // VT_I1
    ole_variant(unsigned char value) noexcept;          // VT_UI1
    ole_variant(short value) noexcept;                  // VT_I2
    ole_variant(unsigned short value) noexcept;         // VT_UI2
    ole_variant(int value) noexcept;                    // VT_I4
    ole_variant(unsigned int value) noexcept;           // VT_UI4
    ole_variant(long value) noexcept;                   // VT_I8 (64-bit here)
    ole_variant(unsigned long value) noexcept;          // VT_UI8
    ole_variant(long long value) noexcept;              // VT_I8
    ole_variant(unsigned long long value) noexcept;     // VT_UI8
    ole_variant(float value) noexcept;                  // VT_R4
    ole_variant(double value) noexcept;                 // VT_R8
    ole_variant(const char* text);                      // VT_BSTR (UTF-8)
    ole_variant(std::string_view text);                 // VT_BSTR (UTF-8)
    ole_variant(const std::string& text);               // VT_BSTR (UTF-8)
    ole_variant(std::string&& text) noexcept;           // VT_BSTR, takes the text over
    ole_variant(std::u16string_view text);              // VT_BSTR from UTF-16
    ole_variant(const char16_t* text);                  // VT_BSTR from UTF-16 (not a bool)
    ole_variant(const ole_variant& other);
    ole_variant(ole_variant&& other) noexcept;          // other becomes VT_EMPTY
    virtual ~ole_variant();

    ole_variant& operator=(const ole_variant& other);   // VT_ERROR if a byte array cannot be copied
    ole_variant& operator=(ole_variant&& other) noexcept;
    ole_variant& operator=(std::string_view text);      // replaces the value by VT_BSTR text

    static ole_variant make_null() noexcept;            // VT_NULL
    static ole_variant make_error(std::int32_t code) noexcept;  // VT_ERROR holding an SCODE

    // The type tag.
    vartype get_type() const noexcept { return vt_; }
    bool is_empty() const noexcept { return vt_ == VT_EMPTY; }
    bool is_null() const noexcept { return vt_ == VT_NULL; }
    bool is_empty_or_null() const noexcept { return vt_ == VT_EMPTY || vt_ == VT_NULL; }
    // True for VT_BINARY and VT_CARRAY, the tags that hold a byte array.
    bool is_binary() const noexcept { return vt_ == VT_BINARY || vt_ == VT_CARRAY; }
    // True for VT_BSTR, VT_LPSTR and VT_LPWSTR, the tags that hold text.
    bool is_text() const noexcept { return vt_ == VT_BSTR || vt_ == VT_LPSTR || vt_ == VT_LPWSTR; }

    // Makes the value VT_EMPTY, releasing its text or bytes.
    void clear() noexcept;

    // The value as UTF-8 text: "%.16e" doubles, "0x..." bytes, canonical dates; empty for
    // VT_EMPTY, VT_NULL and VT_ERROR.
    virtual std::string to_string() const;

    // Replaces the value by one of tag target read from text: integers the way atoi reads
    // them (then cut to the target's width), floats, CY and DECIMAL with "," or "." as the decimal mark, dates by ole_date,
    // VT_BOOL from yes/true/no/false or a number, VT_BLOB from hexadecimal pairs (giving
    // VT_BINARY). Unreadable currency, decimal, date and byte texts leave VT_EMPTY; a target
    // that text cannot become throws ole_type_exception, leaving VT_EMPTY.
    void from_string(std::string_view text, vartype target);

    // Replaces the value by text.
    void attach_string(std::string_view text);

    // Replaces the value by a byte array holding a copy of the bytes.
    void attach_binary(const void* data, std::size_t size);
    void attach_binary(const byte_array& bytes);
    void attach_binary(byte_array&& bytes) noexcept;
    // The bytes of a byte array; empty for any other tag.
    std::span<const std::uint8_t> get_bytes() const noexcept;
    // Number of bytes of a byte array; 0 for any other tag.
    std::size_t get_safe_array_size() const noexcept;
    // A byte vector holding a copy of size bytes from data.
    static byte_array convert_to_byte_array(const void* data, std::size_t size);

    // Typed reads of the stored value. Each asserts the tag it serves (listed).
    bool get_bool() const;                         // VT_BOOL
    std::int8_t get_i1() const;                    // VT_I1
    std::uint8_t get_ui1() const;                  // VT_UI1
    std::int16_t get_i2() const;                   // VT_I2
    std::uint16_t get_ui2() const;                 // VT_UI2
    std::int32_t get_i4() const;                   // VT_I4, VT_INT, VT_ERROR
    std::uint32_t get_ui4() const;                 // VT_UI4, VT_UINT
    std::int64_t get_i8() const;                   // VT_I8
    std::uint64_t get_ui8() const;                 // VT_UI8
    float get_r4() const;                          // VT_R4
    double get_r8() const;                         // VT_R8
    ole_currency get_cy() const;                   // VT_CY
    const ole_decimal& get_decimal() const;        // VT_DECIMAL
    const ole_systemtime& get_date() const;        // VT_DATE: the stored date with milliseconds
    // VT_DATE: false when the stored date has no OLE date number (an impossible day such as
    // February 30, or a year outside 100..9999); writers then use its text.
    bool has_date_number() const;
    const std::string& get_text() const;           // VT_BSTR, VT_LPSTR, VT_LPWSTR

private:
    struct date_store {
        double number;
        ole_systemtime time;
        bool has_number;
    };

    void destroy() noexcept;
    void copy_from(const ole_variant& other);
    void move_from(ole_variant& other) noexcept;
    void set_text(vartype tag, std::string_view text);

    friend struct ole_variant_access;  // the conversions in ole_variant_conversion.cpp

    vartype vt_ = VT_EMPTY;
    union {
        std::int8_t i1_;
        std::uint8_t ui1_;
        std::int16_t i2_;  // also VT_BOOL
        std::uint16_t ui2_;
        std::int32_t i4_;  // also VT_INT and VT_ERROR
        std::uint32_t ui4_;  // also VT_UINT
        std::int64_t i8_;
        std::uint64_t ui8_;
        float r4_;
        double r8_;
        ole_currency cy_;
        ole_decimal decimal_;
        date_store date_;
        std::string text_;    // live only while is_text()
        byte_array bytes_;    // live only while is_binary()
    };
};
