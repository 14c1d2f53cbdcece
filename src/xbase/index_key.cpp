#include "xbase/index_key.h"

#include <cstdint>
#include <cstring>

namespace quillon::xbase {

int keyLengthOf(ValueType type) {
  return type == ValueType::Logical ? 1 : type == ValueType::Character ? 0 : 8;
}

std::string encodeKey(const Value& value, ValueType type, int keyLength) {
  if (type == ValueType::Character) {
    std::string key = value.text.substr(0, static_cast<size_t>(keyLength));
    key.resize(static_cast<size_t>(keyLength), ' ');
    return key;
  }
  if (type == ValueType::Logical) return value.logical ? "T" : "F";
  double number = type == ValueType::Date ? static_cast<double>(value.date.julian()) : value.number;
  if (number == 0) number = 0;  // -0.0 sorts as 0
  std::uint64_t bits;
  std::memcpy(&bits, &number, sizeof bits);
  bits = (bits >> 63) ? ~bits : bits | (std::uint64_t(1) << 63);
  std::string key(8, '\0');
  for (int i = 0; i < 8; ++i) key[i] = static_cast<char>(bits >> (56 - 8 * i));
  return key;
}

}  // namespace quillon::xbase
