#include "ui/DialogAnswers.h"

#include <QDialog>
#include <QTimer>

#include <deque>
#include <exception>

namespace {

std::deque<DialogAnswers::Answer>& Answers() {
    static std::deque<DialogAnswers::Answer> answers;
    return answers;
}

} // namespace

void DialogAnswers::Queue(Answer answer) {
    Answers().push_back(std::move(answer));
}

void DialogAnswers::Clear() {
    Answers().clear();
}

std::size_t DialogAnswers::Pending() {
    return Answers().size();
}

int DialogAnswers::Exec(QDialog& dialog) {
    std::exception_ptr answerFailure;
    if (!Answers().empty()) {
        Answer answer = std::move(Answers().front());
        Answers().pop_front();
        QTimer::singleShot(0, &dialog, [&dialog, answer, &answerFailure] {
            try {
                answer(dialog);
            } catch (...) {
                answerFailure = std::current_exception();
            }
            if (dialog.isVisible()) dialog.reject();
        });
    }
    const int result = dialog.exec();
    if (answerFailure) std::rethrow_exception(answerFailure);
    return result;
}
