#pragma once

// The interface languages, as the settings file stores them under "Language".

namespace settings {

// 0 (or absent) follows the system's interface language.
enum class Language : int { FollowSystem = 0, SimplifiedChinese = 1, TraditionalChinese = 2, English = 3 };

}  // namespace settings
