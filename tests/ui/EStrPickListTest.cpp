#include "ui/edit/TEStr.h"

#include "tests/ui/QtApp.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QMouseEvent>
#include <QPushButton>
#include <QTest>
#include <QToolButton>

#include <gtest/gtest.h>

#include <memory>
#include <stdexcept>

namespace {

class EStrPickListTest : public ::testing::Test {
protected:
    void SetUp() override {
        QtApp();
        form = std::make_unique<QWidget>();
        form->resize(400, 300);
        auto* start = new QPushButton("start", form.get());
        start->setGeometry(250, 10, 80, 24);
        box = new QWidget(form.get());
        box->setGeometry(20, 30, 300, 200);
        e1 = new TEStr(form.get(), "E1");
        e1->setParent(box);
        e1->setGeometry(10, 20, 120, 20);
        e1->SetComboMode(true);
        e1->SetComboItems({"A", "B", "C"});
        e2 = new TEStr(form.get(), "E2");
        for (TEStr* e : {e1, e2})
            e->OnMessage = [](const std::string&, bool) {};
        e2->setGeometry(20, 150, 120, 20);
        form->show();
        form->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
    }
    void TearDown() override { form.reset(); }

    void Enter(QWidget* w) {
        w->setFocus(Qt::TabFocusReason);
        ASSERT_TRUE(w->hasFocus());
    }
    // Lets the posted focus and close requests run.
    static void Settle() {
        for (int i = 0; i < 3; ++i)
            QApplication::processEvents();
    }
    QComboBox* List() const { return form->findChild<QComboBox*>("CBX_E1"); }
    QToolButton* Button() const { return form->findChild<QToolButton*>("E1Button"); }
    QComboBox* OpenWithF4() {
        Enter(e1);
        QTest::keyClick(e1, Qt::Key_F4);
        Settle();
        return List();
    }
    static void DoubleClick(QWidget* w) {
        QPointF at(w->width() / 2.0, w->height() / 2.0);
        QMouseEvent e(QEvent::MouseButtonDblClick, at, w->mapToGlobal(at), Qt::LeftButton,
                      Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(w, &e);
    }

    std::unique_ptr<QWidget> form;
    QWidget* box = nullptr;
    TEStr* e1 = nullptr;
    TEStr* e2 = nullptr;
};

} // namespace

TEST_F(EStrPickListTest, ButtonTakesItsWidthWhileFocused) {
    EXPECT_EQ(Button(), nullptr);
    Enter(e1);
    QToolButton* button = Button();
    ASSERT_NE(button, nullptr);
    EXPECT_EQ(e1->width(), 105);
    EXPECT_EQ(button->geometry(), QRect(e1->x() + e1->width() - 1, e1->y(), 15, e1->height()));
    EXPECT_EQ(button->text(), "...");
    EXPECT_EQ(button->toolTip(), "<F4>");
    Enter(e2);
    EXPECT_EQ(Button(), nullptr);
    EXPECT_EQ(e1->width(), 120);
}

TEST_F(EStrPickListTest, OpensOverTheFieldWithTheMatchingEntry) {
    e1->SetText("B");
    e1->SetDownCount(1);
    QComboBox* list = OpenWithF4();
    ASSERT_NE(list, nullptr);
    EXPECT_TRUE(list->isVisible());
    EXPECT_EQ(list->pos(), e1->mapTo(form.get(), QPoint(0, 0)));
    EXPECT_EQ(list->width(), e1->width() + 15);
    EXPECT_EQ(list->currentText(), "B");
    EXPECT_EQ(e1->DownCount(), 2) << "a list shows at least two rows";
    EXPECT_EQ(list->maxVisibleItems(), 2);
    EXPECT_TRUE(e1->Down());
    EXPECT_TRUE(list->hasFocus());
    EXPECT_NE(Button(), nullptr) << "moving into the list does not leave the field";

    QTest::keyClick(list, Qt::Key_Escape);
    Settle();
    e1->SetText("X");
    list = OpenWithF4();
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(list->currentText(), "A");
}

TEST_F(EStrPickListTest, EnterEscAndDoubleClickChoose) {
    e1->SetText("A");
    QComboBox* list = OpenWithF4();
    ASSERT_NE(list, nullptr);
    QTest::keyClick(list->view(), Qt::Key_Down);
    QTest::keyClick(list->view(), Qt::Key_Down);
    QTest::keyClick(list->view(), Qt::Key_Return);
    EXPECT_EQ(e1->Text(), "C");
    EXPECT_FALSE(e1->Down());
    Settle();
    EXPECT_EQ(List(), nullptr) << "the list is freed once closed";
    EXPECT_TRUE(e1->hasFocus());

    list = OpenWithF4();
    ASSERT_NE(list, nullptr);
    QTest::keyClick(list->view(), Qt::Key_Up);
    QTest::keyClick(list->view(), Qt::Key_Escape);
    Settle();
    EXPECT_EQ(e1->Text(), "C") << "Esc keeps the entry the list stood on";
    EXPECT_EQ(List(), nullptr);

    list = OpenWithF4();
    ASSERT_NE(list, nullptr);
    list->setCurrentIndex(0);
    DoubleClick(list);
    EXPECT_EQ(e1->Text(), "A");
    Settle();
    EXPECT_EQ(List(), nullptr);

    DoubleClick(e1);
    Settle();
    EXPECT_NE(List(), nullptr) << "a double click on the field opens the list";
}

TEST_F(EStrPickListTest, EmptyChoiceIsRefusedUnlessOffered) {
    QComboBox* list = OpenWithF4();
    ASSERT_NE(list, nullptr);
    list->setCurrentIndex(-1);
    QTest::keyClick(list, Qt::Key_Escape);
    Settle();
    ASSERT_EQ(List(), list) << "the list stays for a real choice";
    EXPECT_TRUE(e1->Down());
    EXPECT_TRUE(list->view()->isVisible()) << "and drops down again";

    e1->SetComboItems({"A", "", "C"});
    list->setCurrentIndex(-1);
    QTest::keyClick(list->view(), Qt::Key_Escape);
    Settle();
    EXPECT_EQ(e1->Text(), "");
    EXPECT_EQ(List(), nullptr);
}

TEST_F(EStrPickListTest, TypedLetterPicksTheFirstMatchingEntry) {
    e1->SetComboItems({"alfa", "beta", "Bravo"});
    Enter(e1);
    QTest::keyClick(e1, 'b');
    EXPECT_EQ(e1->Text(), "beta");
    EXPECT_EQ(e1->cursorPosition(), 1);
    QTest::keyClick(e1, '*');
    EXPECT_EQ(e1->Text(), "beta");
    EXPECT_EQ(List(), nullptr) << "a typed star opens nothing";
    e1->SetText("");
    QTest::keyClick(e1, 'x');
    EXPECT_EQ(e1->Text(), "x") << "a letter no entry begins with is typed";
}

TEST_F(EStrPickListTest, ButtonClickHandlerReplacesTheList) {
    int calls = 0;
    e1->OnButtonClick = [&](TEStr& sender) {
        ++calls;
        sender.SetText("from handler");
    };
    OpenWithF4();
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(List(), nullptr);
    EXPECT_EQ(e1->Text(), "from handler");
    ASSERT_NE(Button(), nullptr);
    Button()->click();
    EXPECT_EQ(calls, 2) << "every request reaches the handler";

    e1->OnButtonClick = [&](TEStr&) { throw std::runtime_error("handler"); };
    QTest::keyClick(e1, Qt::Key_F2);
    Enter(e2);
    EXPECT_EQ(Button(), nullptr) << "the field can still be left";
}

TEST_F(EStrPickListTest, EnterOnEmptyFieldOpensAndDeleteClears) {
    Enter(e1);
    QTest::keyClick(e1, Qt::Key_Return);
    Settle();
    ASSERT_NE(List(), nullptr);
    QTest::keyClick(List()->view(), Qt::Key_Return);
    Settle();
    EXPECT_EQ(e1->Text(), "A");

    e1->setCursorPosition(1);
    QTest::keyClick(e1, Qt::Key_Delete);
    EXPECT_EQ(e1->Text(), "A") << "no empty entry: Delete works as usual";
    e1->SetComboItems({"A", "", "B"});
    e1->setCursorPosition(0);
    QTest::keyClick(e1, Qt::Key_Delete);
    EXPECT_EQ(e1->Text(), "");
}

TEST_F(EStrPickListTest, DestroyingTheFieldWithAnOpenList) {
    ASSERT_NE(OpenWithF4(), nullptr);
    delete e1;
    Settle();
    EXPECT_EQ(List(), nullptr);
    EXPECT_EQ(Button(), nullptr);
}
