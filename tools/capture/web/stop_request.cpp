// Stop requests in the browser: a page has no signals and its capture runs to its end.
#include "tools/capture/stop_request.h"

void catchStopRequests() {}
int stopRequest() { return 0; }
const char* stopRequestName(int) { return "nothing"; }
void stopRequestsSettled() {}
