#include "platform/message_box.h"

#include <gtest/gtest.h>

namespace tobu {
namespace {

TEST(MessageBox, ClosingTheBoxAnswersLikeItsCancelButton) {
    EXPECT_EQ(EscapeAnswer(MsgButtons::Ok), MsgAnswer::Ok);
    EXPECT_EQ(EscapeAnswer(MsgButtons::OkCancel), MsgAnswer::Cancel);
    EXPECT_EQ(EscapeAnswer(MsgButtons::YesNo), MsgAnswer::No);
    EXPECT_EQ(EscapeAnswer(MsgButtons::YesNoCancel), MsgAnswer::Cancel);
    EXPECT_EQ(EscapeAnswer(MsgButtons::RetryCancel), MsgAnswer::Cancel);
    EXPECT_EQ(static_cast<int>(MsgAnswer::Ok), 1);
    EXPECT_EQ(static_cast<int>(MsgAnswer::Cancel), 2);
    EXPECT_EQ(static_cast<int>(MsgAnswer::Yes), 6);
    EXPECT_EQ(static_cast<int>(MsgAnswer::No), 7);
    EXPECT_FALSE(IsAnswerOf(MsgButtons::YesNo, MsgAnswer::Cancel));
    EXPECT_TRUE(IsAnswerOf(MsgButtons::YesNoCancel, MsgAnswer::Cancel));
}

TEST(MessageBox, ScriptedAnswersInOrderThenClosed) {
    ScriptedMessageBox box;
    box.answers = {MsgAnswer::Yes, MsgAnswer::Retry, MsgAnswer::No};
    EXPECT_EQ(box.Show("确认", "删除吗？", MsgIcon::Question, MsgButtons::YesNo), MsgAnswer::Yes);
    // An answer the box cannot give is treated as closing it.
    EXPECT_EQ(box.Show("确认", "x", MsgIcon::Question, MsgButtons::OkCancel), MsgAnswer::Cancel);
    EXPECT_EQ(box.Show("确认", "y", MsgIcon::Question, MsgButtons::YesNoCancel), MsgAnswer::No);
    EXPECT_EQ(box.Show("警告", "z", MsgIcon::Warning, MsgButtons::Ok), MsgAnswer::Ok);
    ASSERT_EQ(box.calls.size(), 4u);
    EXPECT_EQ(box.calls[0],
              (ScriptedMessageBox::Call{"确认", "删除吗？", MsgIcon::Question, MsgButtons::YesNo}));
    EXPECT_EQ(box.calls[3].caption, "警告");
    EXPECT_EQ(box.calls[3].icon, MsgIcon::Warning);
}

} // namespace
} // namespace tobu
