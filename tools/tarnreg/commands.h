#pragma once

// The four commands of tarnreg. Each returns the process exit code: 0 done,
// 1 failed (the reason is on stderr), 2 bad usage.

#include <string>
#include <vector>

namespace tarnreg {

int runQuery(const std::vector<std::string> &args);
int runAdd(const std::vector<std::string> &args);
int runExport(const std::vector<std::string> &args);
int runImport(const std::vector<std::string> &args);

int usage();

} // namespace tarnreg
