// The Windows font names the program and its skins use, mapped to the free fonts installed with
// it. InstallFontSubstitutions runs once at start-up, before any window is created.
#pragma once

#include <QString>
#include <QStringList>

namespace tobu {

void InstallFontSubstitutions();
// The substitute family of a Windows font name ("宋体" → "AR PL UMing CN"); empty when the
// name has none.
QString FontSubstitute(const QString& windowsName);
// The Windows names that have a substitute.
QStringList SubstitutedFontNames();
// True when the font itself or its substitute is installed.
bool IsFontInstalled(const QString& windowsName);

} // namespace tobu
