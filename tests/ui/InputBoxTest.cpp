#include "ui/InputBox.h"

#include "platform/Text.h"
#include "tests/ui/QtApp.h"
#include "ui/DialogAnswers.h"

#include <QInputDialog>
#include <QLineEdit>
#include <QTest>

#include <functional>

#include <gtest/gtest.h>

namespace {

struct Seen {
    QString Caption, Prompt, Initial;
    int Width = 0, CaptionWidth = 0, PromptWidth = 0;
};

// Once the input box is up: note what it shows, type answer (if any) and press Enter or Escape.
void AnswerNextBox(Seen& seen, const QString* answer, bool ok) {
    DialogAnswers::Queue([&seen, answer, ok](QDialog& dialog) {
        auto* box = qobject_cast<QInputDialog*>(&dialog);
        ASSERT_NE(box, nullptr);
        seen = {box->windowTitle(),
                box->labelText(),
                box->textValue(),
                box->width(),
                box->fontMetrics().horizontalAdvance(box->windowTitle()),
                box->fontMetrics().horizontalAdvance(box->labelText())};
        auto* edit = box->findChild<QLineEdit*>();
        ASSERT_NE(edit, nullptr);
        if (answer) {
            // Typed as one input, since key clicks know ASCII only.
            edit->selectAll();
            edit->insert(*answer);
        }
        QTest::keyClick(edit, ok ? Qt::Key_Return : Qt::Key_Escape);
    });
}

TEST(InputBoxTest, OkTakesTheAnswerAndCancelKeepsTheValue) {
    QtApp();
    Seen seen;
    const QString typed = QString::fromUtf8("kétezer");
    AnswerNextBox(seen, &typed, true);
    std::string value = "2012";
    EXPECT_TRUE(InputBox::InputQuery(W1250("Mely évbe tölti "), W1250("Évszám pl 2012 "), value));
    // Accented answers come back as Windows-1250.
    EXPECT_EQ(value, W1250("kétezer"));
    EXPECT_EQ(seen.Caption, QString::fromUtf8("Mely évbe tölti "));
    EXPECT_EQ(seen.Prompt, QString::fromUtf8("Évszám pl 2012 "));
    EXPECT_EQ(seen.Initial, "2012");
    // The title bar has room for the whole caption beside its buttons, the prompt for itself.
    EXPECT_GE(seen.Width, seen.CaptionWidth + 150);
    EXPECT_GE(seen.Width, seen.PromptWidth);

    AnswerNextBox(seen, &typed, false);
    value = "2012";
    EXPECT_FALSE(InputBox::InputQuery("c", "p", value));
    EXPECT_EQ(value, "2012");
    AnswerNextBox(seen, &typed, false);
    EXPECT_EQ(InputBox::Ask("c", "p", "2011"), "2011");
    // OK without typing answers the offered text.
    AnswerNextBox(seen, nullptr, true);
    EXPECT_EQ(InputBox::Ask("c", "p", "2010"), "2010");
}

} // namespace
