#pragma once
// The device reset as the RESET button, the save and the wizard's last step run
// it. The live timer stays stopped afterwards.
namespace qm {

class Clock;
class LangTable;
class ServiceActions;

void ResetDevice(ServiceActions& actions, Clock& clock, const LangTable& lang);

} // namespace qm
