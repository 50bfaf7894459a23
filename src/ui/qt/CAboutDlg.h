#pragma once

#include <QDialog>
#include <QString>

// The About box: one line of text and OK.
class CAboutDlg final : public QDialog {
public:
    CAboutDlg(const QString& text, QWidget* parent);
};
