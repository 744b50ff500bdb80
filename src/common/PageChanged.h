#pragma once

namespace vz {

// One program-wide flag: the print page has unsaved changes. Set by the print
// page, cleared by clearing, saving and opening.
bool pageChanged();
void setPageChanged(bool changed);

} // namespace vz
