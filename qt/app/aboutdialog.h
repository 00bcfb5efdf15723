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
};

} // namespace gemino
