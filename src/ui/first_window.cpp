#include "ui/first_window.h"

#include <QCoreApplication>
#include <QEvent>
#include <QWindow>

namespace quorvane::ui {
namespace {

// Watches every event until the first exposure of a window, then leaves.
class FirstExposure : public QObject {
 public:
  FirstExposure(std::function<void()> work, QObject* parent) : QObject(parent), m_work(std::move(work)) {}

  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::Expose && watched->isWindowType() && static_cast<QWindow*>(watched)->isExposed()) {
      QCoreApplication::instance()->removeEventFilter(this);
      // Queued behind this exposure: the window draws itself first.
      QMetaObject::invokeMethod(
          this,
          [this] {
            m_work();
            deleteLater();
          },
          Qt::QueuedConnection);
    }
    return false;
  }

 private:
  std::function<void()> m_work;
};

}  // namespace

void AfterFirstWindowShows(std::function<void()> work) {
  QCoreApplication* app = QCoreApplication::instance();
  app->installEventFilter(new FirstExposure(std::move(work), app));
}

}  // namespace quorvane::ui
