#include "ui/qt/CAboutDlg.h"

#include <QLabel>
#include <QPushButton>

#include "FlashUpdaterVersion.h"
#include "app/Texts.h"
#include "ui/qt/AppIcon.h"
#include "ui/qt/DialogUnits.h"

CAboutDlg::CAboutDlg(const QString& text, QWidget* parent) : QDialog(parent) {
    setFont(TemplateFont());
    const DialogUnits units = DialogUnits::ForFont(font());
    setWindowTitle(QString::fromLatin1(Text::AboutCaption));
    setWindowIcon(AppIcon());
    setFixedSize(units.ToPixels(175, 92));
    // The title is wider than the template's one-line static: it wraps into the room above the
    // button instead of being cut off after its first words.
    auto* label = new QLabel(text + QStringLiteral("\nVersion " FLASH_UPDATER_VERSION), this);
    label->setTextFormat(Qt::PlainText);
    label->setWordWrap(true);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    label->setGeometry(units.ToPixels(17, 18, 140, 36));
    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setGeometry(units.ToPixels(62, 60, 50, 14));
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
}
