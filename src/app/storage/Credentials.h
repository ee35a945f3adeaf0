#pragma once

// Remembered passwords: one generic credential of the Windows Credential
// Manager per team, "mireloom/" + team id, tagged with the user name.

#include <windows.h>

#include <string>

// Replaces the team's credential. FALSE when the store refuses it, or when a
// value is over its limit (password 254 bytes of UTF-8, user name 254
// characters, target 1023 characters).
BOOL SaveCredential(const std::string& teamId, const std::string& userName, const std::string& password);

// The team's password when it was saved for exactly this user name, else "".
std::wstring LoadCredential(const std::string& teamId, const std::string& userName);
