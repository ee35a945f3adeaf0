#include "mainwnd/messages/ShareTexts.h"

#include "app/storage/FileHelpers.h"
#include "app/text/ServiceConstants.h"
#include "app/text/StringTable.h"
#include "app/text/TextHelpers.h"
#include "mainwnd/messages/MessageMarkup.h"

namespace messageview {

namespace {

constexpr int kThumbnailSide = 120;

}  // namespace

ThumbnailSize ThumbnailSizeOf(int thumb_width, int thumb_height) {
  if (thumb_width <= 0 || thumb_height <= 0) return {};
  // 64-bit products: a huge side must not overflow into a negative size.
  if (thumb_width > thumb_height) {
    return {kThumbnailSide, static_cast<int>(int64_t{thumb_height} * kThumbnailSide / thumb_width)};
  }
  return {static_cast<int>(int64_t{thumb_width} * kThumbnailSide / thumb_height), kThumbnailSide};
}

std::string ThumbnailAddress(const std::string& path, const std::string& extension, ThumbnailSize size) {
  return "https://" + FileHost + "/thumb/" + path + "_" + std::to_string(size.width) + "x" +
         std::to_string(size.height) + (extension == "gif" ? ".gif" : ".png");
}

std::string ThumbnailCacheKey(const std::string& path, const std::string& extension) {
  return path + "." + extension;
}

std::wstring ImageItemNameFor(const std::string& cache_key) { return L"image_" + Utf8ToWide(cache_key); }

std::wstring SnippetItemNameFor(const std::string& entity_id) { return L"snippet_" + Utf8ToWide(entity_id); }

std::string ShareDownloadAddress(const std::string& entity_id, const std::string& team_id) {
  return FileEntitiesUrl + entity_id + "/from-s3?team_id=" + team_id;
}

std::wstring ShareNamePart(const std::wstring& text) {
  const size_t colon = text.find(L':');
  return colon == std::wstring::npos ? text : text.substr(colon + 1);
}

std::wstring ShareTitle(const std::string& download_address, const std::wstring& content_markup) {
  return EscapeText(LocalizedText("ShareFileTitle")) + L" {a x=|link|" +
         Utf8ToWide(SafeLinkValue(download_address)) + L"|}" + ShareNamePart(content_markup) + L"{/a}";
}

std::wstring FileIconImage(const std::wstring& content) {
  const std::string icon = GetFileTypeIcon(WideToUtf8(content));
  return icon.empty() ? std::wstring(kDefaultFileIcon) : Utf8ToWide(icon);
}

std::string CommentFileAddress(const std::string& path, const std::string& extension) {
  return "https://" + FileHost + "/" + path + "." + extension;
}

std::wstring CommentText(const std::string& file_address, const std::wstring& name_markup,
                         const std::wstring& body_markup) {
  return L"评论了: {a x=|link|" + Utf8ToWide(SafeLinkValue(file_address)) + L"|}" + name_markup + L"{/a}\n" +
         body_markup;
}

std::wstring MailHeading() { return FormatMessageText("新邮件通知"); }

std::string MailAddress(const std::string& team_subdomain, const std::string& entity_id) {
  return "https://" + TeamHost(team_subdomain) + "/files/" + entity_id;
}

std::wstring MailBody(const std::string& mail_address, const std::string& subject, const std::string& from) {
  // A link without a text shows its address, as the formatter's would.
  const std::string shown = subject.empty() ? mail_address : subject;
  return L"标题：" + MakeLinkMarkup(mail_address, shown, kLinkAddress) + L"\n来自：" + EscapeText(Utf8ToWide(from));
}

}  // namespace messageview
