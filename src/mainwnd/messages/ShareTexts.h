#pragma once

// What the items of shared images, files, snippets, comments and mail
// notices show and where they lead. Markup texts follow MessageMarkup.h: what
// a sender wrote is escaped, link values are safe.

#include <string>

namespace messageview {

// The size a thumbnail is shown at: the longer side 120, the other scaled to
// it (rounded toward zero); 0 x 0 when either side is unknown (0).
struct ThumbnailSize {
  int width = 0;
  int height = 0;
};
[[nodiscard]] ThumbnailSize ThumbnailSizeOf(int thumb_width, int thumb_height);

// "https://" + file host + "/thumb/" + path + "_" + W + "x" + H + ".gif" for
// gif files, else ".png".
[[nodiscard]] std::string ThumbnailAddress(const std::string& path, const std::string& extension,
                                           ThumbnailSize size);
// The download cache's key of a thumbnail: path + "." + extension.
[[nodiscard]] std::string ThumbnailCacheKey(const std::string& path, const std::string& extension);
// The name of an image item's title and picture: "image_" + cache key.
[[nodiscard]] std::wstring ImageItemNameFor(const std::string& cache_key);
// The name of a snippet item's title: "snippet_" + entity id.
[[nodiscard]] std::wstring SnippetItemNameFor(const std::string& entity_id);
// The name of a file item's title.
constexpr wchar_t kFileItemName[] = L"file_";

// Where a share downloads: the file service's entity address for the team.
[[nodiscard]] std::string ShareDownloadAddress(const std::string& entity_id, const std::string& team_id);

// What follows the first ":" of a text ("分享了图片: a.png" gives " a.png"),
// the whole text when it has none. Given the content's plain text, it is the
// tooltip of an image share.
[[nodiscard]] std::wstring ShareNamePart(const std::wstring& text);
// The title of a share: the "ShareFileTitle" text, a space, and a link to the
// download address showing the name part of the content's markup.
[[nodiscard]] std::wstring ShareTitle(const std::string& download_address, const std::wstring& content_markup);

// The picture of a file share's icon, by the extension after the last "." of
// the content's plain text; the default icon when the skin has none for it.
[[nodiscard]] std::wstring FileIconImage(const std::wstring& content);
constexpr wchar_t kDefaultFileIcon[] = L"file_type/file_type_default.png";
constexpr wchar_t kSnippetFileIcon[] = L"file_type/file_type_snippet.png";

// A comment on a file: "评论了: " + a link to the file showing its name,
// a line break and the comment.
[[nodiscard]] std::string CommentFileAddress(const std::string& path, const std::string& extension);
[[nodiscard]] std::wstring CommentText(const std::string& file_address, const std::wstring& name_markup,
                                       const std::wstring& body_markup);

// A new-mail notice: its heading, and its body "标题：" + a link to the mail
// showing its subject, a line break and "来自：" + the sender. The subject and
// sender are put in as texts, never read as formatted text, so a sender
// cannot make links of its own.
[[nodiscard]] std::wstring MailHeading();
[[nodiscard]] std::string MailAddress(const std::string& team_subdomain, const std::string& entity_id);
[[nodiscard]] std::wstring MailBody(const std::string& mail_address, const std::string& subject,
                                    const std::string& from);

}  // namespace messageview
