#pragma once

// Controls of the core library and its embedded service for tests. Only test
// executables include this header; the program never calls it.

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "mireloom/Attachment.h"
#include "mireloom/Channel.h"
#include "mireloom/Entity.h"
#include "mireloom/IM.h"
#include "mireloom/Message.h"
#include "mireloom/Service.h"
#include "mireloom/User.h"
#include "mireloom/Usergroup.h"
#include "quennet/HttpClient.h"

namespace mireloom {
class Director;
}

namespace mireloom::testing {

// ---- Service and isolation ---------------------------------------------------

struct ServiceOptions {
  std::wstring storeFolder;  // "": a temporary folder of the ScopedCore
  std::wstring demoFolder;   // folder of the demo files ("": the source tree's demo/)
  std::string inlineDemoJson;      // an inline demo team, used instead of demoFolder
  int latencyMs = 0;         // added to every server operation
  int replyDelayMs = 0;      // delay of the answering member's replies
  bool actingMembers = true;
  int64_t now = 0;  // fixed "now" of the service; 0: the real clock
};

// Stops and forgets everything: waits for the core's work, clears the default
// director, the listener lists, the web-interface setting, scripts, logs,
// HTTP scripts, and stops the embedded service.
void ResetCore();

// Isolated core for one test: ResetCore on entry and exit, a fresh data folder
// and a fresh service store.
class ScopedCore final {
 public:
  explicit ScopedCore(ServiceOptions options = {});
  ~ScopedCore();
  ScopedCore(const ScopedCore&) = delete;
  ScopedCore& operator=(const ScopedCore&) = delete;

  // The data folder, with Chinese characters in its name.
  [[nodiscard]] const std::wstring& DataFolder() const { return m_data_folder; }
  // The same in code page 936, as the client passes it.
  [[nodiscard]] std::string DataFolderCp936() const;
  [[nodiscard]] const std::wstring& StoreFolder() const { return m_store_folder; }

 private:
  std::wstring m_root;
  std::wstring m_data_folder;
  std::wstring m_store_folder;
};

// (Re)starts the embedded service with the options.
void StartService(const ServiceOptions& options);
// Fixes the service's "now" (seconds since 1970); 0 returns to the real clock.
void SetNow(int64_t now);
// The demo folder of the source tree.
std::wstring SourceDemoFolder();

// ---- Sessions ------------------------------------------------------------------

struct Permissions {
  std::vector<int> team;
  std::vector<int> chat_module;
};

// Installs a director for the user without a log-in (its token is minted by
// the service when it knows the user). The cache lives in dataFolder.
Director* InstallSession(const std::string& meUid, const std::string& teamId, const Permissions& permissions,
                         const std::wstring& dataFolder);

// Signs in the way the client does (team look-up, log-in, director, IM
// connection when asked, members, statuses, services); true when all succeeded.
bool SignIn(const std::string& userName, const std::wstring& dataFolder, const std::string& subdomain = "demo",
            const std::string& password = "demo1234", bool connect = true);
// The main window's fetch chain: channels, IMs, recent messages, unread counts.
bool FetchMainWindowData();

// ---- Cache preloading (straight into the current session's cache) ------------------

struct PreloadChannel {
  Channel::Data channel;
  std::vector<std::string> members;
};
void PreloadUsers(const std::vector<User::Data>& users);
void PreloadChannels(const std::vector<PreloadChannel>& channels);
void PreloadIMs(const std::vector<IM::Data>& ims);
void PreloadMessages(const std::vector<Message::Data>& messages);
void PreloadDraft(const std::string& conversationId, const std::string& text, int64_t time);
void PreloadUnread(const std::string& conversationId, uint32_t count, uint32_t notify);
void PreloadUsergroups(const std::vector<Usergroup::Data>& groups);
void PreloadMemberships(const std::vector<Membership::Data>& memberships);
void PreloadServices(const std::vector<Service::Data>& services);
// Entities shared in the conversation; answered by the entity manager when the
// service does not know them.
void PreloadEntities(const std::string& conversationId, const std::vector<Entity::Data>& entities);

// ---- Scripted answers per operation ("ChannelManager::JoinChannel") ------------

class OperationScript final {
 public:
  // Fails with the code (and the text after it).
  OperationScript& Fail(int64_t code, const std::string& text = "scripted failure");
  // Succeeds with this code where the completion has one (e.g. a log-in 202).
  OperationScript& Answer(int64_t code);
  // Applies to the next n calls only (default: every call).
  OperationScript& Times(int n);
  // Completes this much later.
  OperationScript& Delay(int ms);
  // Holds each call until Release(handle).
  OperationScript& Hold();

  struct Rule {
    bool fail = false;
    bool answer = false;
    int64_t code = 0;
    std::string text;
    int times = -1;
    int delay_ms = 0;
    bool hold = false;
  };

  explicit OperationScript(std::string operation) : m_operation(std::move(operation)) {}
  [[nodiscard]] const std::string& operation() const { return m_operation; }

 private:
  OperationScript& Update(const std::function<void(Rule&)>& change);
  std::string m_operation;
};

OperationScript Script(const std::string& operation);
// Waits for the next held call of the operation; its handle, or 0.
int WaitForHeld(const std::string& operation, int timeoutMs = 5000);
// Lets a held call go on; false for an unknown handle.
bool Release(int handle);

// ---- Delivery -------------------------------------------------------------------

// With the manual pump, completions and listener calls wait for Pump() and run
// on the pumping thread, in the order they happened.
void SetManualPump(bool on);
int Pump();
// Waits until the core has nothing queued or running (held calls excepted).
bool WaitIdle(int timeoutMs = 10000);

// ---- Call log ---------------------------------------------------------------------

struct CallRecord {
  enum Kind { kCall, kCompletion, kListener };
  Kind kind = kCall;
  std::string name;    // operation or listener method
  std::string detail;  // arguments as text
  bool ok = true;
  int64_t code = 0;
  uint32_t thread = 0;
};
// Calls are recorded only while this is on; a ScopedCore turns it on.
void RecordCallLog(bool on);
std::vector<CallRecord> CallLog();
void ClearCallLog();

// ---- Event injection (into the current session, as if pushed) -----------------------

// Stored and delivered like an incoming message; a message from someone else
// also raises the conversation's unread count. The id and time are filled in
// when empty.
void InjectMessage(const Message::Data& message);
void InjectUnread(const std::string& conversationId, uint32_t count, uint32_t notify);
void InjectStatus(const std::string& uid, User::Status status);
void InjectConnectionState(int state);
void InjectMessageFailure(const std::string& text);
// The service drops the connection; it accepts automatic reconnects after
// reconnectAfterMs (< 0: never; a ConnectToIMServer call still connects).
void DropConnection(int reconnectAfterMs);
// While on, every server operation fails with -1 and connections are refused.
void Outage(bool on);
// A member's message, posted at the service as the member's own client would
// post it: stored, and pushed to the connected members of the conversation.
// Outages are this client's, so it is posted during one too.
void PostAsMember(const Message::Data& message);

// ---- Service read-back ------------------------------------------------------------

struct FeedbackRecord {
  int client_type = 0;
  std::string client_version, description, title, web_api_version, uid;
  int64_t time = 0;
};
struct PhoneCall {
  std::string call_id, caller;
  std::vector<std::string> callees;
  std::string state;  // "ringing", "cancelled", "ended"
  // What the client asked for: the uids as sent (duplicates kept) and the
  // list of further numbers.
  std::vector<std::string> requested, phone_numbers;
};
struct UploadRecord {
  std::string name, mime, conversation_id;
  std::string bytes;
};
struct LoginAttempt {
  std::string user_name, team_id;
  int64_t code = 0;
};

std::vector<FeedbackRecord> ServiceFeedback();
std::vector<PhoneCall> ServiceCalls();
std::vector<Comment::Data> ServiceComments(const std::string& entityId);
std::vector<Message::Data> ServiceMessages(const std::string& conversationId);
std::optional<Channel::Data> ServiceChannel(const std::string& channelId);
std::vector<std::string> ServiceChannelMembers(const std::string& channelId);
std::vector<UploadRecord> ServiceUploads();
int64_t ServiceReadCursor(const std::string& conversationId, const std::string& uid);
uint32_t ServiceUnread(const std::string& conversationId, const std::string& uid);
bool ServiceHasInitialPassword(const std::string& userName, const std::string& teamId = "team-demo");
std::vector<LoginAttempt> ServiceLoginAttempts();
bool ServiceTokenValid(const std::string& apiToken);
User::Status ServiceStatus(const std::string& uid);
void SetClientVersion(int64_t version, const std::string& versionName);

// ---- HTTP of the service's hosts ----------------------------------------------------

// Requests under the prefix get this reply (both HTTP clients).
void HttpScript(const std::string& urlPrefix, int status, const quennet::HeaderMap& headers,
                const std::string& body);
// Requests under the prefix fail in transport.
void HttpTransportFailure(const std::string& urlPrefix);
struct HttpRecord {
  std::string url;
  int type = 0;
  quennet::HeaderMap headers;
  int status = 0;
};
// Recorded only while the call log is on.
std::vector<HttpRecord> HttpRequests();

// ---- Databases ----------------------------------------------------------------------

// Writes Meta.db with that schema version into the folder.
bool WriteMetaSchema(const std::wstring& folder, int version);
// Sets the schema version of any database file of the core (a session cache).
bool WriteSchemaVersion(const std::wstring& databaseFile, int version);
// Makes n session sub-folders holding a file each.
bool MakeSessionFolders(const std::wstring& folder, int n);

// ---- Data for benchmarks --------------------------------------------------------------

// Adds generated members to the demo team (all in its general channel) and
// generated messages to every conversation of the default user.
void GenerateTeam(int users, int messagesPerConversation);

}  // namespace mireloom::testing
