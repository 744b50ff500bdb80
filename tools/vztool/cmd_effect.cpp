#include "Command.h"

#include "common/VzError.h"
#include "imaging/RasterImage.h"

using namespace vztool;

static int runEffect(const QStringList &args)
{
    const auto effect = args.size() == 4 ? vz::effectFromName(args[0]) : std::nullopt;
    if (!effect) {
        err(QStringLiteral("usage: vztool effect hue|saturation|intensity|contrast|sharpen|median|flip|reverse "
                           "VALUE IN OUT.bmp"));
        return 2;
    }
    try {
        const int value = vz::effectTakesValue(*effect) ? vz::strToInt(args[1]) : 0;
        vz::RasterImage image;
        image.Load(args[2]);
        switch (*effect) {
        case vz::Effect::Hue: image.Hue(value); break;
        case vz::Effect::Saturation: image.Saturation(value); break;
        case vz::Effect::Intensity: image.Intensity(value); break;
        case vz::Effect::Contrast: image.Contrast(value); break;
        case vz::Effect::Sharpen: image.Sharpen(value); break;
        case vz::Effect::Median: image.Median(value); break;
        case vz::Effect::Flip: image.Flip(); break;
        case vz::Effect::Reverse: image.Reverse(); break;
        }
        image.Save(args[3]);
    } catch (const vz::VzError &e) {
        err(e.message());
        return 1;
    }
    return 0;
}

static Registration reg({QStringLiteral("effect"), QStringLiteral("effect NAME VALUE IN OUT.bmp"),
                         QStringLiteral("apply one raster effect (hue, saturation, intensity, contrast, sharpen, "
                                        "median, flip, reverse; VALUE ignored by the last two) to a BMP or JPEG "
                                        "image and save it as a 24-bit BMP"),
                         runEffect});
