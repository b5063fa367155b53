#pragma once
// What the posting engine needs from whoever shows it to a person: the working year question,
// the progress bar, and a turn for the window between rows. Text is Windows-1250.
#include <string>

class PostingView {
public:
    virtual ~PostingView() = default;

    virtual void SetProgress(int position) = 0;
    virtual void ProcessMessages() = 0;
    // Returns false when cancelled; value holds the initial text on entry.
    virtual bool InputQuery(const std::string& caption, const std::string& prompt,
                            std::string& value) = 0;
    // Whether the person (or the system, by a signal) asked the run to stop after the row in
    // hand.
    virtual bool StopRequested() = 0;
};
