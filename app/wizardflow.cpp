#include "app/wizardflow.h"

#include <array>
#include <cstddef>

namespace qm {

namespace {

// Start shows the port page as Back from the sensor page does.
constexpr std::array<WizardStepRow, 4> kRows{{
    {WizardStep::Start, WizardPage::None, false, WizardAction::ShowPortPage,
     WizardAction::ShowPortPage},
    {WizardStep::Port, WizardPage::Port, false, WizardAction::ConnectAndRead,
     WizardAction::ShowPortPage},
    {WizardStep::Sensor, WizardPage::Sensor, true, WizardAction::OpenCurvePage,
     WizardAction::ShowPortPage},
    {WizardStep::Curve, WizardPage::Curve, true, WizardAction::Finish,
     WizardAction::ConnectAndRead},
}};

struct ActionSteps {
    WizardStep during;
    WizardStep after;
};

constexpr ActionSteps stepsOf(WizardAction action) {
    switch (action) {
    case WizardAction::ShowPortPage:
        return {WizardStep::Start, WizardStep::Port};
    case WizardAction::ConnectAndRead:
        return {WizardStep::Port, WizardStep::Sensor};
    case WizardAction::OpenCurvePage:
        return {WizardStep::Sensor, WizardStep::Curve};
    case WizardAction::Finish:
        break;
    }
    return {WizardStep::Curve, WizardStep::Curve};
}

} // namespace

const WizardStepRow& wizardRow(WizardStep step) {
    return kRows[static_cast<std::size_t>(step)];
}

WizardStep stepOfAction(WizardAction action) {
    return stepsOf(action).during;
}

WizardStep stepAfterAction(WizardAction action) {
    return stepsOf(action).after;
}

} // namespace qm
