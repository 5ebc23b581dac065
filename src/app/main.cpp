#include <QApplication>
#include <QMainWindow>

#include "platform/ui.h"
#include "platform/widget_ui.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setApplicationName(qv::kProductName);
  QMainWindow window;
  qv::WidgetInteraction interaction(&window);
  qv::setUi(&interaction);
  window.setWindowTitle(QStringLiteral("Quillbee - Vodedarivo"));
  window.resize(900, 650);
  window.show();
  const int rc = app.exec();
  qv::setUi(nullptr);
  return rc;
}
