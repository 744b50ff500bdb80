#pragma once

#include <QDialog>

#include <functional>

namespace vz {

// Shows a dialog modally and returns its result. Tests set a hook per dialog
// class: the dialog is then shown without blocking and handed to the hook,
// which answers it; one the hook leaves open is cancelled.
template<class D>
int runModalDialog(D &dialog, const std::function<void(D &)> &hook)
{
    if (!hook)
        return dialog.exec();
    dialog.setModal(true);
    dialog.show();
    hook(dialog);
    if (dialog.isVisible())
        dialog.reject();
    return dialog.result();
}

} // namespace vz
