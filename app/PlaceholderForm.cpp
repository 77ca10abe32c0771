#include "app/PlaceholderForm.h"

#include <QKeyEvent>
#include <QLabel>
#include <QPalette>
#include <QVBoxLayout>

namespace vantora {

PlaceholderForm::PlaceholderForm(const QString& formName, const QString& future) {
  setObjectName(formName);
  setWindowTitle(formName);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(new QLabel(formName, this));
  layout->addWidget(new QLabel(future, this));
}

PlaceholderShowForm::PlaceholderShowForm() {
  setObjectName(QStringLiteral("TForm1"));
  setWindowFlags(Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
  QPalette black = palette();
  black.setColor(QPalette::Window, Qt::black);
  setPalette(black);
  setAutoFillBackground(true);
}

void PlaceholderShowForm::keyPressEvent(QKeyEvent* event) {
  event->accept();
  close();
}

}  // namespace vantora
