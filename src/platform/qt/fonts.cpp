#include "platform/qt/fonts.h"

#include <QFont>
#include <QFontDatabase>
#include <utility>

namespace tobu {

namespace {

const std::pair<const char*, const char*> kSubstitutions[] = {
    {"宋体", "AR PL UMing CN"},
    {"楷体_GB2312", "AR PL UKai CN"},
    {"楷体", "AR PL UKai CN"},
    {"Tahoma", "DejaVu Sans"},
    {"Arial", "Liberation Sans"},
    {"Arial Black", "Liberation Sans"},
    {"Times New Roman", "Liberation Serif"},
};

bool FamilyInstalled(const QString& family) {
    return !family.isEmpty() && QFontDatabase::families().contains(family, Qt::CaseInsensitive);
}

} // namespace

void InstallFontSubstitutions() {
    for (const auto& [name, family] : kSubstitutions)
        QFont::insertSubstitution(QString::fromUtf8(name), QString::fromUtf8(family));
}

QString FontSubstitute(const QString& windowsName) {
    for (const auto& [name, family] : kSubstitutions)
        if (windowsName.compare(QString::fromUtf8(name), Qt::CaseInsensitive) == 0)
            return QString::fromUtf8(family);
    return {};
}

QStringList SubstitutedFontNames() {
    QStringList names;
    for (const auto& entry : kSubstitutions) names << QString::fromUtf8(entry.first);
    return names;
}

bool IsFontInstalled(const QString& windowsName) {
    return FamilyInstalled(windowsName) || FamilyInstalled(FontSubstitute(windowsName));
}

} // namespace tobu
