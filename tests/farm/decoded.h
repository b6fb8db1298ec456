// What a video decodes to, for comparing masters byte for byte.
#pragma once

#include "tests/support/process.h"

#include <filesystem>
#include <sstream>
#include <string>

// The MD5 of each decoded frame, one a line (stream "0:v"), or of the whole decoded music ("0:a").
inline std::string decodedChecksums(const std::string& video, const std::string& stream = "0:v")
{
    const ProgramResult r = runProgram({"ffmpeg", "-v", "error", "-i", video, "-map", stream, "-f",
                                        stream == "0:v" ? "framemd5" : "md5", "-"},
                                       std::filesystem::path(video).parent_path().string(), 120);
    std::string sums;
    std::istringstream lines(r.output);
    for (std::string line; std::getline(lines, line);)
        if (!line.empty() && line[0] != '#')
            sums += line.substr(line.rfind(',') + 1) + "\n";
    return sums;
}
