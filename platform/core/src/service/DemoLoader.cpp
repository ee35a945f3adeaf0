#include "DemoLoader.h"

#include <windows.h>

#include <algorithm>

#include "../Text.h"
#include "quennet/EventLog.h"
#include "ServiceJson.h"
#include "ServiceModel.h"
#include "TeamBuilder.h"

namespace mireloom::service {
namespace {

using nlohmann::json;

constexpr int64_t kDay = 86400;

std::string ReadText(const std::wstring& path) {
  HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return {};
  std::string text;
  char buffer[65536];
  DWORD read = 0;
  while (ReadFile(file, buffer, sizeof buffer, &read, nullptr) && read > 0) text.append(buffer, read);
  CloseHandle(file);
  return text;
}

// The JSON files of a folder, by name.
std::vector<std::wstring> JsonFiles(const std::wstring& folder) {
  std::vector<std::wstring> names;
  WIN32_FIND_DATAW found;
  HANDLE search = FindFirstFileW(detail::JoinPath(folder, L"*.json").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return names;
  do {
    if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) names.push_back(found.cFileName);
  } while (FindNextFileW(search, &found));
  FindClose(search);
  std::sort(names.begin(), names.end());
  return names;
}

// Joins the lists of several team files into one description.
void Merge(json& team, const json& part) {
  for (const auto& entry : part.items()) {
    if (entry.value().is_array() && team.contains(entry.key())) {
      for (const auto& item : entry.value()) team[entry.key()].push_back(item);
    } else {
      team[entry.key()] = entry.value();
    }
  }
}

void LoadVersion(const json& root, ServiceModel& model, int64_t now) {
  if (!root.contains("version")) return;
  const json& version = root.at("version");
  model.version.version = version.value("version", int64_t{15});
  model.version.name = version.value("name", std::string("2.1.5"));
  model.version.notes = version.value("notes", std::string());
  model.version.url = version.value("url", std::string());
  model.version.force = version.value("force", false);
  model.version.checksum = version.value("checksum", std::string());
  model.version.release_time = now - version.value("age_days", int64_t{12}) * kDay;
}

}  // namespace

std::string HexKey(const std::string& text) {
  uint64_t hash = 1469598103934665603ull;  // FNV-1a
  for (unsigned char c : text) {
    hash ^= c;
    hash *= 1099511628211ull;
  }
  char hex[17];
  snprintf(hex, sizeof hex, "%016llx", static_cast<unsigned long long>(hash));
  return hex;
}

std::string DemoLoader::Fingerprint(const std::wstring& demoFolder) {
  std::string all = ReadText(detail::JoinPath(demoFolder, L"service.json"));
  const json root = json::parse(all, nullptr, false);
  if (root.is_discarded()) return {};
  for (const auto& folder : root.value("teams", json::array())) {
    const std::wstring team_folder = detail::JoinPath(demoFolder, detail::Utf8ToWide(folder.get<std::string>()));
    for (const std::wstring& name : JsonFiles(team_folder)) {
      all += detail::WideToUtf8(name) + ReadText(detail::JoinPath(team_folder, name));
    }
  }
  return HexKey(all) + std::to_string(all.size());
}

bool DemoLoader::LoadFolder(const std::wstring& demoFolder, ServiceModel& model) {
  const json root = json::parse(ReadText(detail::JoinPath(demoFolder, L"service.json")), nullptr, false);
  if (root.is_discarded() || !root.is_object()) {
    quennet::log_error("Demo folder has no readable service.json");
    return false;
  }
  try {
    LoadVersion(root, model, m_now);
    for (const auto& folder : root.value("teams", json::array())) {
      const std::wstring team_folder = detail::JoinPath(demoFolder, detail::Utf8ToWide(folder.get<std::string>()));
      json team = json::object();
      for (const std::wstring& name : JsonFiles(team_folder)) {
        const json part = json::parse(ReadText(detail::JoinPath(team_folder, name)), nullptr, false);
        if (part.is_discarded()) {
          quennet::log_error("Demo file %s is not JSON", detail::WideToUtf8(name).c_str());
          return false;
        }
        Merge(team, part);
      }
      BuildTeam(model, m_now, team);
    }
  } catch (const std::exception& error) {
    quennet::log_error("Demo files unreadable: %s", error.what());
    return false;
  }
  return true;
}

bool DemoLoader::LoadInline(const std::string& text, ServiceModel& model) {
  const json root = json::parse(text, nullptr, false);
  if (root.is_discarded() || !root.is_object()) return false;
  try {
    LoadVersion(root, model, m_now);
    for (const auto& team : root.value("teams", json::array())) BuildTeam(model, m_now, team);
  } catch (const std::exception& error) {
    quennet::log_error("Inline demo unreadable: %s", error.what());
    return false;
  }
  return true;
}

}  // namespace mireloom::service
