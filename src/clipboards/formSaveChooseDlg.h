#pragma once

#include "clipboards/ChooseDlg.h"

namespace vz {

// "Save ?": a page layout or the selected image as a file.
class TfrmSaveChooseDlg : public TChooseDlg
{
    Q_OBJECT
public:
    explicit TfrmSaveChooseDlg(QWidget *parent = nullptr);

    static int ask(QWidget *parent) { return askWith<TfrmSaveChooseDlg>(parent); }
    static QString caption() { return QStringLiteral("Save ?"); }
    static QStringList choiceTexts();
};

} // namespace vz
