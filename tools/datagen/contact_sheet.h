// One PNG showing every image of the archive with its name, for review.
#pragma once

#include "tools/datagen/pak.h"

#include <string>
#include <vector>

bool writeContactSheet(const std::vector<PakFile>& files, const std::string& path, std::string& error);
