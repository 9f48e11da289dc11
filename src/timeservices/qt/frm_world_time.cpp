#include "timeservices/qt/frm_world_time.h"

#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>
#include <ctime>

namespace tobu {
namespace {

DialogDecorator& Decorator() {
    static DialogDecorator decorate;
    return decorate;
}

QString Q(const std::string& s) {
    return QString::fromStdString(s);
}

int LocalYear(TDateTime utc) {
    return LocalYearAt(ToMSecs(utc) / 1000 - 25569LL * 86400);
}

} // namespace

TFrmWorldTime::TFrmWorldTime(const std::string& list_path, std::function<TDateTime()> utc_now,
                             QWidget* parent)
    : QDialog(parent), utc_now_(utc_now ? std::move(utc_now) : std::function<TDateTime()>(UtcNow)) {
    setObjectName("FrmWorldTime");
    setWindowTitle(QString::fromUtf8("城市时间查询"));
    setFixedSize(520, 330);

    auto* labelCountry = new QLabel(QString::fromUtf8("国家"), this);
    labelCountry->setGeometry(16, 36, 200, 16);
    ComboBoxCountry = new QComboBox(this);
    ComboBoxCountry->setObjectName("ComboBoxCountry");
    ComboBoxCountry->setMaxVisibleItems(30);
    ComboBoxCountry->setGeometry(16, 54, 220, 24);
    auto* labelCity = new QLabel(QString::fromUtf8("城市"), this);
    labelCity->setGeometry(16, 86, 200, 16);
    ListViewCity = new QTreeWidget(this);
    ListViewCity->setObjectName("ListViewCity");
    ListViewCity->setGeometry(16, 104, 220, 210);
    ListViewCity->setColumnCount(2);
    ListViewCity->setHeaderHidden(true);
    ListViewCity->setRootIsDecorated(false);
    ListViewCity->setSelectionBehavior(QAbstractItemView::SelectRows);
    ListViewCity->setSelectionMode(QAbstractItemView::SingleSelection);
    ListViewCity->setColumnWidth(0, 140);
    ListViewCity->header()->setStretchLastSection(true);

    PanelCity = new QWidget(this);
    PanelCity->setObjectName("PanelCity");
    PanelCity->setGeometry(250, 36, 256, 240);
    auto label = [&](const char* name, int y, int h) {
        auto* l = new QLabel(PanelCity);
        l->setObjectName(name);
        l->setGeometry(0, y, 256, h);
        l->setWordWrap(true);
        return l;
    };
    LabelTitle = label("LabelTitle", 0, 40);
    LabelTime = label("LabelTime", 48, 20);
    QFont bold = LabelTime->font();
    bold.setBold(true);
    LabelTime->setFont(bold);
    LabelZone = label("LabelZone", 80, 20);
    LabelPosition = label("LabelPosition", 106, 36);
    LabelStart = label("LabelStart", 150, 20);
    LabelEnd = label("LabelEnd", 176, 20);
    PanelCity->hide();

    ButtonClose = new QPushButton(QString::fromUtf8("关闭(&C)"), this);
    ButtonClose->setObjectName("ButtonClose");
    ButtonClose->setGeometry(426, 290, 80, 26);
    connect(ButtonClose, &QPushButton::clicked, this, &QDialog::reject);

    list_ = ReadTimeZoneList(list_path, YearNow());
    for (const auto& c : list_.countries) ComboBoxCountry->addItem(Q(c.name));
    connect(ComboBoxCountry, &QComboBox::currentIndexChanged, this,
            [this](int index) { SelectCountry(index); });
    connect(ListViewCity, &QTreeWidget::itemSelectionChanged, this, [this] { ShowCity(); });
    TimerTime.setInterval(1000);
    connect(&TimerTime, &QTimer::timeout, this, [this] { RefreshTime(); });
    if (!list_.countries.empty()) SelectCountry(0);
}

int TFrmWorldTime::YearNow() const {
    return LocalYear(utc_now_());
}

void TFrmWorldTime::SelectCountry(int index) {
    if (ComboBoxCountry->currentIndex() != index) {
        ComboBoxCountry->setCurrentIndex(index); // comes back here through the signal
        return;
    }
    ListViewCity->clear();
    if (index < 0 || index >= static_cast<int>(list_.countries.size())) return;
    for (const auto& c : list_.countries[static_cast<std::size_t>(index)].cities)
        ListViewCity->addTopLevelItem(new QTreeWidgetItem({Q(c.city), Q(c.second)}));
    SelectCity(0);
}

void TFrmWorldTime::SelectCity(int row) {
    if (row < 0) {
        ListViewCity->clearSelection();
        return;
    }
    if (auto* item = ListViewCity->topLevelItem(row)) {
        ListViewCity->setCurrentItem(item);
        item->setSelected(true);
    }
}

bool TFrmWorldTime::PanelVisible() const {
    return !PanelCity->isHidden();
}

void TFrmWorldTime::ShowCity() {
    const auto selected = ListViewCity->selectedItems();
    if (selected.isEmpty()) {
        PanelCity->hide();
        TimerTime.stop();
        return;
    }
    PanelCity->show();
    RefreshTime();
    TimerTime.start();
}

void TFrmWorldTime::RefreshTime() {
    const auto selected = ListViewCity->selectedItems();
    const int ci = ComboBoxCountry->currentIndex();
    if (selected.isEmpty() || ci < 0 || ci >= static_cast<int>(list_.countries.size())) return;
    const auto& country = list_.countries[static_cast<std::size_t>(ci)];
    const int row = ListViewCity->indexOfTopLevelItem(selected.front());
    if (row < 0 || row >= static_cast<int>(country.cities.size())) return;
    const TDateTime utc = utc_now_();
    const CityView v =
        ViewCity(country.name, country.cities[static_cast<std::size_t>(row)], utc, LocalYear(utc));
    LabelTitle->setText(Q(v.title));
    LabelTime->setText(Q(v.time_line));
    LabelZone->setText(Q(v.zone_line));
    LabelPosition->setText(Q(v.position_line));
    LabelStart->setText(Q(v.start_line.value_or("")));
    LabelEnd->setText(Q(v.end_line.value_or("")));
    LabelStart->setVisible(v.start_line.has_value());
    LabelEnd->setVisible(v.end_line.has_value());
}

void SetWorldTimeDecorator(DialogDecorator decorate) {
    Decorator() = std::move(decorate);
}

void OpenWorldTime(QWidget* parent, const std::string& app_dir) {
    TFrmWorldTime form(app_dir + "TimeZone.lst", {}, parent);
    if (Decorator()) Decorator()(&form, form.windowTitle());
    form.exec();
}

} // namespace tobu
