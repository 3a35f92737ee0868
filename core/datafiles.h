#pragma once
// Where the calibrator finds its language file: beside the program first (a
// build tree, or a copy the user placed there), then in the installed share
// folder next to the program's bin folder.
#include <QString>

namespace qm {

inline constexpr char kLanguageFileName[] = "qm07r.lang";

// The language file for a program in programDir; the one beside the program
// when neither exists (so that "no file" behaves as it always did).
QString FindLanguageFile(const QString& programDir,
                         const QString& dataFromBin = QStringLiteral(QM_DATA_FROM_BIN));

} // namespace qm
