#pragma once
// qm07ctl certificate: the PDF certificate of a recorded calibration.
#include "cli/clicommand.h"

namespace qm::cli {

// certificate (--id N | --serial S) -o FILE.pdf [--language cs|en|FILE]; needs
// a QGuiApplication.
int RunCertificate(Context& ctx, const QStringList& args);

} // namespace qm::cli
