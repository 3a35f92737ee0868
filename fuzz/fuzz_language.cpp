// Any bytes as a language file: parsed and shown in its own and another
// character set without a crash; every entry lands within the table.
#include "core/languagefile.h"

#include <cstdlib>

using namespace qm;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const LanguageFile file = ParseLanguage(bytes);
    for (const auto& [n, text] : file.entries)
        if (n < 1 || n > LangTable::kSize) std::abort();
    LangTable table;
    FillLanguageTable(file, file.charset, table);
    FillLanguageTable(file, 204, table); // Cyrillic
    return 0;
}
