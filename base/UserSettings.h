// The per-user settings file, "UserSetting.ini", and the two routines that read and write it.
#pragma once

#include <string>

constexpr int SETTING_READ = 0;
constexpr int SETTING_WRITE = 1;

// Sub-folder of the settings folder for one user. Nothing sets it, so the file lies in the
// settings folder itself; the slot is kept for per-user folders.
extern std::string g_strUserFolder;

// The settings file's path, built afresh: the roaming application-data folder, "\DarvKIVO\KivoVovode",
// "\" and the user folder, "\UserSetting.ini". Every missing folder on the way is created, so that a
// fresh user's first saved setting creates the file. Empty when there is no application-data folder.
std::string GetUserSettingsPath();

// Mode SETTING_READ reads key of section into strValue: 1 when found, 0 when the file cannot be opened
// (strError then reads "Did not detect : " and the file name) or the key is missing. Mode
// SETTING_WRITE stores strValue under the key: 1 on success. Other modes do nothing and return 0.
int ReadWriteSetting(int nMode, const std::string& strSection, const std::string& strKey,
                     std::string& strValue, const std::string& strPath, std::string& strError);

// The same for the list's "COLUMNPROFILE" key in the settings file, without error text.
int ReadWriteColumnProfile(int nMode, const std::string& strListName, std::string& strValue);
