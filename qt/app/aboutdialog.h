#pragma once

#include <QDialog>

namespace gemino {

// The program's name and version, and a way to the maker's other programs.
class AboutDialog : public QDialog {
    Q_OBJECT
public:
    explicit AboutDialog(QWidget* parent = nullptr);

    // The maker's page of other programs.
    static const char* otherProgramsUrl();

signals:
    // Emitted each time the page is asked for, whether or not a browser opens it.
    void otherProgramsRequested();
};

} // namespace gemino
