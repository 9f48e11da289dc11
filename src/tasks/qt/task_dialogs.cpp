#include "tasks/qt/task_dialogs.h"

#include <QComboBox>
#include <QDate>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QFile>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>

#include "base/text.h"
#include "tasks/task_scheduler.h"

namespace tobu {

namespace {

const char* const kUnits[6] = {"年", "月", "日", "时", "分", "秒"};
const char* const kPrefix[3] = {"播放 (", "消息 (", "执行 ("};

QString ActionNodeText(int image, const QString& text) {
    return QString::fromUtf8(kPrefix[image - kImgSound]) + text + QStringLiteral(")");
}

QString NodeActionText(const QTreeWidgetItem* item) {
    return QString::fromStdString(ActionText(item->text(0).toStdString()));
}

void Info(const TaskDialogEnv& env, const std::string& text) {
    env.Ask("提示", text, MsgIcon::Information, MsgButtons::Ok);
}

QPushButton* Button(QWidget* parent, const char* name, const char* caption, QRect r) {
    auto* b = new QPushButton(QString::fromUtf8(caption), parent);
    b->setObjectName(QString::fromLatin1(name));
    b->setGeometry(r);
    return b;
}

QAction* Item(QMenu* menu, const char* name, const char* caption, int icon = -1) {
    QAction* a = menu->addAction(QString::fromUtf8(caption));
    a->setObjectName(QString::fromLatin1(name));
    if (icon >= 0) a->setIcon(TaskIcon(icon));
    return a;
}

} // namespace

QIcon TaskIcon(int image) {
    QImage img(16, 16, QImage::Format_ARGB32);
    img.fill(Qt::transparent);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    switch (image) {
    case kImgEnabled:
    case kImgStopped:
        p.setPen(QColor(60, 60, 60));
        p.setBrush(image == kImgEnabled ? QColor(90, 190, 90) : QColor(200, 200, 200));
        p.drawEllipse(QRectF(1.5, 1.5, 13, 13));
        p.drawLine(QPointF(8, 8), QPointF(8, 4));
        p.drawLine(QPointF(8, 8), QPointF(11, 8));
        break;
    case kImgSound:
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(40, 110, 200));
        p.drawPolygon(QPolygonF({QPointF(2, 6), QPointF(6, 6), QPointF(10, 2), QPointF(10, 14),
                                 QPointF(6, 10), QPointF(2, 10)}));
        break;
    case kImgMsg:
        p.setPen(QColor(160, 120, 20));
        p.setBrush(QColor(250, 220, 110));
        p.drawRoundedRect(QRectF(1.5, 2.5, 13, 9), 2, 2);
        p.drawLine(QPointF(4, 11.5), QPointF(4, 14.5));
        break;
    case kImgAct:
        p.setPen(QColor(150, 40, 40));
        p.setBrush(QColor(230, 100, 80));
        p.drawRect(QRectF(2.5, 2.5, 11, 11));
        p.setPen(Qt::white);
        p.drawLine(QPointF(5, 6), QPointF(8, 8));
        p.drawLine(QPointF(8, 8), QPointF(5, 10));
        break;
    default:
        p.setPen(QColor(40, 120, 40));
        p.setBrush(QColor(120, 210, 120));
        p.drawRect(QRectF(6, 1.5, 4, 13));
        p.drawRect(QRectF(1.5, 6, 13, 4));
        break;
    }
    return QIcon(QPixmap::fromImage(img));
}

// ---- the tree ----

TaskTreeView::TaskTreeView(QWidget* parent) : QTreeWidget(parent) {
    setObjectName(QStringLiteral("RzTreeView1"));
    setHeaderHidden(true);
    setColumnCount(1);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setDragEnabled(true);
    setAcceptDrops(true);
    setDropIndicatorShown(true);
    setDragDropMode(QAbstractItemView::InternalMove);
    setContextMenuPolicy(Qt::CustomContextMenu);
}

int TaskTreeView::Image(const QTreeWidgetItem* item) {
    return item ? item->data(0, Qt::UserRole).toInt() : -1;
}

void TaskTreeView::SetImage(QTreeWidgetItem* item, int image) {
    item->setData(0, Qt::UserRole, image);
    item->setIcon(0, TaskIcon(image));
}

QTreeWidgetItem* TaskTreeView::AddTask(const QString& text, int image) {
    auto* item = new QTreeWidgetItem(this, QStringList{text});
    SetImage(item, image);
    return item;
}

QTreeWidgetItem* TaskTreeView::AddAction(QTreeWidgetItem* task, const QString& text, int image) {
    auto* item = new QTreeWidgetItem(task, QStringList{text});
    SetImage(item, image);
    return item;
}

bool TaskTreeView::MoveAction(QTreeWidgetItem* dragged, QTreeWidgetItem* target) {
    if (!dragged || !target || dragged == target || IsTask(dragged) || IsTask(target)) return false;
    QTreeWidgetItem* from = dragged->parent();
    from->takeChild(from->indexOfChild(dragged));
    QTreeWidgetItem* to = target->parent();
    to->insertChild(to->indexOfChild(target), dragged);
    setCurrentItem(dragged);
    return true;
}

void TaskTreeView::SetTree(const TaskTree& tree) {
    clear();
    for (const TaskNode& t : tree) {
        QTreeWidgetItem* task = AddTask(QString::fromStdString(t.text), t.image);
        for (const TaskActNode& a : t.acts)
            AddAction(task, QString::fromStdString(a.text), a.image);
        task->setExpanded(t.expanded);
    }
}

TaskTree TaskTreeView::Tree() const {
    TaskTree tree;
    for (int i = 0; i < topLevelItemCount(); ++i) {
        QTreeWidgetItem* t = topLevelItem(i);
        TaskNode node{t->text(0).toStdString(), Image(t), t->isExpanded(), {}};
        for (int k = 0; k < t->childCount(); ++k)
            node.acts.push_back({t->child(k)->text(0).toStdString(), Image(t->child(k))});
        tree.push_back(std::move(node));
    }
    return tree;
}

void TaskTreeView::dragMoveEvent(QDragMoveEvent* e) {
    QTreeWidgetItem* target = itemAt(e->position().toPoint());
    QTreeWidgetItem* dragged = currentItem();
    if (dragged && target && dragged != target && !IsTask(dragged) && !IsTask(target))
        e->acceptProposedAction();
    else
        e->ignore();
}

void TaskTreeView::dropEvent(QDropEvent* e) {
    if (MoveAction(currentItem(), itemAt(e->position().toPoint())))
        e->acceptProposedAction();
    else
        e->ignore();
}

// ---- message entry ----

namespace {
// The memo's text as the system counts it: a line break is CR LF.
size_t MemoBytes(const QString& text) {
    return GbkByteCount(
        QString(text).replace(QLatin1Char('\n'), QStringLiteral("\r\n")).toStdString());
}
} // namespace

TFrmInputMsg::TFrmInputMsg(const TaskDialogEnv& env, QWidget* parent, bool add, const QString& text)
    : QDialog(parent) {
    setObjectName(QStringLiteral("FrmInputMsg"));
    setFixedSize(382, 266);
    RzMemo1 = new QPlainTextEdit(this);
    RzMemo1->setObjectName(QStringLiteral("RzMemo1"));
    RzMemo1->setGeometry(16, 40, 350, 160);
    Label1 = new QLabel(QStringLiteral("0/200字节"), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setGeometry(16, 212, 120, 20);
    QPushButton* ok = Button(this, "RzButton1", "确定(&O)", QRect(190, 226, 80, 25));
    QPushButton* cancel = Button(this, "RzButton2", "取消(&C)", QRect(286, 226, 80, 25));
    connect(ok, &QPushButton::clicked, this, [this] { done(1); });
    connect(cancel, &QPushButton::clicked, this, [this] { done(2); });
    connect(RzMemo1, &QPlainTextEdit::textChanged, this, [this] { RzMemo1Change(); });
    if (!add) RzMemo1->setPlainText(text);
    env.Dress(this, QString::fromUtf8(add ? "添加消息" : "编辑消息"));
}

void TFrmInputMsg::RzMemo1Change() {
    QString now = RzMemo1->toPlainText();
    size_t bytes = MemoBytes(now);
    // Typing stops at 200 bytes; a longer text loaded from the file stays whole.
    if (bytes > static_cast<size_t>(kMaxMessageBytes) && bytes > MemoBytes(last_) &&
        RzMemo1->document()->isUndoAvailable()) {
        QSignalBlocker block(RzMemo1);
        RzMemo1->setPlainText(last_);
        RzMemo1->moveCursor(QTextCursor::End);
        now = last_;
        bytes = MemoBytes(now);
    }
    last_ = now;
    Label1->setText(QString::number(bytes) + QStringLiteral("/200字节"));
}

QString TFrmInputMsg::CounterText() const {
    return Label1->text();
}

QString TFrmInputMsg::Result() const {
    return RzMemo1->toPlainText().split(QLatin1Char('\n')).join(QString());
}

bool InputMessage(const TaskDialogEnv& env, QWidget* parent, bool add, QString& text) {
    TFrmInputMsg dlg(env, parent, add, text);
    if (dlg.exec() != 1) return false;
    text = dlg.Result();
    return true;
}

// ---- command entry ----

TFrmAct::TFrmAct(const TaskDialogEnv& env, QWidget* parent, bool add, const QString& text)
    : QDialog(parent), env_(env) {
    setObjectName(QStringLiteral("FrmAct"));
    setFixedSize(382, 216);
    RzRadioButton1 = new QRadioButton(QStringLiteral("关机"), this);
    RzRadioButton1->setObjectName(QStringLiteral("RzRadioButton1"));
    RzRadioButton1->setGeometry(24, 48, 200, 22);
    RzRadioButton2 = new QRadioButton(QStringLiteral("执行或打开文件"), this);
    RzRadioButton2->setObjectName(QStringLiteral("RzRadioButton2"));
    RzRadioButton2->setGeometry(24, 82, 200, 22);
    RzButtonEdit1 = new QLineEdit(this);
    RzButtonEdit1->setObjectName(QStringLiteral("RzButtonEdit1"));
    RzButtonEdit1->setGeometry(44, 114, 290, 24);
    folder_ = new QPushButton(QStringLiteral("..."), this);
    folder_->setObjectName(QStringLiteral("RzButtonEdit1Button"));
    folder_->setGeometry(336, 114, 28, 24);
    QPushButton* ok = Button(this, "RzButton1", "确定(&O)", QRect(190, 172, 80, 25));
    QPushButton* cancel = Button(this, "RzButton2", "取消(&C)", QRect(286, 172, 80, 25));
    connect(ok, &QPushButton::clicked, this, [this] { RzButton1Click(); });
    connect(cancel, &QPushButton::clicked, this, [this] { done(2); });
    connect(RzRadioButton1, &QRadioButton::toggled, this, [this] { FollowRadio(); });
    connect(RzRadioButton2, &QRadioButton::toggled, this, [this] { FollowRadio(); });
    connect(RzButtonEdit1, &QLineEdit::textChanged, RzButtonEdit1,
            [this](const QString& t) { RzButtonEdit1->setToolTip(t); });
    connect(folder_, &QPushButton::clicked, this, [this] {
        QString path = env_.ChooseFile(this, QStringLiteral("选择文件"), QString(),
                                       QStringLiteral("所有文件(*.*) (*)"));
        if (!path.isEmpty()) RzButtonEdit1->setText(path);
    });
    FollowRadio();
    if (!add) {
        if (text == QString::fromUtf8(kShutdownCommand))
            RzRadioButton1->setChecked(true);
        else {
            RzRadioButton2->setChecked(true);
            RzButtonEdit1->setText(text);
        }
    }
    env.Dress(this, QString::fromUtf8(add ? "添加执行命令" : "编辑执行命令"));
}

void TFrmAct::FollowRadio() {
    bool on = RzRadioButton2->isChecked();
    RzButtonEdit1->setEnabled(on);
    folder_->setEnabled(on);
}

void TFrmAct::RzButton1Click() {
    if (!RzRadioButton1->isChecked() && !RzRadioButton2->isChecked()) {
        Info(env_, "请选择一个执行项目");
        return;
    }
    if (RzRadioButton2->isChecked()) {
        QFileInfo file(RzButtonEdit1->text());
        if (RzButtonEdit1->text().isEmpty() || !file.exists() || file.isDir()) {
            Info(env_, "\"" + RzButtonEdit1->text().toStdString() + "\"\r\n文件不存在");
            return;
        }
    }
    done(1);
}

QString TFrmAct::Result() const {
    return RzRadioButton1->isChecked() ? QString::fromUtf8(kShutdownCommand)
                                       : RzButtonEdit1->text();
}

bool InputCommand(const TaskDialogEnv& env, QWidget* parent, bool add, QString& text) {
    TFrmAct dlg(env, parent, add, text);
    if (dlg.exec() != 1) return false;
    text = dlg.Result();
    return true;
}

// ---- shared by the list and the editor ----

TaskTreeDialog::TaskTreeDialog(const TaskDialogEnv& env, QWidget* parent)
    : QDialog(parent), env_(env) {
    RzTreeView1 = new TaskTreeView(this);
}

QString TaskTreeDialog::ChooseSound() {
    return env_.ChooseFile(this, QStringLiteral("选择声音文件"),
                           QString::fromStdString(env_.appDir) + QStringLiteral("MySound/"),
                           QStringLiteral("声音文件 (*.wav *.mp3);;WAV (*.wav);;MP3 (*.mp3)"));
}

bool TaskTreeDialog::AddAction(QTreeWidgetItem* task, int image) {
    QString text;
    bool ok = false;
    if (image == kImgSound) {
        text = ChooseSound();
        ok = !text.isEmpty();
    } else if (image == kImgMsg) {
        ok = InputMessage(env_, this, true, text);
    } else {
        ok = InputCommand(env_, this, true, text);
    }
    if (!ok) return false;
    RzTreeView1->AddAction(task, ActionNodeText(image, text), image);
    task->setExpanded(true);
    return true;
}

void TaskTreeDialog::ChangeAction(QTreeWidgetItem* act) {
    int image = TaskTreeView::Image(act);
    QString text = NodeActionText(act);
    bool ok = false;
    if (image == kImgSound) {
        text = ChooseSound();
        ok = !text.isEmpty();
    } else if (image == kImgMsg) {
        ok = InputMessage(env_, this, false, text);
    } else if (image == kImgAct) {
        ok = InputCommand(env_, this, false, text);
    }
    if (ok) act->setText(0, ActionNodeText(image, text));
}

void TaskTreeDialog::ToggleState(QTreeWidgetItem* task) {
    if (!TaskTreeView::IsTask(task)) return;
    TaskTreeView::SetImage(task,
                           TaskTreeView::Image(task) == kImgEnabled ? kImgStopped : kImgEnabled);
}

// ---- task editor ----

TFrmEditTask::TFrmEditTask(const TaskDialogEnv& env, QWidget* parent, bool add,
                           QTreeWidgetItem* node)
    : TaskTreeDialog(env, parent) {
    setObjectName(QStringLiteral("FrmEditTask"));
    setFixedSize(452, 316);
    const char* names[6] = {"ComboBoxYear", "ComboBoxMon", "ComboBoxDay",
                            "ComboBoxHour", "ComboBoxMin", "ComboBoxSec"};
    int year = QDate::currentDate().year();
    for (int k = 0; k < 6; ++k) {
        auto* box = new QComboBox(this);
        box->setObjectName(QString::fromLatin1(names[k]));
        box->setMaxVisibleItems(13);
        box->setGeometry(16 + k * 72, 44, k == 0 ? 56 : 44, 22);
        auto* label = new QLabel(QString::fromUtf8(kUnits[k]), this);
        label->setGeometry(16 + k * 72 + (k == 0 ? 58 : 46), 46, 14, 18);
        box->addItem(QString());
        auto range = [&](int from, int to, int width) {
            for (int v = from; v <= to; ++v)
                box->addItem(QStringLiteral("%1").arg(v, width, 10, QLatin1Char('0')));
        };
        if (k == 0) range(year, year + 11, 4);
        if (k == 1) range(1, 12, 2);
        if (k == 2) range(1, 31, 2);
        if (k == 3) range(0, 23, 2);
        if (k >= 4) range(0, 59, 2);
        box->installEventFilter(this);
        lists_[k] = box;
    }
    RzTreeView1->setGeometry(16, 78, 330, 224);
    BtnAdd = Button(this, "BtnAdd", "添加", QRect(356, 78, 80, 25));
    BtnEdit = Button(this, "BtnEdit", "修改", QRect(356, 110, 80, 25));
    BtnDel = Button(this, "BtnDel", "删除", QRect(356, 142, 80, 25));
    QPushButton* ok = Button(this, "RzButton1", "确定(&O)", QRect(356, 244, 80, 25));
    QPushButton* cancel = Button(this, "RzButton2", "取消(&C)", QRect(356, 276, 80, 25));
    BtnEdit->setEnabled(false);
    BtnDel->setEnabled(false);
    auto* addMenu = new QMenu(this);
    addMenu->setObjectName(QStringLiteral("PopupMenu2"));
    connect(Item(addMenu, "PM_Sound", "声音", kImgSound), &QAction::triggered, this,
            [this] { AddAction(TaskNode(), kImgSound); });
    connect(Item(addMenu, "PM_Msg", "消息", kImgMsg), &QAction::triggered, this,
            [this] { AddAction(TaskNode(), kImgMsg); });
    connect(Item(addMenu, "PM_Act", "执行命令", kImgAct), &QAction::triggered, this,
            [this] { AddAction(TaskNode(), kImgAct); });
    BtnAdd->setMenu(addMenu);
    connect(BtnEdit, &QPushButton::clicked, this, [this] {
        if (QTreeWidgetItem* cur = RzTreeView1->currentItem(); cur && cur->parent())
            ChangeAction(cur);
    });
    connect(BtnDel, &QPushButton::clicked, this, [this] { BtnDelClick(); });
    connect(ok, &QPushButton::clicked, this, [this] { RzButton1Click(); });
    connect(cancel, &QPushButton::clicked, this, [this] { done(2); });
    connect(RzTreeView1, &QTreeWidget::currentItemChanged, this, [this] { UpdateButtons(); });
    connect(RzTreeView1, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& pos) { ShowContextMenu(pos); });

    // The task node, a copy of the one being changed.
    QTreeWidgetItem* task = RzTreeView1->AddTask(QString(), kImgEnabled);
    if (!add && node) {
        task->setText(0, node->text(0));
        TaskTreeView::SetImage(task, TaskTreeView::Image(node));
        for (int i = 0; i < node->childCount(); ++i)
            RzTreeView1->AddAction(task, node->child(i)->text(0),
                                   TaskTreeView::Image(node->child(i)));
        task->setExpanded(true);
    }
    std::string pattern = task->text(0).toStdString();
    for (int k = 0; k < 6; ++k) {
        QString field = QString::fromStdString(CutField(pattern, kUnits[k]));
        lists_[k]->setCurrentIndex(lists_[k]->findText(field, Qt::MatchExactly));
        connect(lists_[k], &QComboBox::currentIndexChanged, this, [this] { ListChange(); });
    }
    UpdateButtons();
    env.Dress(this, QString::fromUtf8(add ? "添加任务" : "编辑任务"));
}

void TFrmEditTask::ListChange() {
    QString text;
    for (int k = 0; k < 6; ++k)
        if (!lists_[k]->currentText().isEmpty())
            text += lists_[k]->currentText() + QString::fromUtf8(kUnits[k]);
    TaskNode()->setText(0, text);
}

bool TFrmEditTask::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        for (QComboBox* box : lists_) {
            if (box != watched) continue;
            if (key->key() == Qt::Key_Escape || key->key() == Qt::Key_Delete) {
                box->hidePopup();
                if (box->currentIndex() == 0)
                    ListChange();
                else
                    box->setCurrentIndex(0);
                return true;
            }
        }
    }
    return TaskTreeDialog::eventFilter(watched, event);
}

void TFrmEditTask::UpdateButtons() {
    QTreeWidgetItem* cur = RzTreeView1->currentItem();
    BtnAdd->setEnabled(cur == TaskNode());
    BtnEdit->setEnabled(cur && cur->parent());
    BtnDel->setEnabled(BtnEdit->isEnabled());
}

void TFrmEditTask::ShowContextMenu(const QPoint& pos) {
    QTreeWidgetItem* item = RzTreeView1->itemAt(pos);
    if (!item) return;
    RzTreeView1->setCurrentItem(item);
    bool task = TaskTreeView::IsTask(item);
    QMenu menu(this);
    menu.setObjectName(QStringLiteral("PopupMenu1"));
    QAction* stop =
        Item(&menu, "PM_ActStop", TaskTreeView::Image(item) == kImgEnabled ? "停止" : "启用");
    menu.addSeparator();
    QAction* sound = Item(&menu, "PM_AddSound", "添加声音", kImgSound);
    QAction* msg = Item(&menu, "PM_AddMsg", "添加消息", kImgMsg);
    QAction* act = Item(&menu, "PM_AddAct", "添加执行命令", kImgAct);
    QAction* edit = Item(&menu, "PM_Edit", "修改");
    menu.addSeparator();
    QAction* del = Item(&menu, "PM_Del", "删除");
    stop->setVisible(task);
    sound->setVisible(task);
    msg->setVisible(task);
    edit->setVisible(!task);
    del->setVisible(!task);
    QAction* chosen = menu.exec(RzTreeView1->viewport()->mapToGlobal(pos));
    if (chosen == stop) ToggleState(item);
    if (chosen == sound) AddAction(TaskNode(), kImgSound);
    if (chosen == msg) AddAction(TaskNode(), kImgMsg);
    if (chosen == act) AddAction(TaskNode(), kImgAct);
    if (chosen == edit) ChangeAction(item);
    if (chosen == del) BtnDelClick();
}

void TFrmEditTask::BtnDelClick() {
    QTreeWidgetItem* cur = RzTreeView1->currentItem();
    if (!cur || !cur->parent()) return;
    if (env_.Ask("确认", "确实要删除选择的项目？", MsgIcon::Question, MsgButtons::YesNo) !=
        MsgAnswer::Yes)
        return;
    delete cur;
    UpdateButtons();
}

void TFrmEditTask::RzButton1Click() {
    if (TaskNode()->text(0).isEmpty()) {
        Info(env_, "请选择时间。");
        return;
    }
    if (TaskNode()->childCount() == 0) {
        Info(env_, "请添加声音、消息或命令。");
        return;
    }
    done(1);
}

bool EditTask(const TaskDialogEnv& env, QWidget* parent, bool add, QTreeWidgetItem* node,
              TaskTreeView* list) {
    TFrmEditTask dlg(env, parent, add, node);
    if (dlg.exec() != 1) return false;
    QTreeWidgetItem* target = add ? list->AddTask(QString(), kImgEnabled) : node;
    QTreeWidgetItem* source = dlg.TaskNode();
    target->setText(0, source->text(0));
    TaskTreeView::SetImage(target, TaskTreeView::Image(source));
    // By position: overwrite, append, then drop the surplus from the end.
    for (int i = 0; i < source->childCount(); ++i) {
        QTreeWidgetItem* from = source->child(i);
        if (i < target->childCount()) {
            target->child(i)->setText(0, from->text(0));
            TaskTreeView::SetImage(target->child(i), TaskTreeView::Image(from));
        } else {
            list->AddAction(target, from->text(0), TaskTreeView::Image(from));
        }
    }
    while (target->childCount() > source->childCount())
        delete target->child(target->childCount() - 1);
    target->setExpanded(true);
    return true;
}

// ---- task list ----

TFrmWarnOptions::TFrmWarnOptions(const TaskDialogEnv& env, QWidget* parent)
    : TaskTreeDialog(env, parent) {
    setObjectName(QStringLiteral("FrmWarnOptions"));
    setFixedSize(502, 376);
    RzTreeView1->setGeometry(16, 40, 374, 320);
    RzMenuButton1 = Button(this, "RzMenuButton1", "添加", QRect(404, 40, 84, 25));
    BtnEdit = Button(this, "BtnEdit", "修改", QRect(404, 74, 84, 25));
    BtnDel = Button(this, "BtnDel", "删除", QRect(404, 108, 84, 25));
    BtnClose = Button(this, "BtnClose", "确定(&O)", QRect(404, 335, 84, 25));
    BtnEdit->setEnabled(false);
    BtnDel->setEnabled(false);

    PopupMenu1 = new QMenu(this);
    PopupMenu1->setObjectName(QStringLiteral("PopupMenu1"));
    connect(Item(PopupMenu1, "PM_NewTask", "新定时任务", 5), &QAction::triggered, this,
            [this] { PM_NewTaskClick(); });
    PopupMenu1->addSeparator();
    QAction* s = Item(PopupMenu1, "PM_NewSound", "声音", kImgSound);
    QAction* m = Item(PopupMenu1, "PM_NewMsg", "消息", kImgMsg);
    QAction* a = Item(PopupMenu1, "PM_NewAct", "执行命令", kImgAct);
    connect(s, &QAction::triggered, this, [this] { NewAction(kImgSound); });
    connect(m, &QAction::triggered, this, [this] { NewAction(kImgMsg); });
    connect(a, &QAction::triggered, this, [this] { NewAction(kImgAct); });
    connect(PopupMenu1, &QMenu::aboutToShow, this, [this, s, m, a] {
        bool node = RzTreeView1->currentItem() != nullptr;
        for (QAction* x : {s, m, a}) x->setEnabled(node);
    });
    RzMenuButton1->setMenu(PopupMenu1);

    PopupMenu2 = new QMenu(this);
    PopupMenu2->setObjectName(QStringLiteral("PopupMenu2"));
    QAction* stop = Item(PopupMenu2, "PM_ActStop", "停止");
    QAction* edit = Item(PopupMenu2, "PM_Edit", "修改");
    PopupMenu2->addSeparator();
    QAction* addTask = Item(PopupMenu2, "PM_AddTask", "添加定时任务", 5);
    QAction* addSound = Item(PopupMenu2, "PM_AddSound", "添加声音", kImgSound);
    QAction* addMsg = Item(PopupMenu2, "PM_AddMsg", "添加消息", kImgMsg);
    QAction* addAct = Item(PopupMenu2, "PM_AddAct", "添加执行命令");
    PopupMenu2->addSeparator();
    QAction* del = Item(PopupMenu2, "PM_Del", "删除");
    connect(stop, &QAction::triggered, this, [this] { ToggleState(RzTreeView1->currentItem()); });
    connect(edit, &QAction::triggered, this, [this] { BtnEditClick(); });
    connect(addTask, &QAction::triggered, this, [this] { PM_NewTaskClick(); });
    connect(addSound, &QAction::triggered, this, [this] { NewAction(kImgSound); });
    connect(addMsg, &QAction::triggered, this, [this] { NewAction(kImgMsg); });
    connect(addAct, &QAction::triggered, this, [this] { NewAction(kImgAct); });
    connect(del, &QAction::triggered, this, [this] { BtnDelClick(); });

    connect(BtnEdit, &QPushButton::clicked, this, [this] { BtnEditClick(); });
    connect(BtnDel, &QPushButton::clicked, this, [this] { BtnDelClick(); });
    connect(BtnClose, &QPushButton::clicked, this, [this] { done(1); });
    connect(RzTreeView1, &QTreeWidget::currentItemChanged, this, [this] { UpdateButtons(); });
    connect(RzTreeView1, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& pos) { ShowContextMenu(pos); });
    env.Dress(this, QStringLiteral("定时任务"));
}

void TFrmWarnOptions::UpdateButtons() {
    BtnEdit->setEnabled(RzTreeView1->currentItem() != nullptr);
    BtnDel->setEnabled(BtnEdit->isEnabled());
}

void TFrmWarnOptions::ShowContextMenu(const QPoint& pos) {
    QTreeWidgetItem* item = RzTreeView1->itemAt(pos);
    if (item) RzTreeView1->setCurrentItem(item);
    bool task = TaskTreeView::IsTask(item);
    auto find = [this](const char* name) {
        return PopupMenu2->findChild<QAction*>(QString::fromLatin1(name));
    };
    find("PM_Edit")->setVisible(item);
    find("PM_Del")->setVisible(item);
    for (const char* name : {"PM_ActStop", "PM_AddSound", "PM_AddMsg", "PM_AddAct"})
        find(name)->setVisible(task);
    find("PM_AddTask")->setVisible(!item);
    find("PM_ActStop")
        ->setText(
            QString::fromUtf8(task && TaskTreeView::Image(item) == kImgEnabled ? "停止" : "启用"));
    PopupMenu2->popup(RzTreeView1->viewport()->mapToGlobal(pos));
}

void TFrmWarnOptions::PM_NewTaskClick() {
    EditTask(env_, this, true, nullptr, RzTreeView1);
}

void TFrmWarnOptions::NewAction(int image) {
    QTreeWidgetItem* cur = RzTreeView1->currentItem();
    if (!cur) return;
    AddAction(cur->parent() ? cur->parent() : cur, image);
}

void TFrmWarnOptions::BtnEditClick() {
    QTreeWidgetItem* cur = RzTreeView1->currentItem();
    if (!cur) return;
    if (TaskTreeView::IsTask(cur))
        EditTask(env_, this, false, cur, RzTreeView1);
    else
        ChangeAction(cur);
}

void TFrmWarnOptions::BtnDelClick() {
    QTreeWidgetItem* cur = RzTreeView1->currentItem();
    if (!cur) return;
    std::string what = TaskTreeView::IsTask(cur) ? "任务" : "项目";
    if (env_.Ask("确认", "确实要删除选择的" + what + "吗？", MsgIcon::Question,
                 MsgButtons::YesNo) != MsgAnswer::Yes)
        return;
    delete cur;
    UpdateButtons();
}

bool ShowTaskList(const TaskDialogEnv& env, const std::string& path) {
    TFrmWarnOptions dlg(env, nullptr);
    dlg.Tree()->SetTree(LoadTreeFile(path));
    if (dlg.exec() != 1) return false;
    // The bar loads its tasks from the file, so a change that did not reach it is lost: say so.
    if (!SaveTreeFile(path, dlg.Tree()->Tree()))
        env.Ask("警告", "无法保存定时任务文件 " + path + "，本次修改没有保存。", MsgIcon::Warning,
                MsgButtons::Ok);
    return true;
}

} // namespace tobu
