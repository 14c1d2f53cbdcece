#pragma once

namespace quillon {

inline constexpr const char* kVersion = "2.8i";
inline constexpr const char* kApplicationTitle = "Quillon";

}  // namespace quillon
