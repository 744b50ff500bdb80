// Feeds arbitrary bytes to the enhancement descriptor reader: decoding, the
// check against the host version and the list entry it makes. A passed
// descriptor must make an entry that the list file keeps and gives back,
// cut into its four fields as written, and the version rule must be an order.

#include "common/SplitFields.h"
#include "enhancements/EnhancementDescriptor.h"
#include "enhancements/EnhancementList.h"

#include <cstdlib>

namespace {

void check(bool ok)
{
    if (!ok)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size > size_t(vz::kMaxDescriptorBytes))
        return 0;
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    const QStringList lines = vz::enhancementLines(bytes);
    static const QString host = QStringLiteral("3.20.2");
    const vz::DescriptorCheck result = vz::checkDescriptorLines(lines, host);

    if (lines.size() >= 2 && vz::isVersionText(lines.at(1))) {
        const QString &v = lines.at(1);
        const int toHost = vz::compareVersions(v, host);
        check((toHost < 0) == (vz::compareVersions(host, v) > 0));
        check(vz::compareVersions(v, v) == 0);
        check(vz::versionAccepted(v, host) == (toHost <= 0));
        if (lines.size() >= 3 && vz::isVersionText(lines.at(2))) {
            const QString &w = lines.at(2);
            const int vw = vz::compareVersions(v, w);
            check((vw < 0) == (vz::compareVersions(w, v) > 0));
            // Transitive through the host.
            if (vw <= 0 && vz::compareVersions(w, host) <= 0)
                check(toHost <= 0);
        }
    }

    if (result.verdict == vz::DescriptorVerdict::Passed) {
        check(lines.size() >= 6 && lines.at(0) == vz::kDescriptorMarker);
        check(vz::isSafeLibraryPath(lines.at(2)));
        const QStringList fields = vz::SplitFields(result.entry);
        check(fields.size() == 4);
        check(fields.at(0) == lines.at(2) && fields.at(1) == QStringLiteral("  ") + lines.at(3));
        check(fields.at(2) == lines.at(4) && fields.at(3) == lines.at(5));
        // What the list file is given, it gives back.
        const QStringList back = vz::enhancementLines(vz::encodeEnhancementList({result.entry}));
        check(back == QStringList{result.entry});
        check(vz::findSameEnhancement({QStringLiteral("a=b=c=d"), result.entry}, result.entry) >= 0);
    } else {
        check(result.entry.isEmpty());
    }
    return 0;
}
