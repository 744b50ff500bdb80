#include "Command.h"

#include "common/VzError.h"
#include "imaging/RasterFile.h"
#include "imaging/RasterImage.h"

using namespace vztool;

namespace {

void reverseBand(QImage &band, int)
{
    vz::reverseImage(band);
}

// The effects that change each row by itself (Flip only reorders rows): an
// uncompressed 24-bit BMP goes through these a band of rows at a time.
bool passRows(vz::Effect effect, int value, const QString &in, const QString &out)
{
    switch (effect) {
    case vz::Effect::Hue: return vz::transformBmp24Rows(in, out, false, vz::changeHue, value);
    case vz::Effect::Saturation: return vz::transformBmp24Rows(in, out, false, vz::changeSaturation, value);
    case vz::Effect::Intensity: return vz::transformBmp24Rows(in, out, false, vz::changeIntensity, value);
    case vz::Effect::Contrast: return vz::transformBmp24Rows(in, out, false, vz::changeContrast, value);
    case vz::Effect::Flip: return vz::transformBmp24Rows(in, out, true, nullptr, 0);
    case vz::Effect::Reverse: return vz::transformBmp24Rows(in, out, false, reverseBand, 0);
    case vz::Effect::Sharpen:
    case vz::Effect::Median: break; // they need the rows around
    }
    return false;
}

void wholeImage(vz::Effect effect, int value, const QString &in, const QString &out)
{
    vz::RasterImage image;
    image.Load(in);
    switch (effect) {
    case vz::Effect::Hue: image.Hue(value); break;
    case vz::Effect::Saturation: image.Saturation(value); break;
    case vz::Effect::Intensity: image.Intensity(value); break;
    case vz::Effect::Contrast: image.Contrast(value); break;
    case vz::Effect::Sharpen: image.Sharpen(value); break;
    case vz::Effect::Median: image.Median(value); break;
    case vz::Effect::Flip: image.Flip(); break;
    case vz::Effect::Reverse: image.Reverse(); break;
    }
    image.Save(out);
}

int runEffect(QStringList args)
{
    // --in-memory: load the whole picture, change it, save it, as the
    // program's image control does, even where passing rows would do.
    const bool inMemory = !args.isEmpty() && args.first() == QLatin1String("--in-memory");
    if (inMemory)
        args.removeFirst();
    const auto effect = args.size() == 4 ? vz::effectFromName(args[0]) : std::nullopt;
    if (!effect) {
        err(QStringLiteral("usage: vztool effect [--in-memory] hue|saturation|intensity|contrast|sharpen|median|flip|"
                           "reverse VALUE IN OUT.bmp"));
        return 2;
    }
    try {
        const int value = vz::effectTakesValue(*effect) ? vz::strToInt(args[1]) : 0;
        if (vz::effectTakesValue(*effect) && (value < vz::effectMinimum(*effect) || value > vz::effectMaximum(*effect)))
            throw vz::ImageError(QStringLiteral("The %1 value %2 is outside %3..%4.")
                                     .arg(vz::effectName(*effect))
                                     .arg(value)
                                     .arg(vz::effectMinimum(*effect))
                                     .arg(vz::effectMaximum(*effect)));
        if (inMemory || !passRows(*effect, value, args[2], args[3]))
            wholeImage(*effect, value, args[2], args[3]);
    } catch (const vz::VzError &e) {
        err(e.message());
        return 1;
    }
    return 0;
}

Registration reg({QStringLiteral("effect"), QStringLiteral("effect [--in-memory] NAME VALUE IN OUT.bmp"),
                  QStringLiteral("apply one raster effect (hue, saturation, intensity, contrast, sharpen, median, flip, "
                                 "reverse; VALUE ignored by the last two) to a BMP or JPEG image and save it as a "
                                 "24-bit BMP; an uncompressed 24-bit BMP passes a band of rows at a time where the "
                                 "effect allows, unless --in-memory"),
                  runEffect, /*needsGui=*/false});

} // namespace
