#pragma once
// Index keys as bytes that sort with memcmp: character keys as they are (padded or cut to
// the key length), numbers and dates (Julian day number) as 8-byte big-endian doubles with
// the sign bit flipped (negative numbers: every bit flipped), logicals as "T" or "F".
#include <string>

#include "xbase/expression.h"

namespace quillon::xbase {

int keyLengthOf(ValueType type);  // for non-character keys
std::string encodeKey(const Value& value, ValueType type, int keyLength);

}  // namespace quillon::xbase
