// A quick tour file: the table read, every step visited and its picture
// decoded, as the tour window does on its way through.
#include "shell/TourScript.h"

#include <cstddef>
#include <cstdint>

namespace {
struct Nothing : vz::TourActions
{
    void perform(int, const QString &) override {}
    void missTyped(int) override {}
};
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    vz::TourScript tour;
    tour.loadFromBytes(QByteArray(reinterpret_cast<const char *>(data), qsizetype(size)));
    Nothing nothing;
    // Each step once: a code 32 would go round for ever.
    for (int i = 0; i <= tour.stepCount(); ++i) {
        (void)tour.title();
        (void)tour.text();
        (void)tour.image();
        if (!tour.next(nothing))
            break;
    }
    return 0;
}
