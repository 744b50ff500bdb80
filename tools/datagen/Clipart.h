#pragma once

#include <QString>
#include <QTextStream>

namespace datagen {

struct ClipartSummary
{
    int sets = 0;
    int pictures = 0;
    int vector = 0;
    int skipped = 0;
};

// Writes the colour and the black-and-white clip-art trees below outRoot from
// the Open Clip Art Library at clipartRoot, as the set and picture lists say.
bool generateClipart(const QString &outRoot, const QString &clipartRoot, const QString &setsFile,
                     const QString &picturesFile, QTextStream &log, ClipartSummary *summary);

} // namespace datagen
