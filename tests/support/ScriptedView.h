#pragma once
// A view for tests: records every call in order and answers dialogs and the input box from
// queues (the default button / OK with the offered value when a queue is empty).
#include "app/TF_INView.h"

#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

class ScriptedView : public TF_INView {
public:
    struct Dialog {
        TMsgDlgType Kind;
        std::string Text;
        std::string Buttons;
        int Default = 1;
    };

    std::vector<std::string> Calls; // e.g. "ShowDialog", "SetButtonsEnabled(0)"
    std::vector<Dialog> Dialogs;
    std::vector<std::string> MessageBoxes;
    std::vector<std::string> Notices;
    std::deque<int> DialogAnswers;
    std::deque<std::optional<std::string>> InputAnswers; // nullopt: Cancel
    std::vector<std::string> InputQueries;               // caption + "|" + prompt + "|" + value

    std::string DatabaseText, ExchangeFolder, DatabaseName, Log;
    std::vector<std::string> WorkList;
    std::vector<std::vector<std::string>> WorkLists; // every list shown, in order
    int ProgressMax = 0, Progress = 0;
    std::vector<int> Positions; // every progress position set, in order
    int ProcessCount = 0;
    bool ButtonsEnabled = true, BusyCursor = false, Minimized = false, Closed = false;

    void ShowDatabaseText(const std::string& t) override {
        Record("ShowDatabaseText"), DatabaseText = t;
    }
    void ShowExchangeFolder(const std::string& t) override {
        Record("ShowExchangeFolder"), ExchangeFolder = t;
    }
    void ShowDatabaseName(const std::string& t) override {
        Record("ShowDatabaseName"), DatabaseName = t;
    }
    void ShowWorkList(const std::vector<std::string>& l) override {
        WorkList = l;
        WorkLists.push_back(l);
    }
    void ShowLog(const std::string& t) override { Record("ShowLog"), Log = t; }
    void ShowNotice(const std::string& t) override { Record("ShowNotice"), Notices.push_back(t); }
    void SetProgressMax(int m) override { ProgressMax = m; }
    void SetProgress(int p) override {
        Progress = p;
        Positions.push_back(p);
    }
    void SetButtonsEnabled(bool e) override {
        Record(std::string("SetButtonsEnabled(") + (e ? "1" : "0") + ")");
        ButtonsEnabled = e;
    }
    void FocusExitButton() override { Record("FocusExitButton"); }
    void SetBusyCursor(bool b) override { BusyCursor = b; }
    void Minimize() override { Record("Minimize"), Minimized = true; }
    void ProcessMessages() override { ++ProcessCount; }
    void MessageBox(const std::string& t) override {
        Record("MessageBox"), MessageBoxes.push_back(t);
    }
    int ShowDialog(TMsgDlgType kind, const std::string& text, const std::string& buttons,
                   int defaultButton = 1) override {
        Record("ShowDialog");
        Dialogs.push_back({kind, text, buttons, defaultButton});
        if (DialogAnswers.empty()) return defaultButton;
        int answer = DialogAnswers.front();
        DialogAnswers.pop_front();
        return answer;
    }
    bool InputQuery(const std::string& caption, const std::string& prompt,
                    std::string& value) override {
        Record("InputQuery");
        InputQueries.push_back(caption + "|" + prompt + "|" + value);
        if (InputAnswers.empty()) return true;
        std::optional<std::string> answer = InputAnswers.front();
        InputAnswers.pop_front();
        if (!answer) return false;
        value = *answer;
        return true;
    }
    void Close() override { Record("Close"), Closed = true; }
    // Asked before each file and each row; Stop, when set, answers.
    bool StopRequested() override { return Stop && Stop(); }
    std::function<bool()> Stop;

private:
    void Record(const std::string& call) { Calls.push_back(call); }
};
