#pragma once
// The window's list of imports (what `inzefor-batch --history` prints), newest first, from
// which the selected import can be undone after a question that says what would be deleted.
#include <QDialog>

class QLabel;
class QPushButton;
class QTableWidget;
class TF_IN;

class ImportsDialog : public QDialog {
    Q_OBJECT

public:
    // core: the window's shell, whose connection, exchange folder, SQL log and questions the
    // list and the undo use.
    explicit ImportsDialog(TF_IN& core, QWidget* parent = nullptr);

    // Reads the list anew; a failure is shown in the dialog.
    void Refresh();

private:
    void UndoSelected();

    TF_IN& core_;
    QTableWidget* table_ = nullptr;
    QLabel* status_ = nullptr;
    QPushButton* undo_ = nullptr;
};
