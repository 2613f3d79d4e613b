// The lenticular application's set-up and main functions. The pipeline,
// cameras and panel arrive with their own modules; until then a run waits
// for Stop while the windows stay responsive.
#include "app/app.h"

#include "orvant.h"

void AppSetup() { startRequested = 1; }

void AppMain() {
    while (WaitMilliseconds(100) == 0) {
    }
}
