#include "app/certificateoffer.h"

#include "core/filechooser.h"
#include "core/langtable.h"
#include "core/messages.h"
#include "records/calibrationrecord.h"
#include "report/certificate.h"

#include <QDir>
#include <QStandardPaths>

namespace qm {

void OfferCertificate(MessageSink& messages, FileChooser* files, const LangTable& lang,
                      const CalibrationRecord& record, const CalibrationRecord* asLeft,
                      const QString& text) {
    if (!files) {
        messages.information(text);
        return;
    }
    const QString question = text + QStringLiteral("\n\n") + lang.text(kTextOfferCertificate);
    if (messages.show({question, MsgIcon::Information, MsgYes | MsgNo, MsgYes}) != MsgYes) return;
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    const QString path =
        files->chooseSaveFile(lang.text(kTextCertificateTitle),
                              QDir(folder).filePath(record.certificateNo + QStringLiteral(".pdf")),
                              QStringLiteral("PDF (*.pdf)"));
    if (path.isEmpty()) return;
    QString error;
    if (WriteCertificate(record, CertificateTextsFrom([&lang](int n) { return lang.text(n); }),
                         path, &error, asLeft))
        messages.information(lang.text(kTextCertificateSaved).arg(path));
    else
        messages.critical(lang.text(kTextCertificateNotSaved).arg(error));
}

} // namespace qm
