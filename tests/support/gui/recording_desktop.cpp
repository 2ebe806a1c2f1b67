#include "recording_desktop.h"

#include <memory>

namespace lumaru::test {

int RecordingDesktop::MessageBox(const QString& text, int style, const QString& title) {
    messages.push_back({text, style, title});
    if (answers.empty()) {
        return kAnswerOk;
    }
    const int answer = answers.front();
    answers.pop_front();
    return answer;
}

RecordingDesktop& InstallRecordingDesktop() {
    auto desktop = std::make_unique<RecordingDesktop>();
    RecordingDesktop& installed = *desktop;
    SetDesktop(std::move(desktop));
    return installed;
}

}  // namespace lumaru::test
