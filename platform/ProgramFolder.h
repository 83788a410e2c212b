#pragma once
#include <QString>

// The folder that holds News.qbx, Images/, Language/ and the settings file:
// $QUORBEL_HOME when set, else $XDG_DATA_HOME/Quorbel. Created when missing.
// Always ends in "/".
QString ProgramFolder();

// The settings file: program folder + executable base name + ".ini".
QString SettingsFileName();
