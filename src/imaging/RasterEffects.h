#pragma once

#include <QImage>
#include <QString>

#include <optional>

// The raster effects of the imaging toolkit as free functions over one image,
// shared by RasterImage (and through it the preview window) and `vztool effect`.
//
// Every effect works in place on a QImage in Format_RGB32, Format_RGB888 or
// Format_BGR888 (how 24-bit files are read); an image in any other format is
// first converted to Format_RGB32. A null image,
// and any image under a neutral value, is left as it is. Values outside an
// effect's range are clamped to it.
//
// The meanings, fixed here once for the whole program:
// - The neutral value (0; 1 for the median) leaves the image unchanged, and
//   every effect is monotone in its value.
// - Hue: rotates the hue by the angle in degrees on the HSL colour wheel. The
//   largest and smallest channel keep their values, so lightness and
//   saturation stay; greys do not change; 360 and -360 change nothing, and
//   multiples of 120 permute the channels exactly.
// - Saturation: scales HSL saturation by (1 + v/1000) keeping hue and
//   lightness: -1000 gives grey, 1000 doubles it, clamped where a channel
//   would leave 0..255.
// - Intensity (brightness): v < 0 scales every channel by (1 + v/1000), to
//   black at -1000; v > 0 moves every channel toward white by v/1000, to white
//   at 1000.
// - Contrast: stretches each channel around mid grey (127.5). v < 0 scales the
//   distance by (1 + v/1000), to a flat grey at -1000; v > 0 divides it by
//   (1 - v/1000), to a hard threshold at 1000.
// - Sharpen: out = c + s * (c - blur(c)), blur a 5 x 5 binomial kernel (edges
//   replicated). v > 0 is an unsharp mask with s = 2v/1000; v < 0 blurs with
//   s = v/1000, fully blurred at -1000.
// - Median: the median of each channel over a size x size window, edges
//   replicated. The window spans size/2 pixels before and (size-1)/2 after the
//   pixel on each axis; of an even count the lower median is taken.
// - Flip mirrors top to bottom; Reverse mirrors left to right.
namespace vz {

constexpr int kHueMin = -360;
constexpr int kHueMax = 360;
constexpr int kEffectMin = -1000; // saturation, intensity, contrast, sharpen
constexpr int kEffectMax = 1000;
constexpr int kMedianMin = 1;
constexpr int kMedianMax = 20;

void changeHue(QImage &image, int angle);
void changeSaturation(QImage &image, int value);
void changeIntensity(QImage &image, int value);
void changeContrast(QImage &image, int value);
void sharpenImage(QImage &image, int value);
void medianFilter(QImage &image, int size);
void flipImage(QImage &image);

// What sharpenImage and medianFilter do to a picture, approximated on a copy
// of it shrunk by `scale` (below 1): the preview of a large picture at the
// size it is shown. Sharpen uses the blur shrunk with the picture (a Gaussian
// of `scale` pixels) at the same strength; the median's window shrinks too,
// a size between two odd sizes mixing their results. At a scale of 1 or
// more these are the plain effects.
void sharpenImageAtScale(QImage &image, int value, double scale);
void medianFilterAtScale(QImage &image, int size, double scale);
void reverseImage(QImage &image);

enum class Effect { Hue, Saturation, Intensity, Contrast, Sharpen, Median, Flip, Reverse };

// The command-line names: "hue", "saturation", "intensity", "contrast",
// "sharpen", "median", "flip", "reverse".
std::optional<Effect> effectFromName(const QString &name);
QString effectName(Effect effect);
bool effectTakesValue(Effect effect);
int effectMinimum(Effect effect);
int effectMaximum(Effect effect);
int effectNeutral(Effect effect);

// Whether the effects may use the processor's wide (AVX2) vectors when it has
// them; on by default. Both ways give the same pixels: tests and benchmarks
// switch to compare them.
bool wideSimdAvailable();
void setWideSimdEnabled(bool on);

// Runs one effect; the value is ignored by Flip and Reverse.
void applyEffect(QImage &image, Effect effect, int value);

} // namespace vz
