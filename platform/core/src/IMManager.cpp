#include "mireloom/IMManager.h"

#include "ManagerSupport.h"

namespace mireloom {

using detail::NoResult;
using detail::Outcome;
using detail::RunSessionOperation;
using detail::SessionForReads;

const IMManager* IMManager::DefaultManager() {
  static IMManager* manager = new IMManager;
  return manager;
}

void IMManager::GetIMs(
    std::function<void(bool, const std::string&, std::vector<std::unique_ptr<IM>>)> completion) const {
  using Result = std::vector<IM::Data>;
  RunSessionOperation<Result>(
      "IMManager::GetIMs", "",
      [](Session& session, service::DemoService& service, Result& ims) {
        Outcome outcome = service.Ims(session.api_token(), &ims);
        if (outcome.ok) session.cache().ReplaceIms(ims);
        return outcome;
      },
      [completion](const Outcome& outcome, Result& ims) {
        if (completion) completion(outcome.ok, outcome.error, detail::MakeAll<IM>(outcome.ok ? ims : Result()));
      });
}

std::vector<std::unique_ptr<IM>> IMManager::FetchImsFromCache() const {
  auto session = SessionForReads();
  if (!session) return {};
  std::vector<IM::Data> open;
  for (const IM::Data& im : session->cache().Ims()) {
    if (im.is_open) open.push_back(im);
  }
  return detail::MakeAll<IM>(open);
}

std::unique_ptr<IM> IMManager::FetchImFromCacheByImId(const std::string& imId) const {
  auto session = SessionForReads();
  if (!session) return nullptr;
  auto im = session->cache().FindIm(imId);
  return im ? std::make_unique<IM>(std::move(*im)) : nullptr;
}

void IMManager::NewIM(const std::string& uid,
                      std::function<void(bool, const std::string&, std::unique_ptr<IM>)> completion) const {
  RunSessionOperation<IM::Data>(
      "IMManager::NewIM", uid,
      [uid](Session& session, service::DemoService& service, IM::Data& im) {
        Outcome outcome = service.NewIm(session.api_token(), uid, &im);
        if (!outcome.ok) return outcome;
        session.cache().PutIm(im);
        detail::SyncHistory(session, service, {im.im_id});
        return outcome;
      },
      [completion](const Outcome& outcome, IM::Data& im) {
        // A success that carries no conversation (a scripted answer) hands over none.
        const bool has_im = outcome.ok && !im.im_id.empty();
        if (completion) completion(outcome.ok, outcome.error, has_im ? std::make_unique<IM>(im) : nullptr);
      });
}

void IMManager::ActiveIM(const std::string& imId, Completion completion) const {
  RunSessionOperation<NoResult>(
      "IMManager::ActiveIM", imId,
      [imId](Session& session, service::DemoService& service, NoResult&) {
        IM::Data im;
        Outcome outcome = service.OpenIm(session.api_token(), imId, &im);
        if (!outcome.ok) return outcome;
        session.cache().PutIm(im);
        detail::SyncHistory(session, service, {imId});
        return outcome;
      },
      detail::PlainFinish(std::move(completion)));
}

void IMManager::CloseIM(const std::string& imId, Completion completion) const {
  RunSessionOperation<NoResult>(
      "IMManager::CloseIM", imId,
      [imId](Session& session, service::DemoService& service, NoResult&) {
        Outcome outcome = service.CloseIm(session.api_token(), imId);
        if (!outcome.ok) return outcome;
        if (auto im = session.cache().FindIm(imId)) {
          im->is_open = false;
          session.cache().PutIm(*im);
        }
        return outcome;
      },
      detail::PlainFinish(std::move(completion)));
}

}  // namespace mireloom
