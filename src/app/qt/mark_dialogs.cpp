#include "app/qt/mark_dialogs.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include "app/qt/my_window.h"
#include "platform/message_box.h"

namespace tobu {
namespace {

QString Q(const std::string& s) {
    return QString::fromStdString(s);
}

std::string Two(int v) {
    return v < 10 ? "0" + std::to_string(v) : std::to_string(v);
}

// The frame and font every mark dialog has; the contents start under the caption strip.
QVBoxLayout* Frame(QDialog* d, const TMyWindow* frame, const char* caption) {
    d->setFont(QFont(QStringLiteral("宋体"), 9));
    SkinDialog(frame, d, QString::fromUtf8(caption));
    auto* v = new QVBoxLayout(d);
    v->setContentsMargins(12, 34, 12, 12);
    return v;
}

QHBoxLayout* Buttons(QDialog* d, QVBoxLayout* v) {
    auto* h = new QHBoxLayout;
    h->addStretch();
    auto* ok = new QPushButton(QStringLiteral("确定(&O)"), d);
    ok->setObjectName("BtnOK");
    ok->setDefault(true);
    auto* cancel = new QPushButton(QStringLiteral("取消(&C)"), d);
    cancel->setObjectName("BtnCancel");
    QObject::connect(ok, &QPushButton::clicked, d, &QDialog::accept);
    QObject::connect(cancel, &QPushButton::clicked, d, &QDialog::reject);
    h->addWidget(ok);
    h->addWidget(cancel);
    v->addLayout(h);
    return h;
}

} // namespace

// ---- TFrmEditMark ----

TFrmEditMark::TFrmEditMark(QWidget* parent, const std::string& name, TDateTime today,
                           std::function<std::string(int, const std::string&)> markText,
                           const TMyWindow* frame)
    : QDialog(parent), today_(today), markText_(std::move(markText)) {
    setObjectName("FrmEditMark");
    QVBoxLayout* v = Frame(this, frame, "标记");
    auto* g = new QGridLayout;
    RzComboBox3 = new QComboBox(this);
    RzComboBox3->addItems({QStringLiteral("公历"), QStringLiteral("农历")});
    RzComboBox1 = new QComboBox(this);
    for (int m = 1; m <= 12; ++m) RzComboBox1->addItem(Q(Two(m)));
    RzComboBox1->setMaxVisibleItems(12);
    RzComboBox2 = new QComboBox(this);
    for (int d = 1; d <= 31; ++d) RzComboBox2->addItem(Q(Two(d)));
    RzComboBox2->setMaxVisibleItems(31);
    RzEdit1 = new QLineEdit(this);
    RzEdit1->setMaxLength(50);
    g->addWidget(new QLabel(QStringLiteral("日期"), this), 0, 0);
    g->addWidget(RzComboBox3, 0, 1);
    g->addWidget(RzComboBox1, 0, 2);
    g->addWidget(new QLabel(QStringLiteral("月"), this), 0, 3);
    g->addWidget(RzComboBox2, 0, 4);
    g->addWidget(new QLabel(QStringLiteral("日"), this), 0, 5);
    g->addWidget(new QLabel(QStringLiteral("备注"), this), 1, 0);
    g->addWidget(RzEdit1, 1, 1, 1, 5);
    v->addLayout(g);
    Buttons(this, v);

    const QString n = Q(name);
    const int type = !n.isEmpty() && n[0].isDigit() ? n[0].digitValue() : 0;
    RzComboBox3->setCurrentIndex(type <= 1 ? type : -1);
    RzComboBox1->setCurrentIndex(RzComboBox1->findText(n.mid(1, 2)));
    RzComboBox2->setCurrentIndex(RzComboBox2->findText(n.mid(3, 2)));
    lastType_ = RzComboBox3->currentIndex();
    DateChange();
    connect(RzComboBox1, &QComboBox::currentIndexChanged, this, [this] { DateChange(); });
    connect(RzComboBox2, &QComboBox::currentIndexChanged, this, [this] { DateChange(); });
    connect(RzComboBox3, &QComboBox::currentIndexChanged, this, [this] { TypeChange(); });
    RzEdit1->setFocus();
}

void TFrmEditMark::DateChange() {
    if (!markText_) return;
    const std::string m =
        markText_(RzComboBox3->currentIndex(),
                  (RzComboBox1->currentText() + RzComboBox2->currentText()).toStdString());
    if (!m.empty()) RzEdit1->setText(Q(m));
}

void TFrmEditMark::TypeChange() {
    const int type = RzComboBox3->currentIndex();
    if (type == lastType_) return;
    lastType_ = type;
    const std::string key = (RzComboBox1->currentText() + RzComboBox2->currentText()).toStdString();
    std::optional<std::string> c;
    if (type == 1)
        c = SolarKeyToLunarKey(key, today_);
    else
        c = LunarKeyToSolarKey(key, today_);
    // A Gregorian month and day that is no date this year has no lunar date: the boxes keep
    // their choice and only the type changes.
    if (c) {
        const QSignalBlocker b1(RzComboBox1), b2(RzComboBox2);
        RzComboBox1->setCurrentIndex(RzComboBox1->findText(Q(c->substr(0, 2))));
        RzComboBox2->setCurrentIndex(RzComboBox2->findText(Q(c->substr(2, 2))));
    }
    DateChange();
}

std::string TFrmEditMark::Name() const {
    return std::to_string(std::max(0, RzComboBox3->currentIndex())) +
           (RzComboBox1->currentText() + RzComboBox2->currentText()).toStdString();
}

std::string TFrmEditMark::Note() const {
    return RzEdit1->text().toStdString();
}

// ---- QtMarkDialogs ----

bool QtMarkDialogs::EditMark(QWidget* parent, std::string& name, std::string& note, TDateTime today,
                             const std::function<std::string(int, const std::string&)>& markText) {
    TFrmEditMark d(parent, name, today, markText, frame_ ? frame_() : nullptr);
    if (d.exec() != QDialog::Accepted) return false;
    name = d.Name();
    note = d.Note();
    return true;
}

bool QtMarkDialogs::ConfirmDeleteMark(QWidget* parent, const std::string& text, bool& solar,
                                      bool& lunar) {
    QDialog d(parent);
    d.setObjectName("FrmMsgDelMark");
    QVBoxLayout* v = Frame(&d, frame_ ? frame_() : nullptr, "清除标记");
    v->addWidget(new QLabel(Q(text), &d));
    auto* s = new QCheckBox(QStringLiteral("删除公历标记"), &d);
    auto* l = new QCheckBox(QStringLiteral("删除农历标记"), &d);
    s->setChecked(true);
    l->setChecked(true);
    v->addWidget(s);
    v->addWidget(l);
    Buttons(&d, v);
    if (d.exec() != QDialog::Accepted) return false;
    solar = s->isChecked();
    lunar = l->isChecked();
    return true;
}

int QtMarkDialogs::InputYear(QWidget* parent, int currentYear) {
    QDialog d(parent);
    d.setObjectName("FrmInputYear");
    QVBoxLayout* v = Frame(&d, frame_ ? frame_() : nullptr, "其他");
    auto* h = new QHBoxLayout;
    auto* box = new QSpinBox(&d);
    box->setRange(1900, 2100);
    box->setValue(currentYear);
    h->addWidget(box);
    h->addWidget(new QLabel(QStringLiteral("年"), &d));
    v->addLayout(h);
    Buttons(&d, v);
    return d.exec() == QDialog::Accepted ? box->value() : 0;
}

// ---- TFrmMark ----

TFrmMark::TFrmMark(QWidget* parent, MarkList& marks, Hooks hooks)
    : QDialog(parent), marks_(marks), hooks_(std::move(hooks)) {
    setObjectName("FrmMark");
    QVBoxLayout* v = Frame(this, hooks_.frame, "日历标记");
    v->addWidget(new QLabel(QStringLiteral("所有标记"), this));
    auto* h = new QHBoxLayout;
    list_ = new QListWidget(this);
    list_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    h->addWidget(list_);
    auto* buttons = new QVBoxLayout;
    add_ = new QPushButton(QStringLiteral("添加(&A)"), this);
    edit_ = new QPushButton(QStringLiteral("修改(&E)"), this);
    delete_ = new QPushButton(QStringLiteral("删除(&D)"), this);
    auto* close = new QPushButton(QStringLiteral("关闭(&C)"), this);
    for (QPushButton* b : {add_, edit_, delete_, close}) buttons->addWidget(b);
    buttons->addStretch();
    h->addLayout(buttons);
    v->addLayout(h);
    resize(420, 300);
    connect(add_, &QPushButton::clicked, this, [this] { AddClick(); });
    connect(edit_, &QPushButton::clicked, this, [this] { EditClick(); });
    connect(delete_, &QPushButton::clicked, this, [this] { DeleteClick(); });
    connect(close, &QPushButton::clicked, this, &QDialog::accept);
    connect(list_, &QListWidget::itemSelectionChanged, this, [this] { UpdateButtons(); });
    marks_.Sort();
    Fill();
    UpdateButtons();
}

void TFrmMark::Fill() {
    list_->clear();
    for (const MarkLine& l : marks_.Lines()) list_->addItem(Q(l.Row()));
}

void TFrmMark::UpdateButtons() {
    const bool any = !list_->selectedItems().isEmpty();
    edit_->setEnabled(any);
    delete_->setEnabled(any);
}

void TFrmMark::AddClick() {
    EditOrAddMark("0" + SolarKey(hooks_.today), false);
}

void TFrmMark::EditClick() {
    const int row = list_->currentRow();
    if (list_->count() == 0 || row < 0 || row >= static_cast<int>(marks_.Count())) return;
    EditOrAddMark(marks_.Lines()[static_cast<size_t>(row)].Name(), true);
}

void TFrmMark::EditOrAddMark(const std::string& name, bool editing) {
    if (!hooks_.dialogs) return;
    std::string newName = name, note;
    if (!hooks_.dialogs->EditMark(this, newName, note, hooks_.today, hooks_.markText)) return;
    if (editing) {
        const int i = marks_.IndexOfName(name);
        if (i < 0) return;
        marks_.Replace(static_cast<size_t>(i), newName + "=" + note);
        list_->item(i)->setText(Q(marks_.Lines()[static_cast<size_t>(i)].Row()));
        if (hooks_.removeMark) hooks_.removeMark(name);
    } else {
        const int i = marks_.IndexOfName(newName);
        if (i < 0) {
            marks_.Add(newName + "=" + note);
            list_->addItem(Q(marks_.Lines().back().Row()));
        } else {
            marks_.Replace(static_cast<size_t>(i), newName + "=" + note);
            list_->item(i)->setText(Q(marks_.Lines()[static_cast<size_t>(i)].Row()));
        }
    }
    if (hooks_.applyMark) hooks_.applyMark(newName);
}

void TFrmMark::DeleteClick() {
    if (list_->selectedItems().isEmpty() || !hooks_.messageBox) return;
    if (hooks_.messageBox->Show("确认", "确实要删除选择的标记吗？", MsgIcon::Question,
                                MsgButtons::YesNo) != MsgAnswer::Yes)
        return;
    for (int row = list_->count() - 1; row >= 0; --row) {
        if (!list_->item(row)->isSelected() || row >= static_cast<int>(marks_.Count())) continue;
        const std::string name = marks_.Lines()[static_cast<size_t>(row)].Name();
        delete list_->takeItem(row);
        marks_.RemoveAt(static_cast<size_t>(row));
        if (hooks_.removeMark) hooks_.removeMark(name);
    }
    UpdateButtons();
}

} // namespace tobu
