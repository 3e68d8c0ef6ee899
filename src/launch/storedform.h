#pragma once

#include "launch/launchform.h"

// The launch form of a main window freshly loaded from the store, built
// without one: what start-up and the settings load would put into each
// control, and what the map lists would offer. Reads only.
LaunchForm launchFormFromStore();
