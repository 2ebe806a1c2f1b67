#pragma once

#include <QString>
#include <memory>

namespace lumaru {

// Message box buttons and icons, combined by or.
enum MessageStyle : int {
    kButtonsOk = 0,
    kButtonsOkCancel = 1,
    kButtonsAbortRetryIgnore = 2,
    kButtonsYesNoCancel = 3,
    kButtonsYesNo = 4,
    kButtonsRetryCancel = 5,
    kIconError = 0x10,
    kIconQuestion = 0x20,
    kIconWarning = 0x30,
    kIconInformation = 0x40,
};

// What a message box returns.
enum MessageAnswer : int {
    kAnswerOk = 0,
    kAnswerCancel = 1,
    kAnswerAbort = 2,
    kAnswerRetry = 3,
    kAnswerIgnore = 4,
    kAnswerYes = 5,
    kAnswerNo = 6,
};

inline const QString kDefaultMessageTitle = QStringLiteral("信息：");

// The parts of the desktop that the program talks to outside its own windows: message boxes,
// the system's handler for addresses, and the internet check. Tests install their own to answer
// and record.
class Desktop {
public:
    virtual ~Desktop() = default;
    virtual int MessageBox(const QString& text, int style, const QString& title) = 0;
    virtual void OpenAddress(const QString& address) = 0;
    virtual bool InternetConnected() = 0;
};

Desktop& CurrentDesktop();
// Replaces the desktop in use; the product's real one is installed when none is set.
void SetDesktop(std::unique_ptr<Desktop> desktop);
std::unique_ptr<Desktop> MakeSystemDesktop();

inline int ShowMessage(const QString& text, int style = kButtonsOk,
                       const QString& title = kDefaultMessageTitle) {
    return CurrentDesktop().MessageBox(text, style, title);
}

}  // namespace lumaru
