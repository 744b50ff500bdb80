// Component streams from arbitrary bytes: every value read (or refused)
// without reading past the end, and a decoded memo re-encodes to a stream
// that decodes the same.

#include "printpage/ComponentStream.h"
#include "printpage/TextBoxStream.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArrayView bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    try {
        vz::ComponentReader r(bytes);
        r.readHeader(nullptr, nullptr);
        while (!r.atListEnd()) {
            r.readShortString();
            r.readValue();
        }
        if (r.position() > bytes.size())
            std::abort();
    } catch (const vz::ComponentStreamError &) {
    }
    try {
        const vz::TextBoxData box = vz::decodeTextBox(bytes, 96);
        // Only the size is rounded on its way through Font.Height.
        const vz::TextBoxData back = vz::decodeTextBox(vz::encodeTextBox(box, 0, 96), 96);
        vz::TextBoxData expected = box;
        expected.fontSize = back.fontSize;
        expected.text = back.text;
        if (!(back == expected))
            std::abort();
    } catch (const vz::ComponentStreamError &) {
    }
    return 0;
}
