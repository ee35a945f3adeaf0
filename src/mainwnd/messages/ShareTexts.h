#pragma once

// What the items of shared images, files, snippets, comments and mail
// notices show and where they lead. Markup texts follow MessageMarkup.h: what
// a sender wrote is escaped, link values are safe. A name or title (a file's,
// a mail's subject) is shown as the text it is, never read as formatted
// text: a file named "[address|name]" would otherwise carry a link of its
// own into an item whose every link is taken for the file's.

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

// What follows the first ":" of a share's content ("分享了图片: a.png" gives
// " a.png"), the whole content when it has none: the name of the shared
// file, and the tooltip of an image share.
[[nodiscard]] std::string ShareNamePart(const std::string& content);
// The title of a share: the "ShareFileTitle" text, a space, and a link to the
// download address showing the name part of the content as it is.
[[nodiscard]] std::wstring ShareTitle(const std::string& download_address, const std::string& content);

// The picture of a file share's icon, by the extension after the last "." of
// the content; the default icon when the skin has none for it.
[[nodiscard]] std::wstring FileIconImage(const std::wstring& content);
constexpr wchar_t kDefaultFileIcon[] = L"file_type/file_type_default.png";
constexpr wchar_t kSnippetFileIcon[] = L"file_type/file_type_snippet.png";

// A comment on a file: "评论了: " + a link to the file showing its name
// (its title, as it is), a line break and the comment's markup.
[[nodiscard]] std::string CommentFileAddress(const std::string& path, const std::string& extension);
[[nodiscard]] std::wstring CommentText(const std::string& file_address, const std::string& file_name,
                                       const std::wstring& body_markup);

// The title of a service's share of a web page: its address as a link to
// itself when the address is one the formatter links ("[" + address + "]"
// read whole); otherwise the bracketed text as it is, so that an address
// holding "|" or "]" cannot show a link of its own choosing.
[[nodiscard]] std::wstring ServiceShareTitle(const std::string& public_url);

// A new-mail notice: its heading, and its body "标题：" + a link to the mail
// showing its subject, a line break and "来自：" + the sender. The subject and
// sender are put in as texts, never read as formatted text, so a sender
// cannot make links of its own.
[[nodiscard]] std::wstring MailHeading();
[[nodiscard]] std::string MailAddress(const std::string& team_subdomain, const std::string& entity_id);
[[nodiscard]] std::wstring MailBody(const std::string& mail_address, const std::string& subject,
                                    const std::string& from);

}  // namespace messageview
