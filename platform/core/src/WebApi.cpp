#include "mireloom/WebApi.h"

#include <mutex>

#include "ManagerSupport.h"
#include "quennet/HttpClient.h"

namespace mireloom {

using detail::Outcome;

namespace {

struct Configuration {
  std::mutex mutex;
  std::string api_version = "15";
  std::string request_no = "0";
  std::string client_channel = "Windows store";
};

Configuration& GetConfiguration() {
  static auto* configuration = new Configuration;
  return *configuration;
}

// An operation that needs no session.
void RunOpenOperation(const char* name, std::string arguments, std::function<Outcome()> work,
                      std::function<void(const Outcome&)> finish) {
  detail::RunOperation(name, std::move(arguments), nullptr, false, std::move(work), std::move(finish));
}

}  // namespace

WebApi* WebApi::Api() {
  static WebApi* api = new WebApi;
  return api;
}

void WebApi::InitWithConfiguration(const WebApiSetting& setting) {
  Configuration& configuration = GetConfiguration();
  std::lock_guard<std::mutex> lock(configuration.mutex);
  configuration.api_version = setting.api_version();
  configuration.request_no = setting.request_no();
  configuration.client_channel = setting.client_channel();
}

std::string WebApi::api_version() const {
  std::lock_guard<std::mutex> lock(GetConfiguration().mutex);
  return GetConfiguration().api_version;
}

std::string WebApi::client_channel() const {
  std::lock_guard<std::mutex> lock(GetConfiguration().mutex);
  return GetConfiguration().client_channel;
}

void WebApi::GetClientVersion(bool includePrerelease, ClientVersionCompletion completion) {
  auto record = std::make_shared<service::VersionRecord>();
  RunOpenOperation(
      "WebApi::GetClientVersion", includePrerelease ? "prerelease" : "release",
      [record] { return detail::EmbeddedService()->ClientVersion(record.get()); },
      [record, completion](const Outcome& outcome) {
        if (!completion) return;
        if (!outcome.ok) {
          completion(false, outcome.code, 0, "", "", false, 0, "", "");
          return;
        }
        completion(true, outcome.code, record->version, record->name, record->notes, record->force,
                   record->release_time, record->url, record->checksum);
      });
}

void WebApi::GetTeamLiteBySubdomain(const std::string& subdomain, TeamLiteCompletion completion) {
  auto team = std::make_shared<service::TeamInfo>();
  RunOpenOperation(
      "WebApi::GetTeamLiteBySubdomain", subdomain,
      [subdomain, team] { return detail::EmbeddedService()->TeamBySubdomain(subdomain, team.get()); },
      [team, completion](const Outcome& outcome) {
        if (!completion) return;
        if (!outcome.ok) {
          completion(false, outcome.code, "", "", "", false);
          return;
        }
        completion(true, outcome.code, team->id, team->name, team->subdomain, true);
      });
}

void WebApi::PutInitPassword(const std::string& password, std::function<void(bool, int64_t)> completion) {
  detail::RunSessionOperation<detail::NoResult>(
      "WebApi::PutInitPassword", std::to_string(password.size()) + " bytes",
      [password](Session& session, service::DemoService& service, detail::NoResult&) {
        return service.PutInitPassword(session.api_token(), password);
      },
      [completion](const Outcome& outcome, detail::NoResult&) {
        if (completion) completion(outcome.ok, outcome.code);
      });
}

void WebApi::PostFeedback(const Feedback& feedback, std::function<void(bool, const std::string&)> completion) {
  testing::FeedbackRecord record;
  record.client_type = feedback.client_type();
  record.client_version = feedback.client_version();
  record.description = feedback.description();
  record.title = feedback.title();
  record.web_api_version = feedback.web_api_version();
  auto session = detail::CurrentSession();
  RunOpenOperation(
      "WebApi::PostFeedback", feedback.title(),
      [record, session] {
        return detail::EmbeddedService()->PostFeedback(session ? session->api_token() : std::string(), record);
      },
      [completion](const Outcome& outcome) {
        if (completion) completion(outcome.ok, outcome.error);
      });
}

std::unique_ptr<quennet::HttpRequest> WebApi::GenBaseRequestForCurrentTeam(int requestType) {
  auto session = detail::SessionForReads();
  if (!session || !session->team()) return nullptr;
  detail::EmbeddedService();  // its hosts answer the request
  auto request = std::make_unique<quennet::HttpRequest>();
  request->set_request_type(requestType);
  request->set_header("Authorization", "Bearer " + session->api_token());
  return request;
}

}  // namespace mireloom
