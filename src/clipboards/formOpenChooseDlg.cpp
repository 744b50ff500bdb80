#include "clipboards/formOpenChooseDlg.h"

namespace vz {

QStringList TfrmOpenchoosedlg::choiceTexts()
{
    return {QStringLiteral("Open a page layout."), QStringLiteral("Open an image file.")};
}

TfrmOpenchoosedlg::TfrmOpenchoosedlg(QWidget *parent)
    : TChooseDlg(parent, caption(), QStringLiteral(":/icons/open.svg"), choiceTexts())
{
    setObjectName(QStringLiteral("TfrmOpenchoosedlg"));
}

} // namespace vz
