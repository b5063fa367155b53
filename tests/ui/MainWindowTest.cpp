#include "ui/MainWindow.h"

#include "app/ImportType.h"
#include "fixtures/DbfWriter.h"
#include "fixtures/MixedInputs.h"
#include "fixtures/TempDir.h"
#include "fixtures/TestDatabase.h"
#include "platform/Text.h"
#include "tests/ui/QtApp.h"
#include "ui/DialogAnswers.h"
#include "ui/TEMsg.h"
#include "ui/edit/TEStr.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QDialog>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace {

// Presses OK on the next dialog, which must be a plain message box, noting its text.
void AnswerMessageBox(QString& seen) {
    DialogAnswers::Queue([&seen](QDialog& dialog) {
        auto* box = qobject_cast<QMessageBox*>(&dialog);
        ASSERT_NE(box, nullptr) << "not a plain message box";
        seen = box->text();
        box->button(QMessageBox::Ok)->click();
    });
}

QString DialogText(QDialog& dialog) {
    auto* text = dialog.findChild<QLabel*>("EMSGFormTextx");
    return text ? text->text() : QString();
}

class MainWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        QtApp();
        DialogAnswers::Clear();
        std::filesystem::create_directory(dir / "exchange");
    }
    void TearDown() override { EXPECT_EQ(DialogAnswers::Pending(), 0u); }

    template <class W> W* Find(MainWindow& window, const char* name) {
        W* widget = window.findChild<W*>(name);
        EXPECT_NE(widget, nullptr) << name;
        return widget;
    }
    std::string Exchange() const { return (dir / "exchange").string() + "/"; }
    void Touch(const std::string& name) const { dir.Write("exchange/" + name, "x"); }
    // Writes a parameters file of four lines and returns the argument naming it.
    std::string Params(const std::string& databaseText, const std::string& runWord,
                       const std::string& database = {}) const {
        return dir
            .Write("run.txt", databaseText + "\r\n  " + Exchange() + "  \r\n " +
                                  (database.empty() ? Exchange() + "none.fdb" : database) +
                                  " \r\n" + runWord + "\r\n")
            .string();
    }
    // Shows the window and waits until its start-up has shown the exchange folder.
    void Start(MainWindow& window) {
        window.show();
        window.activateWindow();
        QLabel* folder = Find<QLabel>(window, "Label2");
        ASSERT_TRUE(QTest::qWaitFor([folder] { return folder->text() != "..."; }, 5000));
    }
    // The listed names, sorted (the folder gives them in no set order).
    std::vector<std::string> WorkList(MainWindow& window) {
        QString text = Find<QPlainTextEdit>(window, "Memo1")->toPlainText();
        std::vector<std::string> names;
        for (const QString& name : text.split('\n', Qt::SkipEmptyParts))
            names.push_back(name.toStdString());
        std::sort(names.begin(), names.end());
        return names;
    }

    TempDir dir;
};

TEST_F(MainWindowTest, ShowsEveryElementWithItsCaption) {
    MainWindow window({});
    EXPECT_EQ(window.windowTitle(), "ZEFOR IMPORT");
    EXPECT_EQ(window.size(), QSize(543, 341));
    EXPECT_EQ(window.font().family(), "Arial");

    const std::pair<const char*, const char*> captions[] = {
        {"L_EStr1", "Adatbázis"}, {"Label7", "Import típus"}, {"Label4", "Honnan"},
        {"Label2", "..."},        {"Label3", "Hova:"},        {"Label1", "..."},
        {"Label5", "IN files"},   {"Label6", "ver. 2.3"}};
    for (const auto& [name, caption] : captions) {
        QLabel* label = Find<QLabel>(window, name);
        if (label) {
            EXPECT_EQ(label->text(), QString::fromUtf8(caption)) << name;
        }
    }
    EXPECT_EQ(Find<QLabel>(window, "Label6")->palette().color(QPalette::WindowText),
              QColor(Qt::gray));
    EXPECT_EQ(Find<QLabel>(window, "Label1")->font().family(), "Arial Narrow");
    EXPECT_EQ(Find<QPushButton>(window, "Button1")->text(), "I&MPORT");
    EXPECT_EQ(Find<QPushButton>(window, "Button2")->text(), QString::fromUtf8("&Kilépés"));
    EXPECT_EQ(Find<QPushButton>(window, "Button3")->text(), QString::fromUtf8("&Ellenőrzés"));
    EXPECT_TRUE(Find<QLabel>(window, "Label5")->parent() == Find<QWidget>(window, "Shape1"));
    EXPECT_NE(Find<QProgressBar>(window, "PB1"), nullptr);

    QLineEdit* database = Find<QLineEdit>(window, "EStr1");
    EXPECT_TRUE(database->isReadOnly());
    EXPECT_TRUE(database->font().bold());
    auto* edit = qobject_cast<TEStr*>(database);
    ASSERT_NE(edit, nullptr);
    EXPECT_EQ(edit->Caption(), W1250("Adatbázis"));
    EXPECT_EQ(window.findChildren<QLabel*>("L_EStr1").size(), 1) << "the caption reuses the label";
    EXPECT_EQ(edit->IOTextOptions(), TEStrFormatOptions{e_Trim});

    // The field's tab-stop note is a plain message box, not the message dialog.
    QString note;
    AnswerMessageBox(note);
    QTest::keyClick(edit, Qt::Key_T, Qt::ControlModifier);
    EXPECT_EQ(note, "TabStop is disabled");
    for (const char* memo : {"Memo1", "Memo2"})
        EXPECT_TRUE(Find<QPlainTextEdit>(window, memo)->isReadOnly()) << memo;
    EXPECT_EQ(Find<QPlainTextEdit>(window, "Memo1")->lineWrapMode(), QPlainTextEdit::NoWrap);

    QComboBox* types = Find<QComboBox>(window, "CmbTip");
    EXPECT_TRUE(types->isEditable());
    ASSERT_EQ(types->count(), static_cast<int>(ImportType::All().size()));
    for (int i = 0; i < types->count(); ++i)
        EXPECT_EQ(types->itemText(i).toStdString(), text::ToUtf8(ImportType::All()[i].ItemText));
    EXPECT_EQ(types->itemText(1), QString::fromUtf8("PENZ1  Házipénztár feladás(Harvolen)"));
    EXPECT_EQ(types->currentText(), QString::fromUtf8("SZLA1   Számla feladás(harvolen)"));
}

TEST_F(MainWindowTest, StartUpShowsTheParametersAndTheTypeChoiceListsTheFolder) {
    Touch("winptk01.dbf");
    Touch("wber01.dbf");
    const std::string params = Params(W1250(" Próba Kft "), "start");
    MainWindow window({params});
    Start(window);

    EXPECT_EQ(Find<QLineEdit>(window, "EStr1")->text(), QString::fromUtf8(" Próba Kft "));
    EXPECT_EQ(Find<QLabel>(window, "Label2")->text().toStdString(), Exchange());
    EXPECT_EQ(Find<QLabel>(window, "Label1")->text().toStdString(), Exchange() + "none.fdb");
    // No invoice file: nothing listed, nothing run, and a four-line file stays.
    EXPECT_TRUE(WorkList(window).empty());
    EXPECT_TRUE(std::filesystem::exists(params));
    EXPECT_TRUE(window.isVisible());

    QComboBox* types = Find<QComboBox>(window, "CmbTip");
    QTest::keyClick(types, Qt::Key_Down);
    QTest::keyClick(types, Qt::Key_Down);
    EXPECT_EQ(types->currentIndex(), 1);
    EXPECT_EQ(WorkList(window), std::vector<std::string>{"winptk01.dbf"});

    // Typed text decides the type as well.
    types->lineEdit()->selectAll();
    QTest::keyClicks(types->lineEdit(), "BANK3");
    EXPECT_TRUE(WorkList(window).empty());
    types->lineEdit()->selectAll();
    QTest::keyClicks(types->lineEdit(), "BER1");
    EXPECT_EQ(WorkList(window), std::vector<std::string>{"wber01.dbf"});

    // Choosing the item already shown lists the folder again.
    QTest::keyClick(types, Qt::Key_Down);
    ASSERT_EQ(types->currentIndex(), 2);
    Touch("wber02.dbf");
    types->showPopup();
    QAbstractItemView* popup = types->view();
    ASSERT_TRUE(QTest::qWaitFor([popup] { return popup->isVisible(); }, 2000));
    popup->setCurrentIndex(popup->model()->index(2, 0));
    QTest::keyClick(popup, Qt::Key_Return);
    EXPECT_EQ(WorkList(window), (std::vector<std::string>{"wber01.dbf", "wber02.dbf"}));
}

TEST_F(MainWindowTest, StartUpRunsOnceShownEvenIfTheWindowIsNeverActivated) {
    // Some desktops keep the focus elsewhere when a program starts from a script.
    MainWindow window({Params("Demo", "x")});
    window.setAttribute(Qt::WA_DontShowOnScreen);
    window.show();
    QLabel* folder = Find<QLabel>(window, "Label2");
    ASSERT_TRUE(QTest::qWaitFor([folder] { return folder->text() != "..."; }, 5000));
    EXPECT_FALSE(window.isActiveWindow());
    EXPECT_EQ(folder->text().toStdString(), Exchange());
}

TEST_F(MainWindowTest, StartUpWithInvoiceFilesReportsAFailedConnection) {
    Touch("feladas01.dbf");
    QString errorText, caption;
    DialogAnswers::Queue([&](QDialog& dialog) {
        caption = dialog.windowTitle();
        errorText = DialogText(dialog);
        dialog.findChild<QPushButton*>("EMSGFormButton1")->click();
    });
    MainWindow window({Params("Demo", "nostart")});
    Start(window);
    ASSERT_TRUE(QTest::qWaitFor([] { return DialogAnswers::Pending() == 0; }, 10000));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !errorText.isEmpty(); }, 10000));
    EXPECT_EQ(caption, "Error");
    EXPECT_TRUE(errorText.contains("\n( .F_IN - ")) << errorText.toStdString();
    EXPECT_EQ(WorkList(window), std::vector<std::string>{"feladas01.dbf"});
    EXPECT_TRUE(window.isVisible());
}

TEST_F(MainWindowTest, MissingArgumentOrFileIsReportedAndClosesTheWindow) {
    QString seen;
    AnswerMessageBox(seen);
    MainWindow window({});
    window.show();
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !window.isVisible(); }, 5000));
    EXPECT_EQ(seen, "Parameters error");

    AnswerMessageBox(seen);
    MainWindow second({"d:" + (dir / "none.txt").string()});
    second.show();
    second.activateWindow();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !second.isVisible(); }, 5000));
    // The drive is replaced by c:\ whatever it was.
    EXPECT_EQ(seen, QString::fromUtf8("ParametersFile error! A(z) c:\\") +
                        QString::fromStdString((dir / "none.txt").string().substr(1)) +
                        QString::fromUtf8(" file nem létezik!"));
}

TEST_F(MainWindowTest, ARunNamesItsFileOnTheBarAndInThePaneThenShowsWhatItDid) {
    TestDatabase db;
    MixedInputs::LoadReference(db);
    DbfWriter::CreatePostingTable(dir / "exchange" / "in_arch" / "Feladas.dbf");
    MixedInputs::WritePostingTable(dir / "exchange" / "feladas1.dbf", 200);
    MainWindow window({Params("Demo", "x", db.Path())});
    Start(window);

    QString pane, bar;
    // The year question comes once the file is open.
    DialogAnswers::Queue([&](QDialog& dialog) {
        ASSERT_NE(qobject_cast<QInputDialog*>(&dialog), nullptr);
        pane = Find<QPlainTextEdit>(window, "Memo2")->toPlainText();
        bar = Find<QProgressBar>(window, "PB1")->text();
        qobject_cast<QInputDialog*>(&dialog)->accept();
    });
    QTest::mouseClick(Find<QPushButton>(window, "Button1"), Qt::LeftButton);

    EXPECT_EQ(pane, "feladas1.dbf");
    EXPECT_EQ(bar, "file 1/1 feladas1.dbf  row 1/200");
    const PostingCounts stored = MixedInputs::Stored(db, 200);
    ASSERT_GT(stored.RowsRejected, 0);
    const QString log = Find<QPlainTextEdit>(window, "Memo2")->toPlainText();
    EXPECT_TRUE(log.startsWith("feladas1.dbf\nOK - End of import\n\nErrRec")) << log.toStdString();
    const QString counts = QString("\nRows: %1 read, %2 posted (%3 with findings), %4 rejected\n"
                                   "Created: %5 vouchers, %6 customers, %7 journals (")
                               .arg(stored.RowsRead())
                               .arg(stored.RowsPosted)
                               .arg(stored.RowsFlagged)
                               .arg(stored.RowsRejected)
                               .arg(stored.VouchersCreated)
                               .arg(stored.CustomersCreated)
                               .arg(stored.JournalsCreated);
    EXPECT_TRUE(log.contains(counts)) << log.toStdString() << "\n" << counts.toStdString();
    // Afterwards the bar is empty again.
    EXPECT_EQ(Find<QProgressBar>(window, "PB1")->text(), "");
}

TEST_F(MainWindowTest, ARunLocksTheWindowAndHoldsACloseUntilItEnds) {
    MainWindow window({Params("Demo", "x")});
    Start(window);
    auto* import = Find<QPushButton>(window, "Button1");
    auto* quit = Find<QPushButton>(window, "Button2");
    auto* types = Find<QComboBox>(window, "CmbTip");

    bool lockedDuringRun = false, busyDuringRun = false, openAfterCloseRequest = false;
    QString first, second;
    DialogAnswers::Queue([&](QDialog& dialog) {
        first = DialogText(dialog);
        lockedDuringRun = !import->isEnabled() && !quit->isEnabled() && !types->isEnabled() &&
                          !Find<QPushButton>(window, "Button3")->isEnabled();
        busyDuringRun = QApplication::overrideCursor() &&
                        QApplication::overrideCursor()->shape() == Qt::WaitCursor;
        window.close();
        openAfterCloseRequest = window.isVisible();
        dialog.findChild<QPushButton*>("EMSGFormButton1")->click();
    });
    DialogAnswers::Queue([&](QDialog& dialog) {
        second = DialogText(dialog);
        dialog.findChild<QPushButton*>("EMSGFormButton1")->click();
    });
    QTest::mouseClick(import, Qt::LeftButton);

    EXPECT_EQ(first, QString::fromUtf8(
                         "Nem létezik az IN_ARCH mappa vagy a benne levő FELADAS.DBF file-t"));
    EXPECT_EQ(second, QString::fromUtf8("Nincs átveendő állomány!"));
    EXPECT_TRUE(lockedDuringRun);
    EXPECT_TRUE(busyDuringRun);
    EXPECT_TRUE(openAfterCloseRequest);
    // The held request closes the window once the run is over.
    EXPECT_FALSE(window.isVisible());
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    EXPECT_TRUE(import->isEnabled() && quit->isEnabled() && types->isEnabled());
}

} // namespace
