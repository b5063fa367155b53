#include "ui/MainWindow.h"

#include "app/ImportType.h"
#include "platform/Text.h"
#include "ui/DialogAnswers.h"
#include "ui/ElidedLabel.h"
#include "ui/HostText.h"
#include "ui/InputBox.h"
#include "ui/TEMsg.h"
#include "ui/edit/TEStr.h"

#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

#include <algorithm>

namespace {

template <class W> W* Named(W* widget, const char* name) {
    widget->setObjectName(QString::fromLatin1(name));
    return widget;
}

QLabel* Label(const char* name, const std::string& caption, QWidget* parent) {
    return Named(new QLabel(HostText(caption), parent), name);
}

// A progress bar that shows a text of its own as it is (the format would read "%" in a file
// name as a placeholder).
class TextProgressBar : public QProgressBar {
public:
    using QProgressBar::QProgressBar;
    QString Shown;
    QString text() const override { return Shown; }
};

} // namespace

MainWindow::MainWindow(std::vector<std::string> args, QWidget* parent)
    : QWidget(parent), args_(std::move(args)), core_(*this, &application_) {
    BuildWidgets();
    core_.FormCreate(QCoreApplication::applicationFilePath().toStdString());
}

MainWindow::~MainWindow() {
    if (busyCursor_) QApplication::restoreOverrideCursor();
}

void MainWindow::BuildWidgets() {
    setObjectName(QStringLiteral("F_IN"));
    setWindowTitle(QStringLiteral("ZEFOR IMPORT"));
    QFont arial = font();
    arial.setFamily(QStringLiteral("Arial"));
    setFont(arial);

    L_EStr1 = Label("L_EStr1", W1250("Adatbázis"), this);
    EStr1 = new TEStr(this, "EStr1");
    EStr1->setReadOnly(true);
    // The edit controls' errors go through the window's dialog, their notes to the plain box.
    EStr1->OnMessage = [this](const std::string& text, bool isError) {
        if (isError)
            core_.ShowErrMsg(nullptr, text);
        else
            MessageBox(text);
    };
    QFont bold = arial;
    bold.setBold(true);
    EStr1->setFont(bold);
    // Finds its label by name, so L_EStr1 stays the one shown.
    EStr1->SetCaption(W1250("Adatbázis"));

    Label7 = Label("Label7", W1250("Import típus"), this);
    CmbTip = Named(new QComboBox(this), "CmbTip");
    CmbTip->setEditable(true);
    // Typed text chooses a type; it never becomes an item.
    CmbTip->setInsertPolicy(QComboBox::NoInsert);
    for (const ImportType& type : ImportType::All())
        CmbTip->addItem(HostText(type.ItemText));
    CmbTip->setCurrentIndex(-1);
    CmbTip->setEditText(HostText(ImportType::InitialText()));

    Button1 = Named(new QPushButton(QStringLiteral("I&MPORT"), this), "Button1");
    Button3 = Named(new QPushButton(HostText(W1250("&Ellenőrzés")), this), "Button3");
    Button3->setToolTip(
        QStringLiteral("Runs the listed files through posting and rolls everything back: posts, "
                       "moves and logs nothing; only the identifier generators advance."));
    Button2 = Named(new QPushButton(HostText(W1250("&Kilépés")), this), "Button2");

    Label4 = Label("Label4", "Honnan", this);
    Label2 = Named(new ElidedLabel(this), "Label2");
    Label3 = Label("Label3", "Hova:", this);
    Label1 = Named(new ElidedLabel(this), "Label1");
    QFont narrow = arial;
    narrow.setFamily(QStringLiteral("Arial Narrow"));
    Label1->setFont(narrow);
    for (ElidedLabel* shown : {Label2, Label1}) {
        shown->setTextFormat(Qt::PlainText);
        shown->SetFullText(QStringLiteral("..."));
    }

    Shape1 = Named(new QWidget(this), "Shape1");
    Shape1->setAttribute(Qt::WA_StyledBackground);
    Shape1->setStyleSheet(QStringLiteral(
        "#Shape1 { background: white; border: 1px solid black; border-radius: 8px; }"));
    Label5 = Label("Label5", "IN files", Shape1);
    auto* shapeLayout = new QHBoxLayout(Shape1);
    shapeLayout->setContentsMargins(12, 2, 12, 2);
    shapeLayout->addWidget(Label5, 0, Qt::AlignCenter);

    PB1 = Named(new TextProgressBar(this), "PB1");
    PB1->setRange(0, 100);
    PB1->setValue(0);
    PB1->setAlignment(Qt::AlignCenter);

    Label6 = Label("Label6", "ver. " INZEFOR_VERSION, this);
    QPalette grey = Label6->palette();
    grey.setColor(QPalette::WindowText, Qt::gray);
    Label6->setPalette(grey);

    Memo1 = Named(new QPlainTextEdit(this), "Memo1");
    Memo1->setReadOnly(true);
    Memo1->setLineWrapMode(QPlainTextEdit::NoWrap);
    Memo1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Memo1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Memo1->setFixedHeight(90);
    Memo2 = Named(new QPlainTextEdit(this), "Memo2");
    Memo2->setReadOnly(true);

    auto* fields = new QGridLayout;
    fields->addWidget(L_EStr1, 0, 0);
    fields->addWidget(EStr1, 0, 1);
    fields->addWidget(Label7, 1, 0);
    fields->addWidget(CmbTip, 1, 1);
    fields->addWidget(Label4, 2, 0);
    fields->addWidget(Label2, 2, 1);
    fields->addWidget(Label3, 3, 0);
    fields->addWidget(Label1, 3, 1);
    fields->setColumnStretch(1, 1);

    auto* buttons = new QVBoxLayout;
    buttons->addWidget(Button1);
    buttons->addWidget(Button3);
    buttons->addWidget(Button2);
    buttons->addStretch(1);

    auto* top = new QHBoxLayout;
    top->addLayout(fields, 1);
    top->addSpacing(12);
    top->addLayout(buttons);

    auto* listHeading = new QHBoxLayout;
    listHeading->addWidget(Shape1);
    listHeading->addWidget(PB1, 1);
    listHeading->addWidget(Label6);

    auto* window = new QVBoxLayout(this);
    window->setContentsMargins(8, 8, 8, 8);
    window->setSpacing(6);
    window->addLayout(top);
    window->addLayout(listHeading);
    window->addWidget(Memo1);
    window->addWidget(Memo2, 1);

    resize(543, 341);
    if (QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());

    connect(CmbTip, &QComboBox::editTextChanged, this, [this](const QString& text) {
        textChangedSinceChoice_ = true;
        CmbTipChange(text);
    });
    // Choosing the item already shown changes no text, yet it lists the folder again.
    connect(CmbTip, &QComboBox::activated, this, [this] {
        if (!textChangedSinceChoice_) CmbTipChange(CmbTip->currentText());
        textChangedSinceChoice_ = false;
    });
    connect(Button1, &QPushButton::clicked, this, &MainWindow::Button1Click);
    connect(Button3, &QPushButton::clicked, this, &MainWindow::Button3Click);
    connect(Button2, &QPushButton::clicked, this, &QWidget::close);
}

bool MainWindow::event(QEvent* event) {
    // The first activation, or the first showing: a desktop may keep the focus elsewhere when
    // the program is started by another one, and the automatic run must not wait for a click.
    const bool first = event->type() == QEvent::WindowActivate || event->type() == QEvent::Show;
    if (first && !activated_) {
        activated_ = true;
        // Started from the event loop, so the window is painted before the start-up's work.
        QMetaObject::invokeMethod(this, &MainWindow::FormActivate, Qt::QueuedConnection);
    }
    return QWidget::event(event);
}

void MainWindow::closeEvent(QCloseEvent* event) {
    if (coreDepth_ > 0) {
        closePending_ = true;
        event->ignore();
        return;
    }
    if (!closed_) {
        closed_ = true;
        try {
            core_.FormClose();
        } catch (const std::exception& e) {
            MessageBox(e.what());
        }
    }
    event->accept();
}

void MainWindow::FormActivate() {
    CallCore([this] { core_.FormActivate(args_); });
}

void MainWindow::CmbTipChange(const QString& itemText) {
    CallCore([this, &itemText] { core_.CmbTipChange(text::FromUtf8(itemText.toStdString())); });
}

void MainWindow::Button1Click() {
    CallCore([this] { core_.Button1Click(&core_.Button1); });
}

void MainWindow::Button3Click() {
    CallCore([this] { core_.Button3Click(&core_.Button3); });
}

void MainWindow::CallCore(const std::function<void()>& work) {
    ++coreDepth_;
    try {
        work();
    } catch (const std::exception& e) {
        MessageBox(e.what());
    }
    --coreDepth_;
    if (coreDepth_ == 0 && closePending_) {
        closePending_ = false;
        close();
        stopping_ = false;
    }
}

bool MainWindow::StopRequested() {
    if (closePending_ && !stopping_ && core_.Running()) {
        closePending_ = false;
        stopping_ = AskToStop();
        // Stopping closes the window once the run has ended; otherwise the close is dropped.
        closePending_ = stopping_;
    }
    return stopping_;
}

bool MainWindow::AskToStop() {
    const std::string text =
        core_.LastRun().Check
            ? "Stop the check and close the window?\r\nNothing has been posted."
            : "Stop the import after the row in hand and close the window?\r\nThe file in hand "
              "stays in the exchange folder; the next run continues it after its last posted "
              "row.";
    TEMsg msg;
    return msg.ShowDialog(text, TMsgDlgType::mtConfirmation, "&Igen;&Nem", 1) == 1;
}

void MainWindow::ShowDatabaseText(const std::string& text) {
    EStr1->SetText(text);
}

void MainWindow::ShowExchangeFolder(const std::string& text) {
    Label2->SetFullText(HostText(text));
}

void MainWindow::ShowDatabaseName(const std::string& text) {
    Label1->SetFullText(HostText(text));
}

void MainWindow::ShowWorkList(const std::vector<std::string>& lines) {
    QStringList shown;
    for (const std::string& line : lines)
        shown << HostText(line);
    Memo1->setPlainText(shown.join(QLatin1Char('\n')));
}

void MainWindow::ShowLog(const std::string& text) {
    Memo2->setPlainText(HostText(text));
}

void MainWindow::ShowNotice(const std::string& text) {
    Memo2->appendPlainText(HostText(text));
}

void MainWindow::ShowFile(int number, int count, const std::string& name) {
    progress_ = {number, count, name};
    // While a file is posted the pane names it; its log replaces the name afterwards.
    if (number > 0) Memo2->setPlainText(HostText(name));
    ShowProgressText();
}

void MainWindow::SetProgressMax(int max) {
    progress_.Rows = max;
    // A range of 0 to 0 would turn the bar into a busy indicator.
    PB1->setRange(0, std::max(max, 1));
    ShowProgressText();
}

void MainWindow::SetProgress(int position) {
    progress_.Row = position;
    PB1->setValue(std::clamp(position, PB1->minimum(), PB1->maximum()));
    ShowProgressText();
}

void MainWindow::ShowProgressText() {
    static_cast<TextProgressBar*>(PB1)->Shown = HostText(progress_.Text());
    PB1->update();
}

void MainWindow::SetButtonsEnabled(bool enabled) {
    Button1->setEnabled(enabled);
    Button3->setEnabled(enabled);
    Button2->setEnabled(enabled);
    // Changing the type would refill the list the run is working through.
    CmbTip->setEnabled(enabled);
}

void MainWindow::FocusExitButton() {
    Button2->setFocus();
}

void MainWindow::SetBusyCursor(bool busy) {
    if (busy == busyCursor_) return;
    busyCursor_ = busy;
    if (busy)
        QApplication::setOverrideCursor(Qt::WaitCursor);
    else
        QApplication::restoreOverrideCursor();
}

void MainWindow::Minimize() {
    showMinimized();
}

void MainWindow::ProcessMessages() {
    QCoreApplication::processEvents();
}

void MainWindow::MessageBox(const std::string& text) {
    if (stopping_) return;
    QMessageBox box(QMessageBox::NoIcon, QStringLiteral("InZEFOR"), HostText(text),
                    QMessageBox::Ok);
    box.setObjectName(QStringLiteral("MessageBox"));
    box.setTextFormat(Qt::PlainText);
    DialogAnswers::Exec(box);
}

int MainWindow::ShowDialog(TMsgDlgType kind, const std::string& text, const std::string& buttons,
                           int defaultButton) {
    // A run being stopped for a close shows nothing more.
    if (stopping_) return defaultButton;
    TEMsg msg;
    return msg.ShowDialog(text, kind, buttons, defaultButton);
}

bool MainWindow::InputQuery(const std::string& caption, const std::string& prompt,
                            std::string& value) {
    // A close asked for during a conversion is answered before the file's year question, and
    // a run being stopped takes the offered year without asking.
    if (StopRequested()) return true;
    return InputBox::InputQuery(caption, prompt, value);
}

void MainWindow::Close() {
    closePending_ = true;
    if (coreDepth_ == 0) {
        closePending_ = false;
        close();
    }
}
