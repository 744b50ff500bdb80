// Feeds arbitrary bytes to the settings file parser; anything it accepts must
// write back to text that parses to the same keys and values.

#include "platform/Registry.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    vz::RegistryDocument doc;
    if (!doc.parse(QByteArray(reinterpret_cast<const char *>(data), qsizetype(size))))
        return 0;
    vz::RegistryDocument again;
    if (!again.parse(doc.serialize()))
        std::abort();
    if (again.keys().size() != doc.keys().size())
        std::abort();
    for (qsizetype i = 0; i < doc.keys().size(); ++i)
        if (again.keys().at(i).values.size() != doc.keys().at(i).values.size())
            std::abort();
    return 0;
}
