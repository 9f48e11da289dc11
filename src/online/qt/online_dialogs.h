// The about box TFrmAbout and the start-page dialog TFormHomePage, with what opens them. Both are
// modal, centred, in the dialog font "宋体" 9 pt; the frame (caption, close button, shadow) is
// applied by the caller's `skin` step, so the dialogs need nothing of the bar.
#pragma once

#include <QDialog>
#include <QLabel>
#include <functional>
#include <string>

class QPushButton;

namespace tobu {

class MessageBox;

// A label that acts on a left click (the dialogs' links).
class TLinkLabel : public QLabel {
    Q_OBJECT
public:
    using QLabel::QLabel;
signals:
    void clicked();

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;
};

struct OnlineDialogServices {
    // Opens a link under the link rule (OpenAdLink).
    std::function<void(const std::string& link)> openLink;
    // Applies the skinned frame with its caption.
    std::function<void(QWidget* form, const QString& caption)> skin;
    // Shows a modal dialog and returns its result (tests answer in place of a user).
    std::function<int(QDialog& dialog)> run;
};

class TFrmAbout : public QDialog {
    Q_OBJECT
public:
    // `homePage` and `contact` as shown; `logoPath` a JPEG (none shown when it cannot be read).
    TFrmAbout(const std::string& homePage, const std::string& contact, const std::string& logoPath,
              const OnlineDialogServices& services, QWidget* parent = nullptr);

    QLabel* Version() const { return LabelVer; }
    TLinkLabel* HomeLink() const { return LabelHome; }
    TLinkLabel* MailLink() const { return LabelMail; }
    QPushButton* OkButton() const { return BtnOK; }
    bool HasLogo() const;

private:
    QLabel* Image1 = nullptr;
    QLabel* LabelVer = nullptr;
    TLinkLabel* LabelHome = nullptr;
    TLinkLabel* LabelMail = nullptr;
    QLabel* LabelNotice = nullptr;
    QPushButton* BtnOK = nullptr;
};

class TFormHomePage : public QDialog {
    Q_OBJECT
public:
    TFormHomePage(const std::string& current, const std::string& address,
                  const OnlineDialogServices& services, QWidget* parent = nullptr);

    TLinkLabel* CurrentLink() const { return LabelCurrent; }
    TLinkLabel* NewLink() const { return LabelNew; }
    QPushButton* OkButton() const { return BtnOK; }
    QPushButton* CancelButton() const { return BtnCancel; }

private:
    TLinkLabel* LabelCurrent = nullptr;
    TLinkLabel* LabelNew = nullptr;
    QPushButton* BtnOK = nullptr;
    QPushButton* BtnCancel = nullptr;
};

// The about box: created, framed "关于", shown modally, freed.
void ShowAbout(const std::string& homePage, const std::string& contact, const std::string& logoPath,
               const OnlineDialogServices& services);

// Offer start page: the current start page is read; the same address gives only the box
// "您已经赞助过软件作者，谢谢！" ("信息"); otherwise the dialog asks, and "确定(&O)" writes the
// address (a failure is ignored). Returns whether the address was written.
bool OfferStartPage(const std::string& address, const std::function<std::string()>& readStartPage,
                    const std::function<bool(const std::string&)>& writeStartPage, MessageBox& box,
                    const OnlineDialogServices& services);

} // namespace tobu
