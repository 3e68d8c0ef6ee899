#pragma once

// The Windows error numbers the platform functions return, as the system
// defines them.

namespace platform {

inline constexpr long errorSuccess = 0;
inline constexpr long errorFileNotFound = 2;
inline constexpr long errorAccessDenied = 5;
inline constexpr long errorInvalidHandle = 6;
inline constexpr long errorNotSupported = 50;
inline constexpr long errorInvalidParameter = 87;
inline constexpr long errorInsufficientBuffer = 122;
inline constexpr long errorMoreData = 234;
inline constexpr long errorNoMoreItems = 259;
inline constexpr long errorRegistryCorrupt = 1015;

} // namespace platform
