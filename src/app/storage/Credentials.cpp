#include "app/storage/Credentials.h"

#include <wincred.h>

#include <vector>

#include "app/text/TextHelpers.h"

namespace {

// Limits of the stored values, each including its terminating NUL.
constexpr size_t kMaxPasswordBytes = 255;
constexpr size_t kMaxUserNameChars = 255;
constexpr size_t kMaxTargetChars = 1024;

std::wstring TargetName(const std::string& teamId) { return L"mireloom/" + Utf8ToWide(teamId); }

}  // namespace

BOOL SaveCredential(const std::string& teamId, const std::string& userName, const std::string& password) {
  std::wstring target = TargetName(teamId);
  std::wstring user = Utf8ToWide(userName);
  if (password.size() + 1 > kMaxPasswordBytes || user.size() + 1 > kMaxUserNameChars ||
      target.size() + 1 > kMaxTargetChars) {
    return FALSE;
  }
  // The blob is the UTF-8 password with its NUL.
  std::vector<BYTE> blob(password.begin(), password.end());
  blob.push_back(0);

  CREDENTIALW credential = {};
  credential.Type = CRED_TYPE_GENERIC;
  credential.TargetName = target.data();
  credential.UserName = user.data();
  credential.CredentialBlobSize = static_cast<DWORD>(blob.size());
  credential.CredentialBlob = blob.data();
  credential.Persist = CRED_PERSIST_LOCAL_MACHINE;
  const BOOL saved = CredWriteW(&credential, 0);
  SecureZeroMemory(blob.data(), blob.size());
  return saved;
}

std::wstring LoadCredential(const std::string& teamId, const std::string& userName) {
  const std::wstring target = TargetName(teamId);
  const std::wstring wanted_user = Utf8ToWide(userName);
  PCREDENTIALW credential = nullptr;
  if (!CredReadW(target.c_str(), CRED_TYPE_GENERIC, 0, &credential)) return {};

  std::wstring password;
  const bool same_user = credential->UserName && wanted_user == credential->UserName;
  if (same_user && credential->CredentialBlob && credential->CredentialBlobSize > 0) {
    const char* bytes = reinterpret_cast<const char*>(credential->CredentialBlob);
    std::string text(bytes, credential->CredentialBlobSize);
    // The stored NUL ends the text.
    const size_t nul = text.find('\0');
    if (nul != std::string::npos) text.resize(nul);
    password = Utf8ToWide(text);
    SecureZeroMemory(text.data(), text.size());
  }
  CredFree(credential);
  return password;
}
