#include "enhancements/EnhancementDescriptor.h"

#include "common/NameValueFile.h"
#include "metafile/AnsiText.h"

#include <QFile>
#include <QStringDecoder>

namespace vz {

namespace {

bool isAsciiDigit(QChar c) { return c >= QLatin1Char('0') && c <= QLatin1Char('9'); }
bool isAsciiLetter(QChar c)
{
    return (c >= QLatin1Char('a') && c <= QLatin1Char('z')) || (c >= QLatin1Char('A') && c <= QLatin1Char('Z'));
}

// A version text taken apart: its numbers (leading zeros dropped, so equal
// values have equal texts) and its letter (null when none).
struct VersionParts
{
    QList<QStringView> numbers;
    QChar letter;
};

VersionParts partsOf(QStringView text)
{
    VersionParts out;
    if (!text.isEmpty() && isAsciiLetter(text.back())) {
        out.letter = text.back();
        text.chop(1);
    }
    qsizetype start = 0;
    for (qsizetype i = 0; i <= text.size(); ++i) {
        if (i == text.size() || text.at(i) == QLatin1Char('.')) {
            QStringView number = text.mid(start, i - start);
            while (number.size() > 1 && number.front() == QLatin1Char('0'))
                number = number.mid(1);
            out.numbers.append(number);
            start = i + 1;
        }
    }
    return out;
}

int compareNumbers(QStringView a, QStringView b)
{
    if (a.size() != b.size())
        return a.size() < b.size() ? -1 : 1;
    return a.compare(b);
}

} // namespace

bool isVersionText(QStringView text)
{
    if (!text.isEmpty() && isAsciiLetter(text.back()))
        text.chop(1);
    if (text.isEmpty())
        return false;
    bool digitBefore = false;
    for (const QChar c : text) {
        if (isAsciiDigit(c)) {
            digitBefore = true;
        } else if (c == QLatin1Char('.') && digitBefore) {
            digitBefore = false;
        } else {
            return false;
        }
    }
    return digitBefore;
}

int compareVersions(QStringView a, QStringView b)
{
    const VersionParts pa = partsOf(a);
    const VersionParts pb = partsOf(b);
    const qsizetype n = qMax(pa.numbers.size(), pb.numbers.size());
    static const QString zero = QStringLiteral("0");
    for (qsizetype i = 0; i < n; ++i) {
        const QStringView x = i < pa.numbers.size() ? pa.numbers.at(i) : QStringView(zero);
        const QStringView y = i < pb.numbers.size() ? pb.numbers.at(i) : QStringView(zero);
        if (const int c = compareNumbers(x, y))
            return c;
    }
    if (pa.letter == pb.letter)
        return 0;
    if (pa.letter.isNull() || pb.letter.isNull())
        return pa.letter.isNull() ? -1 : 1;
    return pa.letter.unicode() < pb.letter.unicode() ? -1 : 1;
}

bool versionAccepted(QStringView required, QStringView host)
{
    return isVersionText(required) && isVersionText(host) && compareVersions(required, host) <= 0;
}

QString normalizedLibraryPath(const QString &field)
{
    QString path = field;
    path.replace(QLatin1Char('\\'), QLatin1Char('/'));
    return path;
}

bool isSafeLibraryPath(const QString &field)
{
    const QString path = normalizedLibraryPath(field);
    if (path.trimmed().isEmpty() || path.startsWith(QLatin1Char('/')))
        return false;
    // "C:/x.so" from a Windows installer is absolute there too.
    if (path.size() >= 2 && path.at(1) == QLatin1Char(':'))
        return false;
    // Control and format characters (a stray byte order mark among them,
    // which the list file would lose at the start of its line) name no
    // file anyone meant.
    for (const char32_t c : QStringView(path).toUcs4()) {
        switch (QChar::category(c)) {
        case QChar::Other_Control:
        case QChar::Other_Format:
        case QChar::Other_Surrogate:
        case QChar::Other_NotAssigned:
        case QChar::Separator_Line:
        case QChar::Separator_Paragraph:
            return false;
        default:
            break;
        }
    }
    for (const QStringView part : QStringView(path).split(QLatin1Char('/')))
        if (part == QLatin1String(".."))
            return false;
    return true;
}

QString decodeEnhancementText(const QByteArray &bytes)
{
    QByteArrayView view(bytes);
    if (view.startsWith("\xEF\xBB\xBF"))
        view = view.sliced(3);
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8.decode(view);
    if (!utf8.hasError())
        return text;
    return mf::decodeAnsi(view.data(), view.size());
}

QStringList enhancementLines(const QByteArray &bytes)
{
    return NameValueFile::splitLines(decodeEnhancementText(bytes));
}

bool readDescriptorFile(const QString &path, QStringList *lines)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return false;
    const QByteArray bytes = f.read(kMaxDescriptorBytes + 1);
    if (f.error() != QFileDevice::NoError || bytes.size() > kMaxDescriptorBytes)
        return false;
    *lines = enhancementLines(bytes);
    return true;
}

DescriptorCheck checkDescriptorLines(const QStringList &lines, QStringView hostVersion)
{
    DescriptorCheck out;
    if (lines.isEmpty())
        return out;
    if (lines.at(0) != kDescriptorMarker) {
        out.verdict = DescriptorVerdict::NeedsUpdate;
        return out;
    }
    if (lines.size() < 2)
        return out;
    if (!versionAccepted(lines.at(1), hostVersion)) {
        out.verdict = DescriptorVerdict::NeedsUpdate;
        return out;
    }
    // The entry is cut at "=", so a field holding one would shift the others.
    if (lines.size() < 6)
        return out;
    for (int i = 2; i < 6; ++i)
        if (lines.at(i).contains(QLatin1Char('=')))
            return out;
    if (lines.at(5).trimmed().isEmpty() || !isSafeLibraryPath(lines.at(2)))
        return out;
    out.verdict = DescriptorVerdict::Passed;
    out.entry = makeListEntry(lines.at(2), lines.at(3), lines.at(4), lines.at(5));
    return out;
}

QString makeListEntry(const QString &library, const QString &display, const QString &third,
                      const QString &procedure)
{
    return library + QStringLiteral("=  ") + display + QLatin1Char('=') + third + QLatin1Char('=') + procedure;
}

} // namespace vz
