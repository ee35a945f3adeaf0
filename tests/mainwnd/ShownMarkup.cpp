#include "mainwnd/ShownMarkup.h"

#include "duilib/Label.h"

ShownMarkup ShowMarkup(const std::wstring& markup) {
  DuiLib::CTextUI label;
  label.SetShowHtml(true);
  label.SetText(markup.c_str());
  ShownMarkup shown;
  shown.plain = label.GetPlainText().GetData();
  for (int i = 0; i < label.GetLinkCount(); ++i) shown.links.emplace_back(label.GetLinkContent(i)->GetData());
  return shown;
}
