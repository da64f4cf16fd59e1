#pragma once
// Profile (INI) files with the semantics of the private-profile functions:
// section and key names compared without case, a missing file created on the
// first write, every other line of the file preserved when one entry changes.
// The user-level profile file stands in for the system-wide profile.

#include <string>
#include <vector>

namespace zor::platform {

// Returns the value, or `fallback` when the file, section or key is missing.
// Surrounding blanks of the value are removed; one pair of enclosing double
// or single quotes is removed as well.
std::string getPrivateProfileString(const std::string& section, const std::string& key,
                                    const std::string& fallback, const std::string& file);
int getPrivateProfileInt(const std::string& section, const std::string& key, int fallback,
                         const std::string& file);
// Writes key=value into section; returns false when the file cannot be written.
bool writePrivateProfileString(const std::string& section, const std::string& key,
                               const std::string& value, const std::string& file);
bool deletePrivateProfileKey(const std::string& section, const std::string& key,
                             const std::string& file);
bool deletePrivateProfileSection(const std::string& section, const std::string& file);
std::vector<std::string> privateProfileSectionNames(const std::string& file);
std::vector<std::string> privateProfileKeys(const std::string& section, const std::string& file);

// A per-user file of the runtime: $<variable> when set, else
// $XDG_CONFIG_HOME/zorvane/<name> (or ~/.config/zorvane/<name>).
std::string userConfigFile(const char* variable, const char* name);
// writePrivateProfileString into a per-user file, whose folder is created
// first when missing.
bool writeUserFileString(const std::string& section, const std::string& key,
                         const std::string& value, const std::string& file);

// The user-level profile: userConfigFile("ZOR_PROFILE", "profile.ini").
std::string userProfilePath();
// Tests point the user-level profile at a file of their own; "" restores the default.
void setUserProfilePath(const std::string& path);
std::string getProfileString(const std::string& section, const std::string& key,
                             const std::string& fallback);
bool writeProfileString(const std::string& section, const std::string& key,
                        const std::string& value);

}  // namespace zor::platform
