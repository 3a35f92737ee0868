#pragma once
#include <QFont>

namespace qm {

// "Courier New" where it is installed, else the system's fixed-pitch font.
QFont FixedPitchFont();

} // namespace qm
