#pragma once
// The language file "qm07r.lang": an optional first line "charset=N", then
// lines "N=text" (N 1..99, and 100..999 for the texts added since). Its bytes are
// decoded with our own table of the code page of the character set it names,
// or as UTF-8 when the file starts with a UTF-8 BOM.
#include "core/langtable.h"

#include <QByteArray>
#include <QString>
#include <utility>
#include <vector>

namespace qm {

inline constexpr int kDefaultCharset = 238;

// The file as read, before decoding: the window keeps it so that it can show
// the captions again in another character set.
struct LanguageFile {
    int charset = kDefaultCharset;
    bool utf8 = false; // UTF-8 with a BOM: the entries are UTF-8 whatever the charset
    std::vector<std::pair<int, QByteArray>> entries; // in file order; later ones win
};

// Parses the bytes of a language file. Pure; never fails (bad lines are skipped).
LanguageFile ParseLanguage(const QByteArray& bytes);

// Fills table with the entries as a font of the given character set shows
// them. The file's own set decodes as the file was written (UTF-8 or its code page).
void FillLanguageTable(const LanguageFile& file, int charset, LangTable& table);

// Fills table from the file at path and returns its character set: 0 when no
// file is there (table untouched), otherwise the set the file names or 238.
// raw, when given, receives the parsed file.
int LoadLanguage(const QString& path, LangTable& table, LanguageFile* raw = nullptr);

} // namespace qm
