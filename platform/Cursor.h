#pragma once
// The mouse cursor's display counter. The cursor shows while the counter is
// 0 or more; ShowCursor(false) lowers it by one and ShowCursor(true) raises
// it by one, so every hiding must be paired with one showing. The show and
// the preview hide it once per activation and show it once per closing.

namespace vantora {

// Changes the counter by one and returns its new value.
int ShowCursor(bool show);
// The counter as it stands (0 at program start).
int CursorCounter();

// While at least one keep is in force the cursor shows whatever the counter
// says: an error box over the show must be usable with the mouse. Every
// KeepCursorShown(true) is paired with one KeepCursorShown(false).
void KeepCursorShown(bool keep);

}  // namespace vantora
