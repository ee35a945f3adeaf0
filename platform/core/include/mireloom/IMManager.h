#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "mireloom/IM.h"

namespace mireloom {

// The signed-in user's one-to-one conversations.
class IMManager final {
 public:
  static const IMManager* DefaultManager();

  using Completion = std::function<void(bool ok, const std::string& error)>;

  void GetIMs(std::function<void(bool ok, const std::string& error, std::vector<std::unique_ptr<IM>> ims)>
                  completion) const;
  // Open conversations only.
  [[nodiscard]] std::vector<std::unique_ptr<IM>> FetchImsFromCache() const;
  // Open or closed.
  [[nodiscard]] std::unique_ptr<IM> FetchImFromCacheByImId(const std::string& imId) const;

  // Opens the conversation with the user, creating it when there is none.
  void NewIM(const std::string& uid,
             std::function<void(bool ok, const std::string& error, std::unique_ptr<IM> im)> completion) const;
  void ActiveIM(const std::string& imId, Completion completion) const;
  void CloseIM(const std::string& imId, Completion completion) const;

 private:
  IMManager() = default;
};

}  // namespace mireloom
