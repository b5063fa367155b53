#include "ui/edit/TEStr.h"

#include "platform/Text.h"
#include "tests/ui/QtApp.h"

#include <QApplication>
#include <QClipboard>
#include <QLabel>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

// A form with a button and three fields in tab order, shown and active so focus moves for real.
class EStrTest : public ::testing::Test {
protected:
    void SetUp() override {
        QtApp();
        form = std::make_unique<QWidget>();
        form->resize(400, 300);
        // Takes the first focus, so that every entry into a field below is a real one.
        auto* start = new QPushButton("start", form.get());
        start->setGeometry(200, 10, 80, 24);
        e1 = new TEStr(form.get(), "E1");
        e2 = new TEStr(form.get(), "E2");
        e3 = new TEStr(form.get(), "E3");
        for (TEStr* e : {e1, e2, e3})
            e->OnMessage = [this](const std::string& text, bool isError) {
                messages.push_back({text, isError});
            };
        e1->setGeometry(10, 40, 120, 20);
        e2->setGeometry(10, 80, 120, 20);
        e3->setGeometry(10, 120, 120, 20);
        form->show();
        form->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
    }
    void TearDown() override { form.reset(); }

    void Enter(TEStr* e) {
        e->setFocus(Qt::TabFocusReason);
        ASSERT_TRUE(e->hasFocus());
    }
    void Type(TEStr* e, const char* keys) { QTest::keyClicks(e, keys); }

    struct Message {
        std::string text;
        bool isError;
    };
    std::vector<Message> messages;
    std::unique_ptr<QWidget> form;
    TEStr* e1 = nullptr;
    TEStr* e2 = nullptr;
    TEStr* e3 = nullptr;
};

} // namespace

TEST_F(EStrTest, NewControlDefaults) {
    TEStr e;
    EXPECT_EQ(e.IOTextOptions(), TEStrFormatOptions{e_Trim});
    EXPECT_EQ(e.DownCount(), 8);
    EXPECT_TRUE(e.EnterByTab());
    EXPECT_EQ(e.UpdateValue(), "<<?>>");
    EXPECT_EQ(e.font().family(), "Arial");
    EXPECT_EQ(e.font().pointSize(), 9);
    EXPECT_EQ(e.height(), 20);
    EXPECT_EQ(e1->objectName(), "E1");
}

TEST_F(EStrTest, IOTextConvertsAndItsEventsMayChangeIt) {
    e1->SetIOTextOptions({e_Trim, e_Upper, e_NoNational});
    e1->SetText(W1250("  árvíz tűrő "));
    EXPECT_EQ(e1->text(), QString::fromUtf8("  árvíz tűrő ")) << "the widget shows UTF-8";
    EXPECT_EQ(e1->IOText(), "ARVIZ TURO");

    e1->SetIOTextOptions({});
    e1->OnGetText = [](TEStr&, std::string& t) { t += "!"; };
    e1->OnSetText = [](TEStr&, std::string& t) { t = "<" + t + ">"; };
    e1->SetIOText("abc");
    EXPECT_EQ(e1->Text(), "<abc>");
    EXPECT_EQ(e1->UpdateValue(), "<abc>");
    EXPECT_EQ(e1->IOText(), "<abc>!");

    e1->OnGetText = [](TEStr&, std::string&) { throw std::runtime_error("get"); };
    e1->OnSetText = [](TEStr&, std::string& t) {
        t = "half";
        throw std::runtime_error("set");
    };
    EXPECT_NO_THROW(e1->SetIOText("x"));
    EXPECT_EQ(e1->Text(), "half") << "what the handler left stands";
    EXPECT_EQ(e1->IOText(), "half");
}

TEST_F(EStrTest, ThrowingEventHandlersDoNotCrash) {
    int calls = 0;
    auto boom = [&](TEStr&) {
        ++calls;
        throw std::runtime_error("handler");
    };
    e1->OnChange = boom;
    e1->OnEnter = boom;
    e1->OnExit = boom;
    Enter(e1);
    Type(e1, "ab");
    Enter(e2);
    EXPECT_EQ(e1->Text(), "ab");
    EXPECT_EQ(calls, 4);
    EXPECT_EQ(e1->LastExitText(), "ab") << "the exit went on after its event failed";
}

TEST_F(EStrTest, ChangesAfterAnUpdaterWasAssignedComeFromIt) {
    e1->SetText("a");
    EXPECT_FALSE(e1->IsFromUpdater());
    auto updater = std::make_unique<QObject>();
    e1->SetUpdater(updater.get());
    updater.reset();
    EXPECT_EQ(e1->Updater(), nullptr) << "a freed updater is forgotten";
    e1->SetText("b");
    EXPECT_TRUE(e1->IsFromUpdater());
}

TEST_F(EStrTest, CharSetFiltersTypingAndPasting) {
    e1->SetCharSet("0..9");
    Enter(e1);
    Type(e1, "1a2");
    EXPECT_EQ(e1->Text(), "12");

    e1->SetText("");
    QApplication::clipboard()->setText("1a2");
    QTest::keyClick(e1, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(e1->Text(), "12");

    e1->SetText("5");
    e1->setCursorPosition(0);
    e1->insert("x9");
    EXPECT_EQ(e1->Text(), "95");
    EXPECT_EQ(e1->cursorPosition(), 1) << "the caret stays after what was inserted";

    e1->SetCharSetDisabled("x");
    EXPECT_EQ(e1->CharSet(), "");
    e1->SetText("");
    Type(e1, "axb");
    EXPECT_EQ(e1->Text(), "ab");

    EXPECT_TRUE(messages.empty());
    e1->SetCharSet("#1x");
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].text, "Error char set on position:2");
    EXPECT_TRUE(messages[0].isError);
    EXPECT_EQ(e1->CharSet(), "#1x");
}

TEST_F(EStrTest, CaseRulesAndTheApostrophe) {
    Enter(e1);
    e1->SetUpperFirstChar(true);
    Type(e1, "kft");
    EXPECT_EQ(e1->Text(), "Kft");

    e1->SetText("");
    e1->SetLower(true);
    e1->SetUpper(true);
    for (QChar c : QString::fromUtf8("aé"))
        QTest::sendKeyEvent(QTest::Click, e1, Qt::Key(c.toUpper().unicode()), QString(c),
                            Qt::NoModifier);
    EXPECT_EQ(e1->Text(), W1250("AÉ")) << "upper wins over lower";

    e2->SetSqlTable("UGYFEL");
    e2->SetSqlField(" ");
    Enter(e2);
    Type(e2, "a'b");
    EXPECT_EQ(e2->Text(), "a'b");
    e2->SetText("");
    e2->SetSqlField("UG_NEV");
    Type(e2, "a'b");
    EXPECT_EQ(e2->Text(), "ab");
}

TEST_F(EStrTest, DefaultTextOnEntry) {
    e1->SetDefaultText("HUF");
    Enter(e1);
    EXPECT_EQ(e1->Text(), "HUF");

    e2->SetDefaultText("HUF");
    e2->SetDefaultLastExitText(true);
    Enter(e2);
    EXPECT_EQ(e2->Text(), "");
    EXPECT_EQ(e2->LastExitText(), "HUF");
    Type(e2, "EUR");
    Enter(e3);
    e2->SetText("");
    Enter(e2);
    EXPECT_EQ(e2->Text(), "EUR");

    e3->SetDefaultText("HUF");
    e3->setReadOnly(true);
    Enter(e1);
    Enter(e3);
    EXPECT_EQ(e3->Text(), "") << "a read-only field gets no default";
}

TEST_F(EStrTest, EscAndCtrlZBringBackTheEntryText) {
    e1->SetText("old");
    Enter(e1);
    e1->SetText("new");
    QTest::keyClick(e1, Qt::Key_Escape);
    EXPECT_EQ(e1->Text(), "old");
    e1->SetText("newer");
    QTest::keyClick(e1, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(e1->Text(), "old");
}

TEST_F(EStrTest, ClearDefault) {
    e1->SetText("abc");
    e1->ClearDefault("  self ");
    EXPECT_EQ(e1->DefaultText(), "abc");
    EXPECT_EQ(e1->LastExitText(), "abc");
    e1->ClearDefault("");
    EXPECT_EQ(e1->DefaultText(), "");
    e1->SetIOTextOptions({e_Integer});
    e1->ClearDefault("");
    EXPECT_EQ(e1->DefaultText(), "0");
    EXPECT_EQ(e1->LastExitText(), "0");
}

TEST_F(EStrTest, CaptionLabelAboveTheField) {
    e1->SetCaption(W1250("Adatbázis"));
    auto* label = form->findChild<QLabel*>("L_E1");
    ASSERT_NE(label, nullptr);
    EXPECT_EQ(label->text(), QString::fromUtf8("Adatbázis"));
    EXPECT_EQ(label->x(), e1->x());
    EXPECT_EQ(label->y() + label->height(), e1->y() - 1);
    e1->SetCaption("Valuta");
    EXPECT_EQ(form->findChildren<QLabel*>("L_E1").size(), 1) << "the label is reused";
    e1->SetCaption("  ");
    EXPECT_EQ(form->findChild<QLabel*>("L_E1"), nullptr);

    auto* existing = new QLabel("old", form.get());
    existing->setObjectName("L_E2");
    e2->SetCaption(W1250("Dátum"));
    EXPECT_EQ(existing->text(), QString::fromUtf8("Dátum"));
}

TEST_F(EStrTest, TabStopToggleReportsTheNewState) {
    ASSERT_TRUE(e1->TabStop());
    Enter(e1);
    QTest::keyClick(e1, Qt::Key_T, Qt::ControlModifier);
    EXPECT_FALSE(e1->TabStop());
    QTest::keyClick(e1, Qt::Key_F5);
    EXPECT_TRUE(e1->TabStop());
    ASSERT_EQ(messages.size(), 2u);
    EXPECT_EQ(messages[0].text, "TabStop is disabled");
    EXPECT_EQ(messages[1].text, "TabStop is enabled");
    EXPECT_FALSE(messages[0].isError);
    EXPECT_EQ(e1->Text(), "");
}

TEST_F(EStrTest, EnterAndArrowsMoveBetweenFields) {
    Enter(e2);
    QTest::keyClick(e2, Qt::Key_Return);
    EXPECT_TRUE(e3->hasFocus());
    QTest::keyClick(e3, Qt::Key_Up);
    EXPECT_TRUE(e2->hasFocus());
    QTest::keyClick(e2, Qt::Key_Down);
    EXPECT_TRUE(e3->hasFocus());

    int returns = 0;
    QObject::connect(e3, &QLineEdit::returnPressed, [&] { ++returns; });
    QTest::keyClick(e3, Qt::Key_Return, Qt::ShiftModifier);
    EXPECT_TRUE(e2->hasFocus());
    EXPECT_EQ(returns, 0) << "the Enter of Shift+Enter does not reach the edit";

    e3->SetArrowNoByTab(true);
    e3->SetEnterByTab(false);
    e3->SetFocus();
    QTest::keyClick(e3, Qt::Key_Down);
    QTest::keyClick(e3, Qt::Key_Return);
    EXPECT_TRUE(e3->hasFocus());

    e2->setEnabled(false);
    e2->SetFocus();
    EXPECT_TRUE(e3->hasFocus()) << "a field that cannot take the focus ignores the request";
}
