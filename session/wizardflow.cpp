#include "session/wizardflow.h"

#include <array>
#include <cstddef>

namespace qm {

namespace {

using A = WizardAction;
using S = WizardStep;
constexpr int kCancel = 5, kCancelFinishing = 68; // caption texts

// In the order of WizardStep. Start shows the port page as Back from the
// sensor page does; Back from the curve page reads the device afresh and, when
// that fails, leaves the port step with the curve page still in view. A
// write that fails stays on the curve step; the program has ended when
// EndProgram succeeds.
// One step a line.
// clang-format off
constexpr std::array<WizardStepRow, 6> kRows{{
    // step        page                back   next   cancel caption           Next: action, during, after            Back: action, during, after
    {S::Start,     WizardPage::None,   false, false, false, kCancel,          {A::ShowPortPage, S::Start, S::Port},    {A::None, S::Start, S::Start}},
    {S::Port,      WizardPage::Port,   false, true,  true,  kCancel,          {A::ConnectAndRead, S::Port, S::Sensor}, {A::None, S::Port, S::Port}},
    {S::Sensor,    WizardPage::Sensor, true,  true,  true,  kCancel,          {A::OpenCurvePage, S::Sensor, S::Curve}, {A::ShowPortPage, S::Start, S::Port}},
    {S::Curve,     WizardPage::Curve,  true,  true,  true,  kCancel,          {A::Finish, S::Curve, S::Verify},        {A::ConnectAndRead, S::Port, S::Sensor}},
    {S::Finishing, WizardPage::None,   false, false, false, kCancelFinishing, {A::None, S::Finishing, S::Finishing},   {A::None, S::Finishing, S::Finishing}},
    {S::Verify,    WizardPage::Verify, true,  true,  true,  kCancel,          {A::EndProgram, S::Verify, S::Verify},   {A::ReturnToCurve, S::Verify, S::Curve}},
}};
// clang-format on

} // namespace

const WizardStepRow& wizardRow(WizardStep step) {
    return kRows[static_cast<std::size_t>(step)];
}

} // namespace qm
