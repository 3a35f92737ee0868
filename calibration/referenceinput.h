#pragma once
// What the curve page needs from the reference value dialog: its public
// variables and a modal show. The real one is ReferenceDialog; tests
// script their own.
#include <QString>

namespace qm {

class ReferenceInput {
  public:
    static constexpr float kCancelled = 999999.0f;

    virtual ~ReferenceInput() = default;

    float signal = 0;        // signal in mV/V
    float reference = 0;     // reference value; kCancelled after cancel
    QString referenceMask;   // display mask for reference
    bool signalFocus = true; // true: the signal field gets the focus

    // Shows the dialog modally; returns when it is hidden again.
    virtual void showModal() = 0;
};

} // namespace qm
