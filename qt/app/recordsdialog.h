#pragma once

#include "qt/app/optionsdialog.h"

#include <functional>

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

    // Asks whether to clear every record; the default asks with a message box. Tests answer.
    void setClearQuestion(std::function<bool(QWidget* parent)> ask) { ask_ = std::move(ask); }

    QTableWidget* table() const { return table_; }

private:
    void fill();
    void onClear();

    RecordBook& book_;
    std::function<bool(QWidget*)> ask_;
    QLabel* caption_ = nullptr;
    QTableWidget* table_ = nullptr;
    QPushButton* clear_ = nullptr;
};

} // namespace gemino
