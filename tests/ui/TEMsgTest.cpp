#include "ui/TEMsg.h"
#include "ui/DialogAnswers.h"

#include "platform/Text.h"
#include "tests/ui/QtApp.h"

#include <QAction>
#include <QClipboard>
#include <QDialog>
#include <QLabel>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

namespace {

// What a test saw of a dialog while it was up.
struct Seen {
    QString Caption;
    QString Sign;
    QColor SignColour;
    bool SignBold = false;
    bool SignItalic = false;
    QString Text;
    QSize Size;
    QRect TextRect;
    std::vector<QString> Captions;
    std::vector<QRect> Buttons;
    Qt::WindowFlags Flags;
};

Seen Look(QDialog& dialog) {
    Seen seen;
    seen.Caption = dialog.windowTitle();
    auto* sign = dialog.findChild<QLabel*>("EMSGFormIcoLabel");
    auto* text = dialog.findChild<QLabel*>("EMSGFormTextx");
    EXPECT_NE(sign, nullptr);
    EXPECT_NE(text, nullptr);
    if (sign) {
        seen.Sign = sign->text();
        seen.SignColour = sign->palette().color(QPalette::WindowText);
        seen.SignBold = sign->font().bold();
        seen.SignItalic = sign->font().italic();
    }
    if (text) {
        seen.Text = text->text();
        seen.TextRect = text->geometry();
    }
    seen.Size = dialog.size();
    seen.Flags = dialog.windowFlags();
    for (int n = 1;; ++n) {
        auto* button = dialog.findChild<QPushButton*>(QString("EMSGFormButton%1").arg(n));
        if (!button) break;
        seen.Captions.push_back(button->text());
        seen.Buttons.push_back(button->geometry());
    }
    return seen;
}

// Looks at the next dialog, then presses the button with this number (0: Escape).
void AnswerAfterLooking(Seen& seen, int button) {
    DialogAnswers::Queue([&seen, button](QDialog& dialog) {
        seen = Look(dialog);
        if (button == 0) {
            QTest::keyClick(&dialog, Qt::Key_Escape);
            return;
        }
        auto* pushButton = dialog.findChild<QPushButton*>(QString("EMSGFormButton%1").arg(button));
        ASSERT_NE(pushButton, nullptr);
        QTest::mouseClick(pushButton, Qt::LeftButton);
    });
}

class TEMsgTest : public ::testing::Test {
protected:
    void SetUp() override {
        QtApp();
        DialogAnswers::Clear();
    }
    void TearDown() override { EXPECT_EQ(DialogAnswers::Pending(), 0u); }
};

TEST_F(TEMsgTest, QuestionShowsBlueQuestionMarkAndReturnsTheButtonPressed) {
    Seen seen;
    AnswerAfterLooking(seen, 2);
    EXPECT_EQ(ShowMsg("x", "&Igen;&Nem"), 2);
    EXPECT_EQ(seen.Caption, "Confirmation");
    EXPECT_EQ(seen.Sign, "?");
    EXPECT_EQ(seen.SignColour, QColor(0, 0, 255));
    EXPECT_TRUE(seen.SignBold);
    EXPECT_FALSE(seen.SignItalic);
    ASSERT_EQ(seen.Buttons.size(), 2u);
    EXPECT_EQ(seen.Captions[0], "&Igen");
    EXPECT_EQ(seen.Captions[1], "&Nem");
    EXPECT_EQ(seen.Buttons[0].width(), 67);
    EXPECT_EQ(seen.Buttons[1].width(), 58);
    EXPECT_EQ(seen.Buttons[0].height(), 25);
    // A short text leaves the window the width of the row (145) plus borders and margin.
    EXPECT_EQ(seen.Size.width(), 2 * 2 + 145 + 10);
    EXPECT_EQ(seen.Buttons[0].left(), (seen.Size.width() - 145) / 2 + 2);
    EXPECT_EQ(seen.Buttons[1].left(), seen.Buttons[0].left() + 67 + 9);
    EXPECT_EQ(seen.Buttons[1].top(), seen.Buttons[0].top());
    EXPECT_TRUE(seen.Flags.testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_FALSE(seen.Flags.testFlag(Qt::WindowCloseButtonHint));

    AnswerAfterLooking(seen, 1);
    EXPECT_EQ(ShowMsg("x", "&Igen;&Nem"), 1);
    DialogAnswers::Queue([](QDialog& d) { QTest::keyClick(d.focusWidget(), Qt::Key_Return); });
    EXPECT_EQ(ShowMsg("x", "&Igen;&Nem", 2), 2) << "Nem as the default keeps its place";
}

TEST_F(TEMsgTest, MessageWithoutButtonsOffersOneOkButton) {
    Seen seen;
    AnswerAfterLooking(seen, 1);
    EXPECT_EQ(ShowMsg("x"), 1);
    EXPECT_EQ(seen.Caption, "Message");
    EXPECT_EQ(seen.Sign, "i");
    EXPECT_EQ(seen.SignColour, QColor(0, 0, 255));
    EXPECT_TRUE(seen.SignBold);
    EXPECT_TRUE(seen.SignItalic);
    ASSERT_EQ(seen.Buttons.size(), 1u);
    EXPECT_EQ(seen.Captions[0], "&Ok");
    EXPECT_EQ(seen.Buttons[0].width(), 85);
    EXPECT_EQ(seen.Size.width(), 2 * 2 + 95 + 10);
}

TEST_F(TEMsgTest, ClosingWithoutAButtonAnswersZero) {
    Seen seen;
    AnswerAfterLooking(seen, 0);
    EXPECT_EQ(ShowMsg("x", "&Igen;&Nem"), 0);
    EXPECT_EQ(seen.Caption, "Confirmation");
}

TEST_F(TEMsgTest, ErrorIsAQuestionOnlyWithASemicolonAfterTheFirstPosition) {
    Seen seen;
    AnswerAfterLooking(seen, 2);
    EXPECT_EQ(ShowErrMsg(nullptr, "x", "Igen;Nem"), 2);
    EXPECT_EQ(seen.Caption, "Error-question");
    EXPECT_EQ(seen.Sign, "?");
    EXPECT_EQ(seen.SignColour, QColor(255, 0, 0));

    AnswerAfterLooking(seen, 1);
    EXPECT_EQ(ShowErrMsg(nullptr, "x", ";Nem"), 1);
    EXPECT_EQ(seen.Caption, "Error");
    EXPECT_EQ(seen.Sign, "!");
    EXPECT_EQ(seen.SignColour, QColor(255, 0, 0));
    EXPECT_FALSE(seen.SignItalic);
    // The empty first item becomes the default button.
    ASSERT_EQ(seen.Captions.size(), 2u);
    EXPECT_EQ(seen.Captions[0], "&Ok");
    EXPECT_EQ(seen.Captions[1], "Nem");

    AnswerAfterLooking(seen, 1);
    TEMsg warning;
    EXPECT_EQ(warning.ShowDialog("x", TMsgDlgType::mtWarning, ""), 1);
    EXPECT_EQ(seen.Caption, "Warning");
    EXPECT_EQ(seen.Sign, "!");
    EXPECT_EQ(seen.SignColour, QColor(128, 0, 128));

    AnswerAfterLooking(seen, 1);
    EXPECT_EQ(warning.ShowDialog("x", TMsgDlgType::mtCustom, ""), 1);
    EXPECT_EQ(seen.Caption, "Message");
    EXPECT_EQ(seen.Sign, "i");
    EXPECT_FALSE(seen.SignItalic);
}

TEST_F(TEMsgTest, ErrorFromAComponentNamesOwnerAndSender) {
    Component window("F_IN");
    Component button("Button1", &window);
    Seen seen;
    AnswerAfterLooking(seen, 1);
    EXPECT_EQ(ShowErrMsg(&button, W1250("Hibás tétel")), 1);
    EXPECT_TRUE(seen.Text.startsWith(QString::fromUtf8("Hibás tétel\n( F_IN.Button1 - ")))
        << seen.Text.toStdString();
    EXPECT_TRUE(seen.Text.endsWith(" )"));
}

TEST_F(TEMsgTest, LongTextWidensTheWindowAndPushesTheButtonsDown) {
    Seen seen;
    const std::string longText = std::string(50, 'W') + "\r\nsecond line";
    AnswerAfterLooking(seen, 1);
    ShowMsg(longText);
    EXPECT_GT(seen.TextRect.width(), 95);
    EXPECT_EQ(seen.TextRect.topLeft(), QPoint(32, 3));
    EXPECT_EQ(seen.Size.width(), 2 * 2 + 32 + seen.TextRect.width() + 20);
    EXPECT_EQ(seen.Size.height(), 2 * 2 + 3 + seen.TextRect.height() + 10 + 25 + 5);
    ASSERT_EQ(seen.Buttons.size(), 1u);
    EXPECT_EQ(seen.Buttons[0].top(), 3 + seen.TextRect.height() + 12);
    EXPECT_EQ(seen.Text, QString::fromStdString(std::string(50, 'W') + "\nsecond line"));
}

TEST_F(TEMsgTest, BlanksAroundAnItemCountOnlyWhenThereAreTwoOrMore) {
    int rowWidth = 0;
    auto row = TEMsg::ButtonRow("  Igen  ; Nem", rowWidth);
    ASSERT_EQ(row.size(), 2u);
    EXPECT_EQ(row[0].Caption, "Igen");
    EXPECT_EQ(row[0].Width, 9 * 8 + 4);
    // One blank is not enough room: two more are added.
    EXPECT_EQ(row[1].Caption, "Nem");
    EXPECT_EQ(row[1].Width, 9 * 6 + 4);
    EXPECT_EQ(rowWidth, 9 * 8 + 14 + 9 * 6 + 14);
}

TEST_F(TEMsgTest, MoreThanTenButtonsAreCutToTen) {
    Seen seen;
    AnswerAfterLooking(seen, 10);
    EXPECT_EQ(ShowMsg("x", "a;b;c;d;e;f;g;h;i;j;k;l"), 10);
    ASSERT_EQ(seen.Captions.size(), 10u);
    EXPECT_EQ(seen.Captions[9], "j");
    // Ten buttons of 3 characters each make the row.
    EXPECT_EQ(seen.Size.width(), 2 * 2 + 10 * (9 * 3 + 14) + 10);
}

TEST_F(TEMsgTest, AfterShowSeesTheChosenButtonAndTheMenuCopiesTheText) {
    TEMsg msg;
    int calls = 0;
    int chosenSeen = -1;
    msg.OnAfterShow = [&](TEMsg& sender) {
        ++calls;
        chosenSeen = sender.ChosenButton();
        EXPECT_EQ(&sender, &msg);
        throw std::runtime_error("handler failure is swallowed");
    };
    QString copied;
    DialogAnswers::Queue([&copied](QDialog& dialog) {
        QAction* copy = nullptr;
        for (QAction* action : dialog.actions())
            if (action->text() == "Copy message to clipboard") copy = action;
        ASSERT_NE(copy, nullptr);
        QGuiApplication::clipboard()->clear();
        copy->trigger();
        copied = QGuiApplication::clipboard()->text();
        dialog.findChild<QPushButton*>("EMSGFormButton2")->click();
    });
    const std::string text = W1250("Minden feladást egy naplóba tegyek?!") + "\r\n<b>x</b>";
    EXPECT_EQ(msg.ShowDialog(text, TMsgDlgType::mtConfirmation, W1250("&Igen;&Nem")), 2);
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(chosenSeen, 2);
    EXPECT_EQ(msg.Form(), nullptr);
    EXPECT_EQ(copied, QString::fromUtf8("Minden feladást egy naplóba tegyek?!\n<b>x</b>"));
}

} // namespace
