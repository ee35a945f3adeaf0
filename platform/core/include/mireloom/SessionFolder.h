#pragma once

#include <string>

namespace mireloom {

class Team;
class User;

// Makes the folder in which Director::Init keeps the session's cache, under
// the data folder (code page 936), when it is missing. False when it cannot
// be made (a file in its place, a folder nobody may write to); `folder`
// names it either way.
bool MakeSessionFolder(const User& me, const Team& team, const std::string& dataFolder, std::wstring* folder);

}  // namespace mireloom
