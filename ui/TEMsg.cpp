#include "ui/TEMsg.h"

#include "platform/Text.h"
#include "ui/DialogAnswers.h"
#include "ui/HostText.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QDialog>
#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>

#include <algorithm>

namespace {

const QString kButtonPrefix = QStringLiteral("EMSGFormButton");
constexpr int kBorder = 2;
constexpr int kButtonHeight = 25;
constexpr int kButtonGap = 9;
constexpr int kTextLeft = 32;
constexpr int kTextTop = 3;
// What the window manager's frame may take of the screen: the title bar above, a border on the
// other sides.
constexpr int kTitleRoom = 40;
constexpr int kFrameSide = 8;

struct Sign {
    const char* Character;
    QColor Colour;
    bool Italic;
};

Sign SignFor(TMsgDlgType typ, const std::string& buttons) {
    const QColor blue(0, 0, 255);
    switch (typ) {
    case TMsgDlgType::mtWarning:
        return {"!", QColor(128, 0, 128), false};
    case TMsgDlgType::mtError:
        return {DialogCaption(typ, buttons) == "Error-question" ? "?" : "!", QColor(255, 0, 0),
                false};
    case TMsgDlgType::mtInformation:
        return {"i", blue, true};
    case TMsgDlgType::mtConfirmation:
        return {"?", blue, false};
    case TMsgDlgType::mtCustom:
        break;
    }
    return {"i", blue, false};
}

// The text with room to break a line after a path's separators, and within a run of characters
// too long for any line.
QString Breakable(const QString& text) {
    const QChar zeroWidthSpace(0x200B);
    QString result;
    int run = 0;
    for (const QChar c : text) {
        result += c;
        if (c.isSpace()) {
            run = 0;
        } else if (c == QLatin1Char('/') || c == QLatin1Char('\\') || ++run >= 30) {
            result += zeroWidthSpace;
            run = 0;
        }
    }
    return result;
}

// The label as wide as its text, or wrapped to limit when the text is wider.
void FitWidth(QLabel& label, const QString& text, int limit) {
    label.setWordWrap(false);
    label.setText(text);
    label.adjustSize();
    if (label.width() <= limit) return;
    label.setText(Breakable(text));
    label.setWordWrap(true);
    label.resize(limit, label.heightForWidth(limit));
}

void PaintBackground(QWidget& widget, const QColor& colour) {
    QPalette palette = widget.palette();
    palette.setColor(QPalette::Window, colour);
    widget.setPalette(palette);
    widget.setAutoFillBackground(true);
}

} // namespace

TEMsg::TEMsg(Component* owner) : Component({}, owner) {}

TEMsg::~TEMsg() = default;

std::vector<TEMsg::Button> TEMsg::ButtonRow(const std::string& buttons, int& rowWidth) {
    std::vector<Button> row;
    rowWidth = 0;
    std::string list = buttons + ";";
    for (auto end = list.find(';'); end != std::string::npos; end = list.find(';')) {
        std::string item = list.substr(0, end);
        // A caption gets two blanks of room unless it already carries them.
        if (item.size() - text::Trim(item).size() < 2) item += "  ";
        list.erase(0, end + 1);
        if (text::Trim(item).empty()) item = "   &Ok   ";
        if (row.size() == MaxButtons) break;
        const int length = static_cast<int>(item.size());
        row.push_back({text::Trim(item), 9 * length + 4});
        rowWidth += 9 * length + 14;
    }
    return row;
}

void TEMsg::BuildForm(const std::string& buttons, int defaultButton) {
    const QColor background = QApplication::palette().color(QPalette::ToolTipBase);

    form_ = std::make_unique<QDialog>(nullptr, Qt::Dialog | Qt::WindowStaysOnTopHint |
                                                   Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                                                   Qt::MSWindowsFixedSizeDialogHint);
    QDialog& form = *form_;
    form.setObjectName(QStringLiteral("EMSGForm"));
    form.setWindowTitle(QString::fromStdString(DialogCaption(Typ, buttons)));
    PaintBackground(form, background);

    auto* panel = new QFrame(&form);
    panel->setObjectName(QStringLiteral("EMSGFormPanelx"));
    PaintBackground(*panel, background);

    QScreen* screen = QGuiApplication::primaryScreen();
    const QRect room = screen ? screen->availableGeometry() : QRect(0, 0, 1024, 768);
    const QWidget* message = BuildText(*panel, room.size(), background);
    BuildSign(*panel, buttons, background);

    auto* copy = new QAction(QStringLiteral("Copy message to clipboard"), &form);
    QObject::connect(copy, &QAction::triggered, &form,
                     [this] { QGuiApplication::clipboard()->setText(HostText(Text)); });
    for (QWidget* target : {static_cast<QWidget*>(&form), static_cast<QWidget*>(panel)}) {
        target->setContextMenuPolicy(Qt::ActionsContextMenu);
        target->addAction(copy);
    }

    int rowWidth = 0;
    const std::vector<QPushButton*> pushButtons = BuildButtons(*panel, buttons, rowWidth);

    const int textRight = message->x() + message->width();
    const int width =
        textRight + 10 > rowWidth ? 2 * kBorder + textRight + 20 : 2 * kBorder + rowWidth + 10;
    const int height = 2 * kBorder + message->y() + message->height() + 10 + kButtonHeight + 5;
    form.setFixedSize(width, height);
    panel->setGeometry(0, 0, width, height);

    int left = (width - rowWidth) / 2 + 2;
    const int top = message->y() + message->height() + 12;
    for (QPushButton* button : pushButtons) {
        button->move(left, top);
        left += button->width() + kButtonGap;
    }
    if (!pushButtons.empty()) {
        // Enter takes the default, wherever it stands in the row.
        QPushButton* chosen =
            pushButtons[std::clamp<std::size_t>(defaultButton, 1, pushButtons.size()) - 1];
        chosen->setDefault(true);
        chosen->setFocus();
    }
    // The frame is placed, title bar and all, in the middle of the screen.
    form.move(room.left() + (room.width() - width - 2 * kFrameSide) / 2,
              room.top() + (room.height() - height - kTitleRoom - kFrameSide) / 2);
}

const QWidget* TEMsg::BuildText(QWidget& panel, const QSize& room, const QColor& background) {
    auto* message = new QLabel(&panel);
    message->setObjectName(QStringLiteral("EMSGFormTextx"));
    // Messages carry database and file texts: never read them as markup.
    message->setTextFormat(Qt::PlainText);
    message->setFont(QFont(QStringLiteral("Ariel"), 9));
    QPalette black = message->palette();
    black.setColor(QPalette::WindowText, Qt::black);
    message->setPalette(black);
    message->move(kTextLeft, kTextTop);

    // The dialog widens with its text up to the screen; beyond it the text wraps, and a text
    // taller than the screen scrolls.
    const int maxWidth = room.width() - 2 * kFrameSide - 2 * kBorder - kTextLeft - 20;
    const int maxHeight =
        room.height() - kTitleRoom - kFrameSide - 2 * kBorder - kTextTop - 10 - kButtonHeight - 5;
    const QString shown = HostText(Text);
    FitWidth(*message, shown, maxWidth);
    if (message->height() <= maxHeight) return message;

    auto* area = new QScrollArea(&panel);
    area->setObjectName(QStringLiteral("EMSGFormScroll"));
    area->setFrameShape(QFrame::NoFrame);
    area->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    area->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    const int bar = area->verticalScrollBar()->sizeHint().width();
    FitWidth(*message, shown, maxWidth - bar);
    area->setWidget(message);
    PaintBackground(*area->viewport(), background);
    area->setGeometry(kTextLeft, kTextTop, message->width() + bar, maxHeight);
    return area;
}

void TEMsg::BuildSign(QWidget& panel, const std::string& buttons, const QColor& background) {
    const Sign sign = SignFor(Typ, buttons);
    auto* icon = new QLabel(&panel);
    icon->setObjectName(QStringLiteral("EMSGFormIcoLabel"));
    QFont iconFont(QStringLiteral("Times New Roman"), 24);
    iconFont.setBold(true);
    iconFont.setItalic(sign.Italic);
    icon->setFont(iconFont);
    QPalette iconPalette = icon->palette();
    iconPalette.setColor(QPalette::WindowText, sign.Colour);
    icon->setPalette(iconPalette);
    PaintBackground(*icon, background);
    icon->setText(QString::fromLatin1(sign.Character));
    icon->move(4, -5);
    icon->adjustSize();
}

std::vector<QPushButton*> TEMsg::BuildButtons(QWidget& panel, const std::string& buttons,
                                              int& rowWidth) {
    std::vector<QPushButton*> pushButtons;
    for (const Button& item : ButtonRow(buttons, rowWidth)) {
        auto* button = new QPushButton(QString::fromStdString(text::ToUtf8(item.Caption)), &panel);
        button->setObjectName(kButtonPrefix + QString::number(pushButtons.size() + 1));
        button->setFont(QFont(QStringLiteral("Courier New"), 11));
        button->resize(item.Width, kButtonHeight);
        QObject::connect(button, &QPushButton::clicked, form_.get(), [this, button] {
            chosen_ =
                static_cast<std::uint8_t>(button->objectName().mid(kButtonPrefix.size()).toUInt());
            form_->accept();
        });
        pushButtons.push_back(button);
    }
    return pushButtons;
}

int TEMsg::ShowDialog(const std::string& text, TMsgDlgType typ, const std::string& buttons,
                      int defaultButton) {
    Text = text;
    Typ = typ;
    chosen_ = 0;
    BuildForm(buttons, defaultButton);
    struct FreeForm {
        std::unique_ptr<QDialog>& form;
        ~FreeForm() { form.reset(); }
    } freeForm{form_};

    DialogAnswers::Exec(*form_);

    if (OnAfterShow) {
        try {
            OnAfterShow(*this);
        } catch (...) {
            // A handler's failure is not the dialog's to report.
        }
    }
    return chosen_;
}

int ShowMsg(const std::string& text, const std::string& buttons, int defaultButton) {
    TEMsg msg;
    return msg.ShowDialog(text, MessageKind(buttons), buttons, defaultButton);
}

int ShowErrMsg(const Component* sender, const std::string& text, const std::string& buttons,
               int defaultButton) {
    TEMsg msg;
    return msg.ShowDialog(ErrorText(sender, text), TMsgDlgType::mtError, buttons, defaultButton);
}
