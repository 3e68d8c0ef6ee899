#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace platform {

// A port number as the server reads its host port: 1 to 65535, written in
// digits only (no blanks, no sign). The monitor reads the port it sends to
// with the same rule, so that both agree on every text.
std::optional<std::uint16_t> parsePortNumber(std::string_view text);

} // namespace platform
