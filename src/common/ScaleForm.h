#pragma once

class QWidget;

namespace vz {

// Scales a window built for `designDpi` to a screen of `screenDpi`: the
// client size first, then every child depth first in child-list order, by
// its alignment and anchors. Children placed by an AlignLayout keep their new
// design there; children of other layouts are left to those layouts.
void ScaleFormToScreen(QWidget *window, int screenDpi, int designDpi = 96);

// The logical density of the screen the widget is on (96 when unknown).
int screenDpiOf(const QWidget *w);

} // namespace vz
