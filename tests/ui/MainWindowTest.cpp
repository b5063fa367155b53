#include "ui/MainWindow.h"

#include "app/ImportType.h"
#include "fixtures/DbfWriter.h"
#include "fixtures/MixedInputs.h"
#include "fixtures/PostingSnapshot.h"
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
#include <QTableWidget>
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
    std::string Exchange() const { return exchange.string() + "/"; }
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
    // IMPORT in a window of its own; `during` sets up what happens in the run.
    RunOutcome RunInWindow(const std::string& params, bool yearAsked,
                           const std::function<void(MainWindow&)>& during = {}) {
        MainWindow window({params});
        Start(window);
        if (yearAsked)
            DialogAnswers::Queue([](QDialog& d) { qobject_cast<QInputDialog*>(&d)->accept(); });
        if (during) during(window);
        QTest::mouseClick(Find<QPushButton>(window, "Button1"), Qt::LeftButton);
        EXPECT_EQ(window.isVisible(), !window.Core().LastRun().Stopped);
        return window.Core().LastRun();
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
    std::filesystem::path exchange = dir / "exchange";
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

TEST_F(MainWindowTest, TheImportsListUndoesTheSelectedImportAfterAQuestion) {
    TestDatabase db;
    MixedInputs::LoadReference(db);
    DbfWriter::CreatePostingTable(dir / "exchange" / "in_arch" / "Feladas.dbf");
    MixedInputs::WritePostingTable(dir / "exchange" / "feladas1.dbf", 60);
    MainWindow window({Params("Demo", "x", db.Path())});
    Start(window);
    DialogAnswers::Queue([](QDialog& dialog) { qobject_cast<QInputDialog*>(&dialog)->accept(); });
    QTest::mouseClick(Find<QPushButton>(window, "Button1"), Qt::LeftButton);
    ASSERT_NE(db.QueryValue("select count(*) from FEJLEC"), "0");

    QString before, question, done, after;
    DialogAnswers::Queue([&](QDialog& dialog) {
        auto* table = dialog.findChild<QTableWidget*>("ImportsTable");
        ASSERT_EQ(table->rowCount(), 1);
        before = table->item(0, 4)->text() + " " + table->item(0, 13)->text();
        table->selectRow(0);
        dialog.findChild<QPushButton*>("UndoButton")->click();
        after = table->item(0, 13)->text();
    });
    for (QString* seen : {&question, &done})
        DialogAnswers::Queue([seen](QDialog& dialog) {
            *seen = DialogText(dialog);
            dialog.findChild<QPushButton*>("EMSGFormButton1")->click();
        });
    // The deletes go to the SQL log as the window's other statements do.
    namespace fs = std::filesystem;
    const fs::path logs = dir / "Logs" / "ExecSql";
    fs::create_directories(logs);
    window.Core().SqlLog.ExeFolder = dir.Folder();
    QTest::mouseClick(Find<QPushButton>(window, "Button4"), Qt::LeftButton);
    ASSERT_FALSE(fs::is_empty(logs));
    const std::string log =
        dir.Read("Logs/ExecSql/" + fs::directory_iterator(logs)->path().filename().string());
    EXPECT_NE(log.find("delete from FEJLEC where FE_ID="), std::string::npos) << log;
    EXPECT_EQ(before, "feladas1.dbf posted");
    EXPECT_TRUE(question.contains("would delete") && question.endsWith("Undo it?"))
        << question.toStdString();
    EXPECT_TRUE(done.contains("deleted")) << done.toStdString();
    EXPECT_EQ(after, "undone");
    EXPECT_EQ(db.QueryValue("select count(*) from FEJLEC"), "0");
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

TEST_F(MainWindowTest, ACloseMidRunAsksAfterTheRowNemGoesOnIgenStopsForTheNextRun) {
    TestDatabase db, clean;
    for (TestDatabase* each : {&db, &clean})
        MixedInputs::LoadReference(*each);
    for (const char* folder : {"exchange", "clean"}) {
        DbfWriter::CreatePostingTable(dir / folder / "in_arch" / "Feladas.dbf");
        MixedInputs::WritePostingTable(dir / folder / "feladas1.dbf", 120);
    }
    const std::string params = Params("Demo", "x", db.Path());
    QStringList seen;
    const RunOutcome stopped = RunInWindow(params, true, [&](MainWindow& window) {
        QProgressBar* bar = Find<QProgressBar>(window, "PB1");
        // The operator closes the window while rows 20 and 50 are posted: Nem, then Enter.
        QObject::connect(bar, &QProgressBar::valueChanged, &window, [&window](int row) {
            if (row == 20 || row == 50) window.close();
        });
        for (int question = 0; question < 2; ++question)
            DialogAnswers::Queue([&seen, bar](QDialog& dialog) {
                auto* igen = dialog.findChild<QPushButton*>("EMSGFormButton1");
                const bool isDefault = igen->isDefault() && dialog.focusWidget() == igen;
                seen << QString::number(bar->value()) + igen->text() + (isDefault ? "*" : "");
                if (bar->value() == 20) QTest::keyClick(&dialog, Qt::Key_Tab); // to Nem
                QTest::keyClick(dialog.focusWidget(), Qt::Key_Return);
            });
    });
    EXPECT_EQ(seen, QStringList({"20&Igen*", "50&Igen*"}));
    EXPECT_TRUE(stopped.Stopped);
    EXPECT_EQ(RunInWindow(params, false).FilesPosted, 1);
    exchange = dir / "clean";
    EXPECT_EQ(RunInWindow(Params("Demo", "x", clean.Path()), true).FilesPosted, 1);
    EXPECT_EQ(PostingSnapshot(db), PostingSnapshot(clean));
}

TEST_F(MainWindowTest, AfterACheckImportTakesTheListedFilesAndNothingOutgrowsTheScreen) {
    TestDatabase db;
    MixedInputs::LoadReference(db);
    const std::string folder = "a_rather_long_folder_name_of_the_exchange/",
                      far = folder + folder + folder + "last";
    exchange = dir / far; // about 200 characters
    DbfWriter::CreatePostingTable(exchange / "in_arch" / "Feladas.dbf");
    MixedInputs::WritePostingTable(exchange / "feladas10.dbf", 3);
    for (int i = 11; i < 40; ++i)
        dir.Write(far + "/feladas" + std::to_string(i) + ".dbf", "not a table");
    MainWindow window({Params("Demo", "x", db.Path())});
    Start(window);
    QStringList oversized;
    auto runWith = [&](const char* button) {
        for (int i = 0; i < 32; ++i)
            DialogAnswers::Queue([&](QDialog& dialog) {
                if (!dialog.screen()->availableGeometry().contains(dialog.frameGeometry()))
                    oversized << DialogText(dialog).left(40);
                QTest::keyClick(&dialog, Qt::Key_Return);
            });
        QTest::mouseClick(Find<QPushButton>(window, button), Qt::LeftButton);
    };
    runWith("Button3");
    EXPECT_EQ(WorkList(window).size(), 30u);
    runWith("Button1");
    EXPECT_EQ(window.Core().LastRun().FilesPosted, 1);
    EXPECT_EQ(oversized.join("|"), "");
    EXPECT_TRUE(window.screen()->availableGeometry().contains(window.frameGeometry()));
    QLabel* shown = Find<QLabel>(window, "Label2");
    EXPECT_EQ(shown->toolTip().toStdString(), exchange.string() + "/");
    EXPECT_TRUE(shown->text().contains(QChar(0x2026)));
}

} // namespace
