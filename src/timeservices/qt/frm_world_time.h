// The world time window "城市时间查询": a country box, the country's cities, and the selected
// city's date and time (refreshed every second), zone, position and daylight-saving dates.
// It is thin over world_time.h: the list is read when the window is made, and each refresh
// asks ViewCity afresh, so daylight saving and the year are decided again every second.
#pragma once

#include <QDialog>
#include <QTimer>
#include <functional>
#include <string>

#include "base/datetime.h"
#include "timeservices/world_time.h"

class QComboBox;
class QLabel;
class QPushButton;
class QTreeWidget;

namespace tobu {

class TFrmWorldTime : public QDialog {
    Q_OBJECT
public:
    // `utc_now` gives UTC now; the year of the daylight-saving dates is that of the local date.
    explicit TFrmWorldTime(const std::string& list_path, std::function<TDateTime()> utc_now = {},
                           QWidget* parent = nullptr);

    // The selection, by country box index and city row (-1 deselects the city).
    void SelectCountry(int index);
    void SelectCity(int row);
    bool PanelVisible() const;
    // The one-second refresh of the time line (daylight saving and the year decided again).
    void RefreshTime();
    const WorldTimeList& List() const { return list_; }

private:
    void ShowCity();
    int YearNow() const;

    WorldTimeList list_;
    std::function<TDateTime()> utc_now_;
    QComboBox* ComboBoxCountry;
    QTreeWidget* ListViewCity;
    QWidget* PanelCity;
    QLabel *LabelTitle, *LabelTime, *LabelZone, *LabelPosition, *LabelStart, *LabelEnd;
    QPushButton* ButtonClose;
    QTimer TimerTime;
};

// How the program frames its dialogs (skinned frame and drop shadow); set once by the bar.
using DialogDecorator = std::function<void(QWidget* form, const QString& caption)>;
void SetWorldTimeDecorator(DialogDecorator decorate);
// Opens the window modally and afresh from the program folder's TimeZone.lst, frees it when it
// closes. The bar's menus call it, and so may any window's menu.
void OpenWorldTime(QWidget* parent, const std::string& app_dir);

} // namespace tobu
