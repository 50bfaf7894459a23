#include <QApplication>
#include <sys/stat.h>

#include "app/Texts.h"
#include "ui/qt/CFlashApp.h"

int main(int argc, char** argv) {
    ::umask(077);  // the debug file the operator names is readable by the user alone
    QApplication application(argc, argv);
    QApplication::setApplicationName(QString::fromLatin1(Text::ApplicationName));
    CFlashApp app;
    app.InitInstance();
    return 0;
}
