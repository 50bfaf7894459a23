#include <QApplication>

#include "app/Texts.h"
#include "ui/qt/CFlashApp.h"

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    QApplication::setApplicationName(QString::fromLatin1(Text::ApplicationName));
    CFlashApp app;
    app.InitInstance();
    return 0;
}
