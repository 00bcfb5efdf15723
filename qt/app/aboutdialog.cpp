#include "qt/app/aboutdialog.h"

#include "qt/widgets/dialogunits.h"

#include <QDesktopServices>
#include <QIcon>
#include <QLabel>
#include <QPushButton>
#include <QUrl>

namespace gemino {

const char* AboutDialog::otherProgramsUrl() {
    return "https://www.oakvale.example/programs.html";
}

AboutDialog::AboutDialog(QWidget* parent) : QDialog(parent) {
    setWindowTitle(tr("About Gemino"));
    setObjectName("100");
    setFont(DialogUnits::dialogFont());
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
    const DialogUnits du(font());
    setFixedSize(du.toPixelsX(221), du.toPixelsY(72));

    const QIcon programIcon(QStringLiteral(":/icons/app/gemino.svg"));
    auto* icon = new QLabel(this);
    icon->setObjectName("-1");
    du.place(icon, 11, 18, 20, 20);
    icon->setPixmap(programIcon.pixmap(icon->size()));

    auto addLabel = [&](const QString& text, int x, int y, int w, int h) {
        auto* label = new QLabel(text, this);
        label->setObjectName("-1");
        label->setTextFormat(Qt::PlainText);
        du.place(label, x, y, w, h);
        return label;
    };
    addLabel(tr("Gemino Version 2.0   (12/30/02)"), 40, 10, 119, 8);
    addLabel(tr("Game of Memory and Concentration"), 40, 20, 168, 8);
    addLabel(tr("Copyright \u00A9 2002 Oakvale. Free software under the GNU GPL."), 40, 35, 168, 8);

    auto* other = new QPushButton(tr("Other Programs by Oakvale"), this);
    other->setObjectName("3");
    other->setAutoDefault(false);
    du.place(other, 10, 51, 150, 14);
    connect(other, &QPushButton::clicked, this, [this] {
        // Whatever the desktop makes of it, the box stays open.
        QDesktopServices::openUrl(QUrl(QString::fromLatin1(otherProgramsUrl())));
    });

    auto* close = new QPushButton(tr("Close"), this);
    close->setObjectName("1");
    close->setDefault(true);
    du.place(close, 179, 51, 32, 14);
    connect(close, &QPushButton::clicked, this, &QDialog::accept);
    close->setFocus();
}

} // namespace gemino
