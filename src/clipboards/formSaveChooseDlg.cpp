#include "clipboards/formSaveChooseDlg.h"

namespace vz {

QStringList TfrmSaveChooseDlg::choiceTexts()
{
    return {QStringLiteral("Save a page layout."), QStringLiteral("Save a selected image as a file.")};
}

TfrmSaveChooseDlg::TfrmSaveChooseDlg(QWidget *parent)
    : TChooseDlg(parent, caption(), QStringLiteral(":/icons/save.svg"), choiceTexts())
{
    setObjectName(QStringLiteral("TfrmSaveChooseDlg"));
}

} // namespace vz
