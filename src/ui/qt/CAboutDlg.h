#pragma once

#include <QDialog>
#include <QString>

// The About box: the given text, the program's version on a line below it, and OK.
class CAboutDlg final : public QDialog {
public:
    CAboutDlg(const QString& text, QWidget* parent);
};
