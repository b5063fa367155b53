#include "ui/ImportsDialog.h"

#include "app/ImportHistory.h"
#include "app/ImportUndo.h"
#include "app/TF_IN.h"
#include "platform/FormatSettings.h"
#include "ui/HostText.h"

#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace {

const char* const kHeadings[] = {
    "Id",        "Posted",      "Database user", "Rows' users", "File",      "Type",     "Year",
    "Rows read", "Rows posted", "Rejected",      "Vouchers",    "Customers", "Journals", "State"};

QStringList Cells(const ImportHistory::Import& i) {
    const PostingCounts& c = i.Counts;
    auto number = [](int value) { return QString::number(value); };
    return {number(i.Id),
            HostText(ImportHistory::Stamp(i.Posted)),
            HostText(i.DbUser),
            HostText(i.Users),
            HostText(i.Name),
            HostText(i.Type),
            HostText(FormatSettings::Default().FloatToStr(i.Year)),
            number(c.RowsRead()),
            number(c.RowsPosted),
            number(c.RowsRejected),
            number(c.VouchersCreated),
            number(c.CustomersCreated),
            number(c.JournalsCreated),
            HostText(i.State)};
}

} // namespace

ImportsDialog::ImportsDialog(TF_IN& core, QWidget* parent) : QDialog(parent), core_(core) {
    setObjectName(QStringLiteral("ImportsDialog"));
    setWindowTitle(QStringLiteral("Imports"));
    table_ = new QTableWidget(0, static_cast<int>(std::size(kHeadings)), this);
    table_->setObjectName(QStringLiteral("ImportsTable"));
    QStringList headings;
    for (const char* heading : kHeadings)
        headings << QString::fromUtf8(heading);
    table_->setHorizontalHeaderLabels(headings);
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    table_->setSelectionMode(QAbstractItemView::SingleSelection);
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table_->verticalHeader()->hide();
    status_ = new QLabel(this);
    status_->setObjectName(QStringLiteral("ImportsStatus"));
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    undo_ = buttons->addButton(QStringLiteral("&Undo"), QDialogButtonBox::ActionRole);
    undo_->setObjectName(QStringLiteral("UndoButton"));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(table_, 1);
    layout->addWidget(status_);
    layout->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(undo_, &QPushButton::clicked, this, &ImportsDialog::UndoSelected);
    resize(900, 400);
    Refresh();
}

void ImportsDialog::Refresh() {
    table_->setRowCount(0);
    status_->clear();
    try {
        if (!core_.DB1.Connected()) core_.DB1.Connect();
        const std::vector<ImportHistory::Import> imports = ImportHistory::Read(core_.DB1);
        table_->setRowCount(static_cast<int>(imports.size()));
        for (int row = 0; row < table_->rowCount(); ++row) {
            const QStringList cells = Cells(imports[static_cast<std::size_t>(row)]);
            for (int column = 0; column < cells.size(); ++column)
                table_->setItem(row, column, new QTableWidgetItem(cells[column]));
        }
        if (imports.empty()) status_->setText(QStringLiteral("No imports are recorded."));
    } catch (const std::exception& e) {
        status_->setText(HostText(e.what()));
    }
    table_->resizeColumnsToContents();
}

void ImportsDialog::UndoSelected() {
    const QList<QTableWidgetItem*> selected = table_->selectedItems();
    if (selected.isEmpty()) return;
    const int import = table_->item(selected.front()->row(), 0)->text().toInt();
    try {
        ImportUndo undo(core_.DB1, &core_, &core_.SqlLog);
        const ImportUndo::Result would = undo.Undo(import, core_.ExchangeFolder, true);
        if (!would.Done) {
            core_.ShowErrMsg(&core_, would.Text(true));
            return;
        }
        if (core_.ShowMsg(would.Text(true) + "\r\nUndo it?", "&Igen;&Nem") != 1) return;
        const ImportUndo::Result done = undo.Undo(import, core_.ExchangeFolder, false);
        if (done.Done)
            core_.ShowMsg(done.Text(false));
        else
            core_.ShowErrMsg(&core_, done.Text(false));
    } catch (const std::exception& e) {
        core_.ShowErrMsg(&core_, e.what());
    }
    Refresh();
}
