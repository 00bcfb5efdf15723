#include "qt/app/recordsdialog.h"

#include "core/records/records.h"
#include "qt/widgets/prompts.h"

#include <QDir>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>

namespace gemino {

namespace {

QTableWidgetItem* cellItem(const QString& text, Qt::Alignment alignment) {
    auto* item = new QTableWidgetItem(text);
    item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
    item->setTextAlignment(alignment | Qt::AlignVCenter);
    return item;
}

} // namespace

RecordsDialog::RecordsDialog(RecordBook& book, QWidget* parent)
    : OptionsDialog(190, QStringLiteral(" Best Results"), 262, 160, parent), book_(book) {
    caption_ = addLabel(tr("Best results of one-player games:"), 7, 7, 248, 8);

    table_ = new QTableWidget(0, 4, this);
    table_->setObjectName(QStringLiteral("1050"));
    table_->setAccessibleName(tr("Best results"));
    table_->setHorizontalHeaderLabels(
        {tr("Image Set"), tr("Columns"), tr("Fewest Misses"), tr("Best Time")});
    table_->verticalHeader()->hide();
    // The numbers take what they need; the set's name has the rest.
    table_->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    table_->horizontalHeader()->setSectionResizeMode(0, QHeaderView::Stretch);
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    table_->setSelectionMode(QAbstractItemView::SingleSelection);
    table_->setTabKeyNavigation(false);
    units().place(table_, 7, 18, 248, 114);
    caption_->setBuddy(table_);

    clear_ = addButton(1051, tr("C&lear All..."), 7, 139, 60, 14);
    connect(clear_, &QPushButton::clicked, this, &RecordsDialog::onClear);
    QPushButton* close = addButton(1, tr("Close"), 195, 139, 60, 14);
    close->setDefault(true);
    connect(close, &QPushButton::clicked, this, &QDialog::accept);

    fill();
    table_->setFocus();
}

void RecordsDialog::fill() {
    const auto records = book_.all();
    table_->setRowCount(static_cast<int>(records.size()));
    int row = 0;
    for (const auto& [key, record] : records) {
        auto* set = cellItem(QString::fromStdString(imageSetTitle(key)), Qt::AlignLeft);
        if (isCustomSet(key)) {
            set->setToolTip(QDir::toNativeSeparators(QString::fromStdString(key.imageSet)));
        }
        table_->setItem(row, 0, set);
        table_->setItem(row, 1, cellItem(QString::number(key.columns), Qt::AlignRight));
        table_->setItem(
            row, 2,
            cellItem(record.fewestMisses >= 0 ? QString::number(record.fewestMisses) : tr("none"),
                     Qt::AlignRight));
        table_->setItem(row, 3,
                        cellItem(record.bestSeconds >= 0
                                     ? QString::fromStdString(formatSeconds(record.bestSeconds))
                                     : tr("none"),
                                 Qt::AlignRight));
        ++row;
    }
    const bool any = !records.empty();
    caption_->setText(any ? tr("Best results of one-player games:")
                          : tr("No one-player game has been finished yet."));
    clear_->setEnabled(any);
    if (any) {
        table_->selectRow(0);
    }
}

void RecordsDialog::onClear() {
    if (showMessageBox(this, MessageIcon::Warning, tr("Best Results"),
                       tr("Clear all best results? This cannot be undone."),
                       MessageButtons::YesNo) != MessageAnswer::Yes) {
        return;
    }
    book_.clear();
    fill();
    // The button that had the focus is now disabled; the table keeps it in the dialog.
    table_->setFocus();
}

} // namespace gemino
