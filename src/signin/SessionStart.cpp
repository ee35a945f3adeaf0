#include "signin/SessionStart.h"

#include "app/storage/Credentials.h"
#include "app/storage/FileHelpers.h"
#include "app/storage/UserFolders.h"
#include "app/text/StringTable.h"
#include "app/text/TextHelpers.h"
#include "app/ui/PlatformSeam.h"
#include "mireloom/AccountManager.h"
#include "mireloom/Director.h"
#include "mireloom/SessionFolder.h"
#include "mireloom/SqlMigrate.h"
#include "quennet/EventLog.h"
#include "quennet/FileUtils.h"
#include "signin/AvatarPrefetch.h"
#include "signin/SessionFetchChain.h"
#include "signin/SigninMessages.h"

std::string SessionWebToken;

namespace signin {
namespace {

constexpr int kSchemaVersion = 35;
// A folder that cannot be removed (held open elsewhere) must not keep the
// clean-up going forever.
constexpr int kCleanUpAttempts = 3;
constexpr unsigned int kIMRetrySeconds = 30;

const char* ServerName(mireloom::IMProtocol protocol) {
  switch (protocol) {
    case mireloom::kIMProtocolXmpp: return "Director connected to XMPP server";
    case mireloom::kIMProtocolSocketIo: return "Director connected to socket.io server";
  }
  return "Director connected to unknown server";
}

void CleanDataFolder(const std::string& dataFolder) {
  const std::string folder = dataFolder + "/";
  for (int attempt = 0; attempt < kCleanUpAttempts && CountSubfolders(GetUserDataFolder()) > 0; ++attempt) {
    quennet::FileUtils::SharedFileUtils()->DeleteFolderContentsExcept(folder, FilesKeptByCleanUp());
  }
  if (CountSubfolders(GetUserDataFolder()) > 0) quennet::log_error("Clean data folder failed: %s", folder.c_str());
}

}  // namespace

std::string CoreDataFolder() { return GetUserDataFolderAnsi(); }

const std::vector<std::string>& FilesKeptByCleanUp() {
  // A damaged store is moved aside as "<name>.corrupt", replacing the copy of
  // an earlier damage: the newest copy of each stays for whoever looks into it.
  static const std::vector<std::string> kept = {"Accounts.db", "Accounts.db.corrupt", "Meta.db.corrupt",
                                                "Personalpreferences.ini", "corvanel.dmp", "event.log", "event.log.1"};
  return kept;
}

std::optional<std::wstring> BlockedSessionFolder(const mireloom::User& me, const mireloom::Team& team) {
  std::wstring folder;
  if (mireloom::MakeSessionFolder(me, team, CoreDataFolder(), &folder)) return std::nullopt;
  quennet::log_error("Cannot create the session folder %s", WideToUtf8(folder).c_str());
  return folder;
}

void TellBlockedSessionFolder(const std::wstring& folder) {
  Platform().ShowMessageBox(nullptr, LocalizedText("SessionFolderBlocked") + L"\n" + folder, L"Corvanel",
                            MB_OK | MB_ICONERROR);
}

void RegisterAccount(const mireloom::Team& team, const std::string& userName) {
  mireloom::AccountManager accounts(CoreDataFolder());
  if (accounts.InitOrDie()) accounts.Register(team, userName);
}

void RememberAccount(const mireloom::Team& team, const std::string& userName, const std::string& password) {
  SaveCredential(team.team_id(), userName, password);
  RegisterAccount(team, userName);
}

std::future<void> StartRememberingAccount(const mireloom::Team& team, const std::string& userName,
                                          const std::string& password) {
  std::shared_ptr<const mireloom::Team> kept = team.Clone();
  return std::async(std::launch::async,
                    [kept, userName, password] { RememberAccount(*kept, userName, password); });
}

void CheckLocalDatabase(const std::string& dataFolder) {
  auto migrate = std::make_unique<mireloom::SqlMigrate>();
  migrate->InitOrDie(dataFolder + "/");
  if (!migrate->IsExpired(kSchemaVersion)) return;
  migrate->MigrateOrDieV2(kSchemaVersion);
  CleanDataFolder(dataFolder);
}

void InstallDirector(const mireloom::User& me, const mireloom::Team& team, const mireloom::Token& token,
                     const std::string& dataFolder) {
  auto* director = new mireloom::Director();
  mireloom::Director::ResetDefaultDirector(nullptr);
  director->Init(me, team, token, dataFolder, "", "windows_device_id", "1.2", "WebSite");
  mireloom::Director::ResetDefaultDirector(director);
}

void StartDirector(const mireloom::User& me, const mireloom::Team& team, const mireloom::Token& token) {
  const std::string dataFolder = CoreDataFolder();
  CheckLocalDatabase(dataFolder);
  quennet::log_event("Database path is %s", dataFolder.c_str());
  InstallDirector(me, team, token, dataFolder);
}

void AskForIMProtocol(std::function<void(bool, const std::string&, mireloom::IMProtocol)> answer) {
  mireloom::Director* director = mireloom::Director::DefaultDirector();
  if (!director) return;
  director->GetIMProtocol(std::move(answer));
}

void ConnectToIMServer(mireloom::IMProtocol protocol, std::function<void(bool)> connected) {
  mireloom::Director* director = mireloom::Director::DefaultDirector();
  if (!director) return;
  director->ConnectToIMServer(protocol, kIMRetrySeconds, std::move(connected));
}

void LogIMConnection(mireloom::IMProtocol protocol, bool connected) {
  quennet::log_event("Director connecting to %d server", static_cast<int>(protocol));
  quennet::log_event("%s", connected ? ServerName(protocol) : "Director connect to IM server failed");
}

bool ContinueFetchChain(const mireloomwnd::WindowRecipient& window, bool ok, const char* step,
                        const std::string& error) {
  if (ok) return true;
  quennet::log_error("Session start failed at %s: %s", step, error.c_str());
  mireloomwnd::DeliverMessage(window, mireloomwnd::WM_SESSION_FETCH_FAILED);
  return false;
}

void DownloadAvatarsIntoCache() { CAvatarPrefetch::Start(); }

}  // namespace signin
