#pragma once

#include <QString>
#include <QStringList>
#include <deque>
#include <vector>

#include "app/toolkit/desktop.h"

namespace lumaru::test {

// A desktop that answers message boxes from a queue and records everything asked of it.
class RecordingDesktop final : public Desktop {
public:
    struct Message {
        QString text;
        int style = 0;
        QString title;
    };

    int MessageBox(const QString& text, int style, const QString& title) override;
    void OpenAddress(const QString& address) override { opened.push_back(address); }
    bool InternetConnected() override { return connected; }

    std::deque<int> answers;  // given out in order; OK when the queue is empty
    std::vector<Message> messages;
    QStringList opened;
    bool connected = true;
};

// Installs a fresh recording desktop and returns it (owned by the toolkit).
RecordingDesktop& InstallRecordingDesktop();

}  // namespace lumaru::test
