#pragma once
// The wizard's flow in one place: which page each step shows and what Next
// and Back do there.
//
//            Next: connect, read            Next: save if changed        Next: save, reset, end
//   [Port] -----------------------> [Sensor] -------------------> [Curve] ---------------------->
//   end
//      ^                               |  ^                          |
//      +------- Back: show port -------+  +-- Back: reconnect, read --+
//
// Back from the curve page does not just show the sensor page again: it
// connects and reads the device afresh, as Next on the port page does.
// A step's work that fails leaves the step where its work started (a failed
// reconnect after Back from the curve page leaves the port step, the curve
// page still in view).

namespace qm {

enum class WizardPage { Port, Sensor, Curve, None };

// Where the wizard stands. Start only before the first page is shown.
enum class WizardStep { Start, Port, Sensor, Curve };

// The work a button starts.
enum class WizardAction {
    ShowPortPage,   // show the port page with the stored port selected
    ConnectAndRead, // open the port, find the QM-07R, read it, show the sensor page
    OpenCurvePage,  // check the sensor page, save what changed, show the curve page
    Finish,         // save all, reset the device, end the program
};

struct WizardStepRow {
    WizardStep step;
    WizardPage page;
    bool backEnabled; // Back on this step's page
    WizardAction onNext;
    WizardAction onBack;
};

const WizardStepRow& wizardRow(WizardStep step);
// The step an action's work belongs to: the wizard stands there while the
// work runs and stays there when it fails.
WizardStep stepOfAction(WizardAction action);
// The step the wizard moves to when the action's work succeeds.
WizardStep stepAfterAction(WizardAction action);

} // namespace qm
