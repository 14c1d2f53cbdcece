#pragma once
// Field values in record bytes: reading them as typed values and writing typed values back
// with the field's width and type rules.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "xbase/expression.h"
#include "xbase/field.h"

namespace quillon::xbase {

// Fields kept as binary numbers in Visual FoxPro tables (I, B, Y, T and 4-byte memo pointers).
bool binaryField(const FieldDef& field, bool visualFox);
// The value of a non-memo field (memo fields give their pointer text).
Value decodeField(const FieldDef& field, std::string_view raw, bool visualFox);
// A memo field's block number; nothing when the bytes are not a number.
std::optional<std::uint32_t> memoBlock(std::string_view raw, bool visualFox);
std::string encodeMemoBlock(std::uint32_t block, int width, bool visualFox);
// Stores text in a field: C cut or padded, N/F parsed and formatted, D as "YYYYMMDD" (or
// blank), L as T/F. False (with the stored bytes still set) when the value does not fit.
bool encodeFieldText(const FieldDef& field, std::string_view text, bool visualFox,
                     std::string& stored);
// Stores a number; `stored` stays empty when the field is not numeric. False when it does
// not fit (the field then holds asterisks, as xBase shows an overflow).
bool encodeFieldNumber(const FieldDef& field, double value, bool visualFox, std::string& stored);

}  // namespace quillon::xbase
