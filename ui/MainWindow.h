#pragma once
// The program's one window: shows the import shell to a person and passes the person's actions
// to it. A request to close during a run asks, between two rows, whether to stop the run; at any
// other time the shell is busy it is held until the shell is done.
#include "app/RunProgress.h"
#include "app/TF_IN.h"
#include "app/TF_INView.h"
#include "platform/Component.h"

#include <QWidget>

#include <functional>
#include <string>
#include <vector>

class ElidedLabel;
class QComboBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;

class TEStr;

class MainWindow : public QWidget, public TF_INView {
    Q_OBJECT

public:
    // args: the command-line arguments without the program name.
    explicit MainWindow(std::vector<std::string> args, QWidget* parent = nullptr);
    ~MainWindow() override;

    TF_IN& Core() { return core_; }

    void ShowDatabaseText(const std::string& text) override;
    void ShowExchangeFolder(const std::string& text) override;
    void ShowDatabaseName(const std::string& text) override;
    void ShowWorkList(const std::vector<std::string>& lines) override;
    void ShowLog(const std::string& text) override;
    void ShowNotice(const std::string& text) override;
    void ShowFile(int number, int count, const std::string& name) override;
    void SetProgressMax(int max) override;
    void SetProgress(int position) override;
    void SetButtonsEnabled(bool enabled) override;
    void FocusExitButton() override;
    void SetBusyCursor(bool busy) override;
    void Minimize() override;
    void ProcessMessages() override;
    void MessageBox(const std::string& text) override;
    int ShowDialog(TMsgDlgType kind, const std::string& text, const std::string& buttons,
                   int defaultButton = 1) override;
    bool InputQuery(const std::string& caption, const std::string& prompt,
                    std::string& value) override;
    void Close() override;
    // Asks whether to stop when a close was requested since the last turn; once the operator
    // chose to stop, the run's remaining dialogs are not shown and the window closes at its end.
    bool StopRequested() override;

protected:
    bool event(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void BuildWidgets();
    void FormActivate();
    void CmbTipChange(const QString& itemText);
    void Button1Click();
    void Button3Click();
    // The progress bar's text: the console runner's progress line.
    void ShowProgressText();
    // Runs work of the shell; a close asked for meanwhile happens once the outermost call ends.
    void CallCore(const std::function<void()>& work);
    // The question a close request during a run asks; true: stop.
    bool AskToStop();

    // The nameless application object that owns the window.
    Component application_;
    std::vector<std::string> args_;
    TF_IN core_;

    QLabel* L_EStr1 = nullptr;
    TEStr* EStr1 = nullptr;
    QLabel* Label7 = nullptr;
    QComboBox* CmbTip = nullptr;
    QPushButton* Button1 = nullptr;
    QPushButton* Button3 = nullptr; // the check
    QPushButton* Button2 = nullptr;
    QLabel* Label4 = nullptr;
    ElidedLabel* Label2 = nullptr;
    QLabel* Label3 = nullptr;
    ElidedLabel* Label1 = nullptr;
    QWidget* Shape1 = nullptr;
    QLabel* Label5 = nullptr;
    QProgressBar* PB1 = nullptr;
    QLabel* Label6 = nullptr;
    QPlainTextEdit* Memo1 = nullptr;
    QPlainTextEdit* Memo2 = nullptr;

    RunProgress progress_;
    bool activated_ = false;
    bool closed_ = false;
    bool closePending_ = false;
    bool stopping_ = false; // the operator chose to stop the run and close
    bool busyCursor_ = false;
    bool textChangedSinceChoice_ = false;
    int coreDepth_ = 0;
};
