#pragma once

// The registry calls served by a SQLite database at registryLocation(): on
// Linux always, on Windows when $TARNSTARTER_REGISTRY asks for a portable
// store. They behave as registry_calls.inc describes.

#include "platform/registry.h"

namespace platform::sqlite {

#include "platform/registry_calls.inc"

} // namespace platform::sqlite
