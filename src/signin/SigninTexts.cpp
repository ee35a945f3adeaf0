#include "signin/SigninTexts.h"

#include <cstdlib>
#include <ctime>

#include "app/text/StringTable.h"
#include "app/text/TextHelpers.h"

namespace signin {
namespace {

constexpr int64_t kUnreachable = -1;
constexpr int64_t kWrongUserNameOrPassword = 8000;
// The service cannot keep anything: its store is another program's, or it
// cannot be written.
constexpr int64_t kServiceStoreInUse = 8003;
constexpr int64_t kServiceStoreNotWritable = 8004;
constexpr size_t kMinPasswordBytes = 6;

}  // namespace

std::wstring CodeSuffix(int64_t code) { return L" (code:" + std::to_wstring(code) + L")"; }

std::wstring TeamLookupFailureText(int32_t code) { return LocalizedText("DomainError") + CodeSuffix(code); }

std::wstring LoginFailureText(int64_t code) {
  if (code == kUnreachable) return LocalizedText("ConnectServerFailed");
  if (code == kWrongUserNameOrPassword) return LocalizedText("UsernameOrPasswordError");
  if (code == kServiceStoreInUse) return LocalizedText("ServiceStoreInUse");
  if (code == kServiceStoreNotWritable) return LocalizedText("ServiceStoreNotWritable");
  return LocalizedText("LogInFailed") + CodeSuffix(code);
}

std::wstring InitPasswordFailureText(int64_t code) {
  if (code == kUnreachable) return L"链接到服务器失败";
  return L"初始化密码失败" + CodeSuffix(code);
}

NewPasswordCheck CheckNewPassword(const std::wstring& password, const std::wstring& confirmation) {
  if (password != confirmation) return NewPasswordCheck::Mismatch;
  if (WideToUtf8(password).size() < kMinPasswordBytes) return NewPasswordCheck::TooShort;
  return NewPasswordCheck::Accepted;
}

std::wstring NewPasswordCheckText(NewPasswordCheck check) {
  switch (check) {
    case NewPasswordCheck::Mismatch: return L"两次输入的密码不一致";
    case NewPasswordCheck::TooShort: return L"密码长度至少为6位";
    case NewPasswordCheck::Accepted: break;
  }
  return {};
}

int MakeLoginRequestNumber() {
  srand(static_cast<unsigned>(time(nullptr)));
  int number = rand() % 10;
  double power = 1;
  for (int i = 0; i < 8; ++i, power *= 10) {
    number = static_cast<int>(number + (rand() % 10) * power);
  }
  return number;
}

}  // namespace signin
