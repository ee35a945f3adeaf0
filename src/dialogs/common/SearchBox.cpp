#include "dialogs/common/SearchBox.h"

#include "app/text/TextHelpers.h"
#include "dialogs/common/SearchRule.h"

namespace mireloomwnd {

bool SearchKeywordOf(const DuiLib::TNotifyUI& msg, DuiLib::CEditUI* box, const std::wstring& tipText,
                     std::string* keyword) {
  if (!box || msg.pSender != box || msg.sType != L"textchanged") return false;
  const std::wstring text = box->GetText().GetData();
  if (!IsSearchText(text, tipText)) return false;
  *keyword = WideToUtf8(text);
  return true;
}

}  // namespace mireloomwnd
