#pragma once
// Stand-ins for the program's windows until the real ones replace them in
// Windows.cpp. Each shows its form name and what it will become, so a run
// of the program shows which windows the entry created.

#include <QString>
#include <QWidget>

namespace vantora {

class PlaceholderForm : public QWidget {
 public:
  PlaceholderForm(const QString& formName, const QString& future);
};

// Stand-in for the show window: black, borderless, full screen, on top;
// any key closes it.
class PlaceholderShowForm : public QWidget {
 public:
  PlaceholderShowForm();

 protected:
  void keyPressEvent(QKeyEvent* event) override;
};

}  // namespace vantora
