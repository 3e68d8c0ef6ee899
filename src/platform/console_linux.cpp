#include "platform/console.h"

namespace platform {

void setBinaryOutput() { }

Utf8Console::Utf8Console() = default;

Utf8Console::~Utf8Console() = default;

} // namespace platform
