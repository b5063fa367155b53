#pragma once
// The import shell on a terminal: dialogs are printed (UTF-8, caption first), questions are
// answered from the command line, errors go to the error stream.
#include "app/TF_INView.h"

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
                std::function<bool()> stopRequested = {});

    void ShowDatabaseText(const std::string&) override {}
    void ShowExchangeFolder(const std::string&) override {}
    void ShowDatabaseName(const std::string&) override {}
    void ShowWorkList(const std::vector<std::string>&) override {}
    void ShowLog(const std::string& text) override;
    void ShowNotice(const std::string& text) override;
    void SetProgressMax(int max) override { progressMax_ = max; }
    void SetProgress(int position) override;
    void SetButtonsEnabled(bool) override {}
    void FocusExitButton() override {}
    void SetBusyCursor(bool) override {}
    void Minimize() override {}
    void ProcessMessages() override {}
    void MessageBox(const std::string& text) override;
    int ShowDialog(TMsgDlgType kind, const std::string& text, const std::string& buttons) override;
    bool InputQuery(const std::string& caption, const std::string& prompt,
                    std::string& value) override;
    void Close() override {}
    bool StopRequested() override { return stopRequested_ && stopRequested_(); }

private:
    void EndProgressLine();

    std::ostream& out_;
    std::ostream& err_;
    Answers answers_;
    bool showProgress_;
    bool progressShown_ = false;
    int progressMax_ = 0;
    std::function<bool()> stopRequested_;
};
