#pragma once

// The commands of tarnreg. Each returns the process exit code: 0 done, 1
// failed, with the reason in reg.exe's words on stderr.

#include <string>
#include <vector>

namespace tarnreg {

int runQuery(const std::vector<std::string> &args);
int runAdd(const std::vector<std::string> &args);
int runExport(const std::vector<std::string> &args);
int runImport(const std::vector<std::string> &args);
int runDelete(const std::vector<std::string> &args);

// The usage text on standard output, exit code 0.
int help();
// "Invalid syntax" on standard error, exit code 1.
int usage();

} // namespace tarnreg
