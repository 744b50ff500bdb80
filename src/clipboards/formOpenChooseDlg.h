#pragma once

#include "clipboards/ChooseDlg.h"

namespace vz {

// "Open ?": a page layout or an image file.
class TfrmOpenchoosedlg : public TChooseDlg
{
    Q_OBJECT
public:
    explicit TfrmOpenchoosedlg(QWidget *parent = nullptr);

    static int ask(QWidget *parent) { return askWith<TfrmOpenchoosedlg>(parent); }
    static QString caption() { return QStringLiteral("Open ?"); }
    static QStringList choiceTexts();
};

} // namespace vz
