#pragma once
// The import shell on a terminal: dialogs are printed (UTF-8, caption first), questions are
// answered from the command line, errors go to the error stream. Quiet, only errors are printed.
// The progress line, where shown, is redrawn in place at most ten times a second and always ends
// with a line end before anything else is printed.
#include "app/RunProgress.h"
#include "app/TF_INView.h"
#include "app/TestPause.h"

#include <chrono>
#include <functional>
#include <optional>
#include <ostream>

class ConsoleView : public TF_INView {
public:
    struct Answers {
        std::optional<std::string> Year; // else the offered default is taken
        bool FirstOnly = false;          // answer "&Nem" to the all-in-one question
    };

    ConsoleView(std::ostream& out, std::ostream& err, Answers answers, bool showProgress,
                std::function<bool()> stopRequested = {}, bool quiet = false);
    ~ConsoleView() override;

    void ShowDatabaseText(const std::string&) override {}
    void ShowExchangeFolder(const std::string&) override {}
    void ShowDatabaseName(const std::string&) override {}
    void ShowWorkList(const std::vector<std::string>&) override {}
    void ShowLog(const std::string& text) override;
    void ShowNotice(const std::string& text) override;
    void ShowFile(int number, int count, const std::string& name) override;
    void SetProgressMax(int max) override { progress_.Rows = max; }
    void SetProgress(int position) override;
    void SetButtonsEnabled(bool) override {}
    void FocusExitButton() override {}
    void SetBusyCursor(bool) override {}
    void Minimize() override {}
    void ProcessMessages() override {
        if (pause_) pause_->Turn(progress_.Name);
    }
    void MessageBox(const std::string& text) override;
    int ShowDialog(TMsgDlgType kind, const std::string& text, const std::string& buttons,
                   int defaultButton = 1) override;
    bool InputQuery(const std::string& caption, const std::string& prompt,
                    std::string& value) override;
    void Close() override {}
    bool StopRequested() override { return stopRequested_ && stopRequested_(); }

    // The run's summary, printed quiet or not.
    void ShowSummary(const std::string& text);

private:
    void DrawProgress();
    void EndProgressLine();

    std::ostream& out_;
    std::ostream& err_;
    Answers answers_;
    bool showProgress_;
    bool quiet_;
    RunProgress progress_;
    bool progressShown_ = false;   // a line is on the screen, not yet ended
    bool progressPending_ = false; // the line shown is behind the progress
    std::size_t progressWidth_ = 0;
    std::chrono::steady_clock::time_point lastDrawn_;
    std::function<bool()> stopRequested_;
    std::optional<TestPause> pause_ = TestPause::FromEnvironment();
};
