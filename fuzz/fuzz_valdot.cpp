// Any typed text through ValDot, and any mask through FormatMask/FormatRight:
// no crash, no hang, and a right-aligned field is never narrower than its
// width (a wider number widens it rather than losing digits).
#include "core/numformat.h"

#include <cstdlib>
#include <cstring>

using namespace qm;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QString text =
        QString::fromUtf8(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const double v = ValDot(text);

    double raw = v;
    if (size >= sizeof raw) std::memcpy(&raw, data, sizeof raw);
    const QString mask = text.left(40);
    (void)FormatMask(v, mask);
    const QString right = FormatRight(raw, mask);
    if (right.size() < std::max<qsizetype>(0, mask.size() - mask.count(u'\\'))) std::abort();
    (void)FormatGeneral(raw);
    return 0;
}
