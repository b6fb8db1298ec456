// The archive files the show cannot play without: every picture and mesh a scene asks for and the
// shader sources the catalogue reads. The music is not among them: without it the show runs
// silently on its own clock.
#pragma once

#include <string>
#include <vector>

// For the catalogue as it is built now (the "Old NVidia" choice picks some shader files).
std::vector<std::string> showArchiveFiles();
