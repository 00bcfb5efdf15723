#pragma once

#include "qt/app/optionsdialog.h"

class QLabel;
class QPushButton;
class QTableWidget;

namespace gemino {

class RecordBook;

// "Best Results": the records of one-player games by image set and number of columns, with a
// button that clears them all after asking.
class RecordsDialog : public OptionsDialog {
    Q_OBJECT
public:
    explicit RecordsDialog(RecordBook& book, QWidget* parent = nullptr);

    QTableWidget* table() const { return table_; }

private:
    void fill();
    void onClear();

    RecordBook& book_;
    QLabel* caption_ = nullptr;
    QTableWidget* table_ = nullptr;
    QPushButton* clear_ = nullptr;
};

} // namespace gemino
