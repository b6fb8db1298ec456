// Which release a program is: the one version number of CMakeLists.txt, and the commit it was
// built from. The build stamps both into a generated source at every build.
#pragma once

#include <string>

const char* orvaluneVersion(); // "1.0.0"
// "3f2a9c1e0b7d"; "3f2a9c1e0b7d-modified" when built with uncommitted changes; "" when built
// outside a git checkout.
const char* orvaluneCommit();
// "orvalune 1.0.0 (commit 3f2a9c1e0b7d)": what --version prints and the log's first line says.
std::string versionLine(const char* program);
