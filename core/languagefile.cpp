#include "core/languagefile.h"

#include "core/blanks.h"
#include "core/codepages.h"

#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>

namespace qm {

namespace {

constexpr int kMaxIndex = LangTable::kSize;
constexpr int kMaxCharset = 32767; // the set is a 16-bit number

// A decimal number from the start of text: leading blanks skipped, an
// optional sign, digits up to the first other character. false when no digit.
bool readInt(QByteArrayView text, long long& out) {
    qsizetype i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t'))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    long long v = 0;
    const qsizetype first = i;
    while (i < text.size() && text[i] >= '0' && text[i] <= '9' && v < 1'000'000'000)
        v = v * 10 + (text[i++] - '0');
    out = negative ? -v : v;
    return i > first;
}

// The usable character set of a first line, or 0 when it names none.
int charsetOf(const QByteArray& line) {
    static const QByteArray key = QByteArrayLiteral("charset=");
    const qsizetype at = line.toLower().indexOf(key);
    if (at < 0) return 0;
    const QByteArrayView value = QByteArrayView(line).sliced(at + key.size());
    // A value of one character is not taken, as the original reader did.
    long long n = 0;
    if (value.size() < 2 || !readInt(value, n) || n <= 0 || n > kMaxCharset) return 0;
    return static_cast<int>(n);
}

void addEntry(const QByteArray& rawLine, LanguageFile& file) {
    const QByteArray line = TrimBlanks(rawLine);
    const qsizetype eq = line.indexOf('=');
    if (eq < 1 || eq > 3) return;
    long long n = 0;
    if (!readInt(QByteArrayView(line).first(eq), n) || n < 1 || n > kMaxIndex) return;
    file.entries.emplace_back(static_cast<int>(n), line.mid(eq + 1));
}

std::vector<QByteArray> splitLines(const QByteArray& bytes) {
    std::vector<QByteArray> lines;
    qsizetype start = 0;
    while (start < bytes.size()) {
        qsizetype end = bytes.indexOf('\n', start);
        if (end < 0) end = bytes.size();
        QByteArray line = bytes.mid(start, end - start);
        if (line.endsWith('\r')) line.chop(1);
        lines.push_back(std::move(line));
        start = end + 1;
    }
    return lines;
}

bool isValidUtf8(QByteArrayView bytes) {
    QStringDecoder d(QStringDecoder::Utf8);
    const QString decoded = d.decode(bytes); // decoding is lazy until converted
    return !d.hasError();
}

} // namespace

LanguageFile ParseLanguage(const QByteArray& bytes) {
    LanguageFile file;
    QByteArray body = bytes;
    if (body.startsWith("\xEF\xBB\xBF") && isValidUtf8(body)) {
        file.utf8 = true;
        body.remove(0, 3);
    }
    const std::vector<QByteArray> lines = splitLines(body);
    // An empty file, or one with nothing after its charset line, has no entries.
    size_t i = 0;
    if (!lines.empty()) {
        if (const int cs = charsetOf(lines[0]); cs > 0) {
            file.charset = cs;
            i = 1;
        }
    }
    for (; i < lines.size(); ++i)
        addEntry(lines[i], file);
    return file;
}

void FillLanguageTable(const LanguageFile& file, int charset, LangTable& table) {
    const bool asUtf8 = file.utf8 && charset == file.charset;
    for (const auto& [n, text] : file.entries)
        table.set(n, asUtf8 ? QString::fromUtf8(text)
                            : FromCodePage(text, CodePageOfCharset(charset)));
}

int LoadLanguage(const QString& path, LangTable& table, LanguageFile* raw) {
    if (!QFileInfo(path).isFile()) return 0;
    QFile f(path);
    // A file that is there but cannot be read counts as one without entries.
    const QByteArray bytes = f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    LanguageFile file = ParseLanguage(bytes);
    FillLanguageTable(file, file.charset, table);
    const int charset = file.charset;
    if (raw) *raw = std::move(file);
    return charset;
}

} // namespace qm
