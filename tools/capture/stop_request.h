// Contract: requests from outside to stop the capture, caught by each backend's
// `stop_request.cpp`: SIGINT, SIGTERM, a hang-up and the other stop signals on Linux
// (platform/process_start.h); Ctrl+C, Ctrl+Break and the console closing on Windows; none in a
// page, which ends with its tab. The capture stops at the next frame and then finishes or removes
// its output, so no half-written file is left behind.
#pragma once

// Installs the handlers; call once before the first frame.
void catchStopRequests();
// 0 while nothing asked; otherwise the signal number that stands for the request (SIGINT for an
// interrupt, SIGTERM for an end of session, SIGHUP for a hang-up...).
int stopRequest();
const char* stopRequestName(int request);
// The output is finished or removed: a console that is closing may now end the process.
void stopRequestsSettled();
