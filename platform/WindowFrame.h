#pragma once
// The frame of the program's dialogs and of the boxes and dialogs Qt makes
// for it (the error box, the file dialog): a tool window with a small title
// bar and a close box only, no minimise or maximise button.

class QWidget;

namespace vantora {

void UseToolWindowFrame(QWidget* dialog);

}  // namespace vantora
