// The dialogs of the date marks: the mark editor "标记", the list of all marks "日历标记", the
// delete confirmation "清除标记" and the year entry "其他". The calendar window asks for them
// through MarkDialogs, so tests answer them with scripts.
#pragma once

#include <QDialog>
#include <functional>
#include <string>

#include "base/datetime.h"
#include "calendar/marks.h"

class QComboBox;
class QLineEdit;
class QListWidget;
class QPushButton;

namespace tobu {

class MessageBox;
class TMyWindow;

class MarkDialogs {
public:
    virtual ~MarkDialogs() = default;
    // The editor: true with the new name (kind digit and "mmdd") and note on "确定(&O)".
    // `markText` answers an existing note for a kind and key.
    virtual bool EditMark(QWidget* parent, std::string& name, std::string& note, TDateTime today,
                          const std::function<std::string(int, const std::string&)>& markText) = 0;
    // True with the two tick states (Gregorian, lunar) on "确定(&O)".
    virtual bool ConfirmDeleteMark(QWidget* parent, const std::string& text, bool& solar,
                                   bool& lunar) = 0;
    // The year on "确定(&O)" (1900..2100), 0 on cancel.
    virtual int InputYear(QWidget* parent, int currentYear) = 0;
};

// The real dialogs, framed with the bar's dialog frame when there is one.
class QtMarkDialogs : public MarkDialogs {
public:
    explicit QtMarkDialogs(std::function<const TMyWindow*()> frame = {})
        : frame_(std::move(frame)) {}
    bool EditMark(QWidget* parent, std::string& name, std::string& note, TDateTime today,
                  const std::function<std::string(int, const std::string&)>& markText) override;
    bool ConfirmDeleteMark(QWidget* parent, const std::string& text, bool& solar,
                           bool& lunar) override;
    int InputYear(QWidget* parent, int currentYear) override;

private:
    std::function<const TMyWindow*()> frame_;
};

// TFrmEditMark: type, month and day boxes and the note (50 characters at most).
class TFrmEditMark : public QDialog {
    Q_OBJECT
public:
    TFrmEditMark(QWidget* parent, const std::string& name, TDateTime today,
                 std::function<std::string(int, const std::string&)> markText,
                 const TMyWindow* frame = nullptr);
    std::string Name() const;
    std::string Note() const;
    QComboBox* RzComboBox1 = nullptr; // month
    QComboBox* RzComboBox2 = nullptr; // day
    QComboBox* RzComboBox3 = nullptr; // 公历 / 农历
    QLineEdit* RzEdit1 = nullptr;

private:
    void DateChange();
    void TypeChange();
    TDateTime today_;
    std::function<std::string(int, const std::string&)> markText_;
    int lastType_ = 0;
};

// TFrmMark: every mark, with add, edit and delete; edits the list in place and tells the
// calendar window of every mark it adds or removes.
class TFrmMark : public QDialog {
    Q_OBJECT
public:
    struct Hooks {
        MarkDialogs* dialogs = nullptr;
        MessageBox* messageBox = nullptr;
        std::function<void(const std::string&)> applyMark, removeMark;
        std::function<std::string(int, const std::string&)> markText;
        TDateTime today = 0;
        const TMyWindow* frame = nullptr;
    };
    TFrmMark(QWidget* parent, MarkList& marks, Hooks hooks);
    QListWidget* ListBox() const { return list_; }
    void AddClick();
    void EditClick();
    void DeleteClick();

private:
    void EditOrAddMark(const std::string& name, bool editing);
    void Fill();
    void UpdateButtons();
    MarkList& marks_;
    Hooks hooks_;
    QListWidget* list_ = nullptr;
    QPushButton *add_ = nullptr, *edit_ = nullptr, *delete_ = nullptr;
};

} // namespace tobu
