#pragma once
// The last message of a calibration, offering its certificate as a PDF.
#include <QString>

namespace qm {

class FileChooser;
class LangTable;
class MessageSink;
struct CalibrationRecord;

// Shows text; with a file chooser it asks whether to save the record's
// certificate (with asLeft, the verification that checks it), asks where,
// writes it and says how that went.
void OfferCertificate(MessageSink& messages, FileChooser* files, const LangTable& lang,
                      const CalibrationRecord& record, const CalibrationRecord* asLeft,
                      const QString& text);

} // namespace qm
