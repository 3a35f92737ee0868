// Any values as a history row read back (a shared history is written by other
// benches and versions): the row gives a record or is left out, and the
// record prints and makes certificate figures without a control character
// reaching the terminal.
#include "cli/historytext.h"
#include "records/recordrow.h"
#include "report/certificatefigures.h"

#include <cstdlib>

using namespace qm;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray input(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    // Fields split at 0x1F; one starting with '#' is a number, as a server's column would be.
    QVariantList row;
    for (const QByteArray& field : input.split('\x1f')) {
        if (field.startsWith('#'))
            row.append(field.mid(1).toLongLong());
        else if (row.size() == 10 || row.size() == 12)
            row.append(field); // the images
        else
            row.append(QString::fromUtf8(field));
    }
    CalibrationRecord r;
    if (!RecordFromRow(row, r)) return 0;
    if (RecordKindWord(r.kind) != row.value(2).toString()) std::abort();
    for (const QChar c : cli::HistoryLine(r))
        if (c.unicode() < 0x20 || (c.unicode() >= 0x7F && c.unicode() < 0xA0)) std::abort();
    cli::CalibrationJson(r);
    FiguresOf(r);
    return 0;
}
