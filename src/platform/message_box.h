// Modal message boxes go through this interface so that flows with questions run offscreen in
// tests with scripted answers.
#pragma once

#include <deque>
#include <optional>
#include <string>
#include <vector>

namespace tobu {

enum class MsgIcon { None, Information, Warning, Error, Question };
enum class MsgButtons { Ok, OkCancel, YesNo, YesNoCancel, RetryCancel };
// The answers keep the numbers of the usual dialog result codes.
enum class MsgAnswer { Ok = 1, Cancel = 2, Retry = 4, Yes = 6, No = 7 };

class MessageBox {
public:
    virtual ~MessageBox() = default;
    // Shows the box modally and returns the button the user chose. Closing the box without a
    // button gives Cancel where there is one (else No, else Ok).
    virtual MsgAnswer Show(const std::string& caption, const std::string& text, MsgIcon icon,
                           MsgButtons buttons) = 0;
};

// The answer that stands for closing the box without pressing a button.
MsgAnswer EscapeAnswer(MsgButtons buttons);
// True when the answer is one of the box's buttons.
bool IsAnswerOf(MsgButtons buttons, MsgAnswer answer);

// Test double: records every call and returns the scripted answers in order. When the script is
// used up, or a scripted answer is not one of the box's buttons, the box answers as if closed.
class ScriptedMessageBox : public MessageBox {
public:
    struct Call {
        std::string caption;
        std::string text;
        MsgIcon icon;
        MsgButtons buttons;
        bool operator==(const Call&) const = default;
    };

    MsgAnswer Show(const std::string& caption, const std::string& text, MsgIcon icon,
                   MsgButtons buttons) override;

    std::deque<MsgAnswer> answers;
    std::vector<Call> calls;
};

} // namespace tobu
