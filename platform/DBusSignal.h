#pragma once
// Hands a D-Bus signal to a function: QtDBus connects signals only to slots.

#include <functional>

#include <QDBusConnection>
#include <QDBusMessage>
#include <QObject>
#include <QString>

namespace vantora {

class TDBusSignal : public QObject {
  Q_OBJECT
 public:
  // Connects to the signal name of interface on path, sent by service (empty:
  // by anyone). False when the bus refused the match.
  bool Connect(QDBusConnection bus, const QString& service, const QString& path,
               const QString& interface, const QString& name) {
    return bus.connect(service, path, interface, name, this, SLOT(Received(QDBusMessage)));
  }
  std::function<void(const QDBusMessage&)> OnSignal;

 public Q_SLOTS:
  void Received(const QDBusMessage& message) {
    if (OnSignal) OnSignal(message);
  }
};

}  // namespace vantora
