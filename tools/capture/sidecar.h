// The sidecar beside every video: the same name with .json, saying what is needed to make the
// same master again: the program's version, the options, the data archive's SHA-256 and the
// number of frames.
#pragma once

#include "tools/capture/options.h"

#include <string>

// "show.mkv" -> "show.json"; "show" -> "show.json".
std::string sidecarPath(const std::string& video);
// The JSON text (pure, for the tests).
std::string sidecarJson(const CaptureOptions& options, int firstMs, int frames, const std::string& archiveSha256);
// Written whole or not at all (a temporary file renamed over); false with a message.
bool writeSidecar(const std::string& path, const std::string& json, std::string& problem);
