#include "sound/clock_alarm.h"

#include <utility>
#include <vector>

namespace tobu {

namespace {

std::string NumberFile(int value) {
    return std::to_string(value) + ".wav";
}

// The period of the day: 凌晨 0–5, 上午 6–11, 下午 12–17, 晚上 18–23.
std::string PeriodFile(int hour) {
    return "To" + std::to_string(hour / 6 + 1) + ".wav";
}

// In minutes the digit two is spoken 二 ("2A.wav"); "2.wav" (两) is for the hour only.
std::string UnitFile(int digit) {
    return digit == 2 ? "2A.wav" : NumberFile(digit);
}

void AddMinuteClips(std::vector<std::string>& files, int m) {
    if (m < 10) {
        files.push_back("0.wav");
        files.push_back(UnitFile(m));
    } else if (m <= 12) {
        files.push_back(NumberFile(m));
    } else if (m < 20) {
        files.push_back("10.wav");
        files.push_back(NumberFile(m % 10));
    } else {
        files.push_back(m < 30 ? "2A.wav" : NumberFile(m / 10));
        files.push_back("10.wav");
        if (m % 10 > 0) files.push_back(UnitFile(m % 10));
    }
}

} // namespace

TClockAlarm::TClockAlarm(SoundDevice& device, std::string soundFolder)
    : soundFolder_(std::move(soundFolder)), player_(device) {}

void TClockAlarm::SetOptions(bool alarm, bool halfAlarm, int alarmType) {
    alarm_ = alarm;
    halfAlarm_ = halfAlarm;
    alarmType_ = alarmType;
}

std::string TClockAlarm::BuildList(int hour, int minute, int kind, bool withMinutes) const {
    if (soundFolder_.empty()) return {};
    if (hour < 0 || hour > 23 || minute < 0 || minute > 59) return {};
    const int h12 = hour > 12 ? hour - 12 : hour;

    std::vector<std::string> files;
    switch (kind) {
    case 0:
        files = {"T1.wav", PeriodFile(hour), NumberFile(h12), "H.wav"};
        if (withMinutes) {
            AddMinuteClips(files, minute);
            files.push_back("M.wav");
        } else if (halfAlarm_ && minute == 30) {
            files.push_back("30.wav");
            files.push_back("M.wav");
        }
        break;
    case 1:
    case 2:
        if (minute == 30) {
            files.push_back("Z1.wav");
        } else if (kind == 1) {
            files.push_back("Z2.wav");
        } else {
            // Hour 0 strikes once, not twelve times; hour 12 strikes twelve.
            files.assign(h12 >= 2 ? h12 : 1, "Z1.wav");
        }
        break;
    default:
        return {};
    }

    std::string folder = soundFolder_;
    if (folder.back() != '/') folder += '/';
    std::string list;
    for (const auto& f : files) {
        if (!list.empty()) list += '*';
        list += folder;
        list += f;
    }
    return list;
}

bool TClockAlarm::ChimeFor(TDateTime now, std::string& list) const {
    list.clear();
    const TimeParts t = DecodeTime(now);
    const bool chime =
        t.second == 0 && ((alarm_ && t.minute == 0) || (halfAlarm_ && t.minute == 30));
    if (chime) list = BuildList(t.hour, t.minute, alarmType_, false);
    return chime;
}

bool TClockAlarm::Check(TDateTime now) {
    std::string list;
    if (!ChimeFor(now, list)) return false;
    if (!list.empty()) player_.Play(list);
    return true;
}

void TClockAlarm::Announce(TDateTime now) {
    const TimeParts t = DecodeTime(now);
    player_.Play(BuildList(t.hour, t.minute, 0, true));
}

void TClockAlarm::PlayFile(const std::string& list) {
    player_.Play(list);
}

} // namespace tobu
