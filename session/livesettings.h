#pragma once
// How the live signal is judged: the stability window and digits and whether
// a settled new level opens the reference dialog by itself, from the settings
// (section "Stability").
#include "calibration/stability.h"

namespace qm {

class SettingsStore;

struct LiveEvidenceSettings {
    StabilitySettings stability;
    bool autoCapture = false;
};

// WindowMs (300..60000) and Digits (above 0, up to 1000) fall back to 2000 and
// 5 when missing or not such a number; AutoCapture is on only for "1" or "true".
LiveEvidenceSettings ReadLiveEvidenceSettings(const SettingsStore& settings);

} // namespace qm
