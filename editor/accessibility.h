// What a screen reader is told of the window and its sound list: the window is a frame, and
// the list a table of the sounds the filter keeps, several of which may be picked, its rows
// counted as they are shown. (Qt would tell of the window as a pane, and of the list as a
// table of one selection at a time.)
#pragma once

struct QMetaObject;

namespace sondrel {

// Makes Qt ask Sondrel's own accessible interfaces for these two, the window being of the
// class `window`; once is enough.
void InstallAccessibility(const QMetaObject& window);

} // namespace sondrel
