// The floor for start-up time and memory: a Qt window with one label, built
// the same way as the program.
#include <QApplication>
#include <QLabel>

int main(int argc, char* argv[]) {
  QApplication app(argc, argv);
  QLabel label("Quorvane");
  label.show();
  return app.exec();
}
