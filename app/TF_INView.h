#pragma once
// What the import shell needs from whoever shows it to a person: the Qt window, the console
// runner and the tests' scripted view implement it. All text is Windows-1250. The calls the
// posting engine makes (progress, a turn for the window, the input box) come from PostingView.
#include "app/MsgDlgType.h"
#include "posting/PostingView.h"

#include <string>
#include <vector>

class TF_INView : public PostingView {
public:
    virtual void ShowDatabaseText(const std::string& text) = 0;           // EStr1
    virtual void ShowExchangeFolder(const std::string& text) = 0;         // Label2
    virtual void ShowDatabaseName(const std::string& text) = 0;           // Label1
    virtual void ShowWorkList(const std::vector<std::string>& lines) = 0; // Memo1
    virtual void ShowLog(const std::string& text) = 0;                    // Memo2
    // A line for the operator that needs no answer: added to the log pane, or to the errors.
    virtual void ShowNotice(const std::string& text) = 0;
    // The run takes up file number (from 1) of count: the log pane names it while it is
    // posted, the progress counts it. Number 0: the run is over.
    virtual void ShowFile(int /*number*/, int /*count*/, const std::string& /*name*/) {}
    virtual void SetProgressMax(int max) = 0;         // PB1
    virtual void SetButtonsEnabled(bool enabled) = 0; // Button1, Button2 (and CmbTip)
    virtual void FocusExitButton() = 0;
    virtual void SetBusyCursor(bool busy) = 0;
    virtual void Minimize() = 0;
    // A plain system message box.
    virtual void MessageBox(const std::string& text) = 0;
    // The message dialog: returns the number of the chosen button (from 1), 0 when closed. The
    // default button is the one Enter takes.
    virtual int ShowDialog(TMsgDlgType kind, const std::string& text, const std::string& buttons,
                           int defaultButton = 1) = 0;
    virtual void Close() = 0;
};
