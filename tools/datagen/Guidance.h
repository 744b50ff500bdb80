#pragma once

#include <QString>
#include <QTextStream>

namespace datagen {

struct GuidanceSources
{
    QString tipsFile;     // tips.txt: one tip per block of lines
    QString toursFolder;  // *.txt tour scripts, one file per tour
    QString clipartRoot;  // for pictures drawn from the clip-art library
    QString charactersFile;
};

// Writes "tips.dat" and the tours ("Tours/<name>.tor") below outRoot. Tour
// pictures show words in the generated alphabets or clip-art, so the
// alphabets must be written first.
bool generateGuidance(const QString &outRoot, const GuidanceSources &src, QTextStream &log, int *tips, int *tours);

} // namespace datagen
