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
                         std::function<bool()> stopRequested)
    : out_(out), err_(err), answers_(std::move(answers)), showProgress_(showProgress),
      stopRequested_(std::move(stopRequested)) {}

void ConsoleView::ShowLog(const std::string& text) {
    EndProgressLine();
    out_ << "Log:\n" << Indented(text::ToUtf8(text)) << std::flush;
}

void ConsoleView::ShowNotice(const std::string& text) {
    EndProgressLine();
    err_ << "Notice: " << text::ToUtf8(text) << std::endl;
}

void ConsoleView::SetProgress(int position) {
    if (!showProgress_ || progressMax_ <= 0) return;
    out_ << "\r  " << position << " / " << progressMax_ << std::flush;
    progressShown_ = position > 0;
}

void ConsoleView::EndProgressLine() {
    if (progressShown_) out_ << "\n";
    progressShown_ = false;
}

void ConsoleView::MessageBox(const std::string& text) {
    EndProgressLine();
    err_ << "InZEFOR: " << text::ToUtf8(text) << std::endl;
}

int ConsoleView::ShowDialog(TMsgDlgType kind, const std::string& text, const std::string& buttons) {
    EndProgressLine();
    std::ostream& stream = kind == TMsgDlgType::mtError ? err_ : out_;
    std::string body = text::ToUtf8(text);
    std::string caption = DialogCaption(kind, buttons);
    std::vector<std::string> captions = ButtonCaptions(buttons);
    // A question takes its first answer unless the run is to handle the first file only.
    int answer = captions.size() >= 2 && answers_.FirstOnly ? 2 : 1;
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
    out_ << text::ToUtf8(text::Trim(caption)) << ": " << text::ToUtf8(prompt) << "-> "
         << text::ToUtf8(value) << std::endl;
    return true;
}
