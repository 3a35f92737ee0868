#pragma once
// The wizard's flow in one place: which page each step shows and what Next
// and Back do there.
//
//            Next: connect, read            Next: save if changed        Next: save, reset
//   [Port] -----------------------> [Sensor] -------------------> [Curve] ------------------->
//      ^                               |  ^                          |  ^
//      +------- Back: show port -------+  +-- Back: reconnect, read --+  |
//                                                                        | Back: record
//                     [Verify] ---- Next: record, certificate, end ---> end  | what was taken
//                        +---------------------------------------------------+
//
// Back from the curve page does not just show the sensor page again: it
// connects and reads the device afresh, as Next on the port page does.
// A step's work that fails leaves the step where its work started (a failed
// reconnect after Back from the curve page leaves the port step, the curve
// page still in view).

namespace qm {

enum class WizardPage { Port, Sensor, Curve, Verify, None };

// Where the wizard stands. Start only before the first page is shown;
// Finishing while the curve's write runs; Verify once it is written.
enum class WizardStep { Start, Port, Sensor, Curve, Finishing, Verify };

// The work a button starts.
enum class WizardAction {
    None,           // the button is off
    ShowPortPage,   // show the port page with the stored port selected
    ConnectAndRead, // open the port, find the QM-07R, read it, show the sensor page
    OpenCurvePage,  // check the sensor page, save what changed, show the curve page
    Finish,         // save all, reset the device, show the verification page
    ReturnToCurve,  // record the verification taken, show the curve page with its points
    EndProgram,     // record the verification, offer the certificate, end the program
};

// A button's work, the step the wizard stands on while it runs (and stays on
// when it fails) and the step it moves to when it succeeds.
struct WizardMove {
    WizardAction action;
    WizardStep during;
    WizardStep after;
};

// A step: its page, the buttons' states and caption texts, what Next and Back do.
struct WizardStepRow {
    WizardStep step;
    WizardPage page;
    bool backEnabled, nextEnabled, cancelEnabled;
    int cancelCaption; // Back and Next keep theirs
    WizardMove next, back;
};

const WizardStepRow& wizardRow(WizardStep step);

} // namespace qm
