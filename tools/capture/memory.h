// Whether a capture's pictures fit in memory, checked before anything is drawn: a 4K picture
// supersampled four times each way needs gigabytes.
#pragma once

#include "tools/capture/options.h"

#include <string>

// Bytes a capture holds for its pictures: the frame buffer standing for the window (colour and
// depth, supersample² times the picture), the reduction's sums and the band it reads, the
// effects' targets when they grow with the picture, and the finished frames on their way to the
// writer.
long long captureBytesNeeded(const CaptureOptions& options);
// Memory the system can still hand out, in bytes; -1 when it cannot be told.
long long availableMemoryBytes();
// False with a message naming both figures when `needed` is more than is available.
bool checkMemory(const CaptureOptions& options, long long needed, long long available, std::string& problem);
