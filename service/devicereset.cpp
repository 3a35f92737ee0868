#include "service/devicereset.h"

#include "core/clock.h"
#include "core/langtable.h"
#include "service/serviceactions.h"

namespace qm {

void ResetDevice(ServiceActions& actions, Clock& clock, const LangTable& lang) {
    actions.disableNavigation();
    actions.showStatus(lang.text(kTextPleaseWait));
    actions.stopLive();
    clock.delay(200);
    actions.sendReset();
    clock.delay(1000); // the device restarts and loads its configuration
    actions.enableNavigation();
    actions.hideStatus();
}

} // namespace qm
