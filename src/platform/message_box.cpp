#include "platform/message_box.h"

namespace tobu {

MsgAnswer EscapeAnswer(MsgButtons buttons) {
    switch (buttons) {
    case MsgButtons::Ok:
        return MsgAnswer::Ok;
    case MsgButtons::YesNo:
        return MsgAnswer::No;
    case MsgButtons::OkCancel:
    case MsgButtons::YesNoCancel:
    case MsgButtons::RetryCancel:
        return MsgAnswer::Cancel;
    }
    return MsgAnswer::Cancel;
}

bool IsAnswerOf(MsgButtons buttons, MsgAnswer answer) {
    switch (buttons) {
    case MsgButtons::Ok:
        return answer == MsgAnswer::Ok;
    case MsgButtons::OkCancel:
        return answer == MsgAnswer::Ok || answer == MsgAnswer::Cancel;
    case MsgButtons::YesNo:
        return answer == MsgAnswer::Yes || answer == MsgAnswer::No;
    case MsgButtons::YesNoCancel:
        return answer == MsgAnswer::Yes || answer == MsgAnswer::No || answer == MsgAnswer::Cancel;
    case MsgButtons::RetryCancel:
        return answer == MsgAnswer::Retry || answer == MsgAnswer::Cancel;
    }
    return false;
}

MsgAnswer ScriptedMessageBox::Show(const std::string& caption, const std::string& text,
                                   MsgIcon icon, MsgButtons buttons) {
    calls.push_back({caption, text, icon, buttons});
    if (answers.empty()) return EscapeAnswer(buttons);
    MsgAnswer a = answers.front();
    answers.pop_front();
    return IsAnswerOf(buttons, a) ? a : EscapeAnswer(buttons);
}

} // namespace tobu
