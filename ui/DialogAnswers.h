#pragma once
// Answers queued for the modal dialogs to come (the message dialog, the plain message box, the
// input box), for tests: each answer runs once its dialog is up, in order. A dialog its answer
// leaves open is closed without a choice, so nothing waits for a person. With no answer queued
// a dialog waits for a person.
#include <cstddef>
#include <functional>

class QDialog;

class DialogAnswers {
public:
    // Acts on a dialog that is up (reads it, clicks a button, types, or closes it).
    using Answer = std::function<void(QDialog& dialog)>;

    static void Queue(Answer answer);
    static void Clear();
    static std::size_t Pending();

    // Shows the dialog modally, with the next answer if one is queued, and returns its result.
    // An answer's failure comes out here once the dialog has closed.
    static int Exec(QDialog& dialog);
};
