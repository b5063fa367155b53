#include "app/ConsoleView.h"

#include "platform/Text.h"

namespace {

// The captions of a button list as the person reads them, accelerators removed.
std::vector<std::string> ButtonCaptions(const std::string& buttons) {
    std::vector<std::string> captions;
    std::string rest = buttons + ";";
    for (size_t pos; (pos = rest.find(';')) != std::string::npos; rest.erase(0, pos + 1)) {
        std::string item = text::Trim(rest.substr(0, pos));
        if (item.empty()) item = "&Ok";
        std::string caption;
        for (char c : item)
            if (c != '&') caption += c;
        captions.push_back(caption);
    }
    return captions;
}

std::string Indented(const std::string& utf8) {
    std::string r;
    for (const std::string& line : text::SplitLines(utf8))
        r += "  " + line + "\n";
    return r;
}

} // namespace

ConsoleView::ConsoleView(std::ostream& out, std::ostream& err, Answers answers, bool showProgress,
                         std::function<bool()> stopRequested, bool quiet)
    : out_(out), err_(err), answers_(std::move(answers)), showProgress_(showProgress && !quiet),
      quiet_(quiet), stopRequested_(std::move(stopRequested)) {}

ConsoleView::~ConsoleView() {
    EndProgressLine();
}

void ConsoleView::ShowLog(const std::string& text) {
    EndProgressLine();
    if (quiet_) return;
    out_ << "Log:\n" << Indented(text::ToUtf8(text)) << std::flush;
}

void ConsoleView::ShowSummary(const std::string& text) {
    EndProgressLine();
    out_ << "Summary:\n" << Indented(text::ToUtf8(text)) << std::flush;
}

void ConsoleView::ShowNotice(const std::string& text) {
    EndProgressLine();
    err_ << "Notice: " << text::ToUtf8(text) << std::endl;
}

void ConsoleView::ShowFile(int number, int count, const std::string& name) {
    EndProgressLine();
    progress_ = {number, count, name};
}

void ConsoleView::SetProgress(int position) {
    if (!showProgress_) return;
    if (position <= 0 || progress_.File <= 0) {
        EndProgressLine();
        return;
    }
    progress_.Row = position;
    progressPending_ = true;
    using namespace std::chrono_literals;
    if (!progressShown_ || std::chrono::steady_clock::now() - lastDrawn_ >= 100ms) DrawProgress();
}

void ConsoleView::DrawProgress() {
    const std::string line = text::ToUtf8(text::Printable(progress_.Text()));
    // Blanks over what a longer line before it left.
    out_ << "\r" << line
         << std::string(progressWidth_ > line.size() ? progressWidth_ - line.size() : 0, ' ')
         << std::flush;
    progressWidth_ = line.size();
    progressShown_ = true;
    progressPending_ = false;
    lastDrawn_ = std::chrono::steady_clock::now();
}

void ConsoleView::EndProgressLine() {
    if (progressPending_ && progressShown_) DrawProgress();
    if (progressShown_) out_ << "\n" << std::flush;
    progressShown_ = progressPending_ = false;
    progressWidth_ = 0;
}

void ConsoleView::MessageBox(const std::string& text) {
    EndProgressLine();
    err_ << "InZEFOR: " << text::ToUtf8(text) << std::endl;
}

int ConsoleView::ShowDialog(TMsgDlgType kind, const std::string& text, const std::string& buttons,
                            int defaultButton) {
    EndProgressLine();
    std::ostream& stream = kind == TMsgDlgType::mtError ? err_ : out_;
    std::string body = text::ToUtf8(text);
    std::string caption = DialogCaption(kind, buttons);
    std::vector<std::string> captions = ButtonCaptions(buttons);
    // A question takes its default answer unless the run is to handle the first file only.
    int answer = captions.size() >= 2 && answers_.FirstOnly ? 2 : defaultButton;
    if (quiet_ && kind != TMsgDlgType::mtError) return answer;
    if (body.find('\n') == std::string::npos)
        stream << caption << ": " << body << "\n";
    else
        stream << caption << ":\n" << Indented(body);
    if (captions.size() >= 2) stream << "  -> " << text::ToUtf8(captions[answer - 1]) << "\n";
    stream << std::flush;
    return answer;
}

bool ConsoleView::InputQuery(const std::string& caption, const std::string& prompt,
                             std::string& value) {
    EndProgressLine();
    if (answers_.Year) value = *answers_.Year;
    if (quiet_) return true;
    out_ << text::ToUtf8(text::Trim(caption)) << ": " << text::ToUtf8(prompt) << "-> "
         << text::ToUtf8(value) << std::endl;
    return true;
}
